#include "core/operations/AddFolder.h"

#include "core/base/ErrorText.h"
#include "core/base/Format.h"
#include "core/base/PathParts.h"
#include "core/base/ProgressScope.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerOptions.h"
#include "core/operations/AddFiles.h"
#include "core/ports/LastError.h"

namespace bh {

namespace {

constexpr const char* kNoManagerText = "Open or create a New backup manager first!";
constexpr const char* kSameFolderText =
    "The archive folder is the folder being added: the archives would take the sources' "
    "names.\n\nChoose another archive folder.";

// Why nothing can be done with these two folders; empty when the run may go on.
std::string Refusal(CBrackenholdDoc& doc, const std::string& folder,
                    const std::string& archiveFolder) {
    FileSystem& fs = doc.services().fileSystem;
    if (doc.PathName().empty()) {
        return kNoManagerText;
    }
    for (const std::string* path : {&folder, &archiveFolder}) {
        if (!IsFullPath(*path)) {
            return Format("%s\n\nis not a full path.", path->c_str());
        }
    }
    // Lookup does not follow a final link, so a link to a folder is refused here too.
    if (fs.Lookup(folder) != PathKind::Folder) {
        return Format("%s\n\nis not a folder (a symbolic link is not followed).", folder.c_str());
    }
    // Something not a folder is there; a link to a folder is fine and is left as it is.
    if (fs.Lookup(archiveFolder) == PathKind::File) {
        if (const ErrorCode error = fs.CreateFolders(WithoutTrailingSeparators(archiveFolder))) {
            return Format("%s\n\ncannot be the archive folder: %s", archiveFolder.c_str(),
                          ErrorCodeText(doc.services().systemErrors, error).c_str());
        }
    }
    if (WithoutTrailingSeparators(folder) == WithoutTrailingSeparators(archiveFolder) ||
        fs.IsSameFile(folder, archiveFolder)) {
        return kSameFolderText;
    }
    return "";
}

// Adds the files a walk found, one at a time, into `counts` and the result's lists.
class FolderAdder {
  public:
    FolderAdder(CBrackenholdDoc& doc, const std::string& archiveFolder, AddFolderResult& result)
        : doc_(doc),
          fs_(doc.services().fileSystem),
          archiveRoot_(WithoutTrailingSeparators(archiveFolder)),
          separator_(SeparatorOf(archiveFolder)),
          result_(result) {}

    void Add(const FoundFile& file) {
        // Checked before any folder is made, so that a second run makes nothing.
        if (doc_.rows().HasSource(file.path)) {
            ++result_.counts.alreadyInManager;
            return;
        }
        const std::string folder = ArchiveFolderFor(file);
        if (!MakeFolder(file, folder)) {
            return;
        }
        const AddFileResult added = AddFileInto(doc_, file.path, folder, AddFileMessages::Quiet);
        switch (added) {
            case AddFileResult::Added:
                ++result_.counts.added;
                result_.createdArchives.push_back(
                    doc_.rows().Entry(doc_.rows().Count() - 1).archivePath);
                return;
            case AddFileResult::AlreadyInManager:
                ++result_.counts.alreadyInManager;
                return;
            case AddFileResult::ArchiveNotCreated:
                Fail(file.path, std::string(AddFileResultText(added)) + ": " +
                                    GetLastErrorText(doc_.services().systemErrors));
                return;
            default:
                Fail(file.path, AddFileResultText(added));
                return;
        }
    }

  private:
    std::string ArchiveFolderFor(const FoundFile& file) const {
        std::string folder = archiveRoot_;
        if (folder.empty() || !IsPathSeparator(folder.back())) {
            folder += separator_;
        }
        return folder + file.relativeFolder;
    }

    // Makes the archive folder of a file unless the file before had the same one.
    bool MakeFolder(const FoundFile& file, const std::string& folder) {
        if (folder == lastMade_) {
            return true;
        }
        if (folder.size() + 1 > fs_.PathLimitBytes()) {
            Fail(file.path, "the archive path would be too long");
            return false;
        }
        if (const ErrorCode error = fs_.CreateFolders(WithoutTrailingSeparators(folder))) {
            Fail(file.path, "the archive folder could not be created: " +
                                ErrorCodeText(doc_.services().systemErrors, error));
            return false;
        }
        lastMade_ = folder;
        return true;
    }

    void Fail(const std::string& path, const std::string& reason) {
        result_.failed.push_back({path, "not added: " + reason});
        ++result_.counts.failed;
    }

    CBrackenholdDoc& doc_;
    FileSystem& fs_;
    const std::string archiveRoot_;
    const char separator_;
    AddFolderResult& result_;
    std::string lastMade_;
};

void AddFound(CBrackenholdDoc& doc, const std::string& archiveFolder,
              const std::vector<FoundFile>& files, AddFolderResult& result) {
    ProgressScope progress(doc.services().ui, kAddFolderProgressCaption,
                           static_cast<int>(files.size()));
    progress.AllowCancel();
    FolderAdder adder(doc, archiveFolder, result);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (progress.CancelRequested()) {
            result.outcome = AddFolderOutcome::Stopped;
            result.counts.notReached = static_cast<int>(files.size() - i);
            return;
        }
        adder.Add(files[i]);
        progress.Step();
    }
}

}  // namespace

bool IsFullPath(const std::string& path) {
    if (!path.empty() && IsPathSeparator(path[0])) {
        return true;
    }
    return path.size() >= 3 && path[1] == ':' && IsPathSeparator(path[2]);
}

AddFolderResult AddFolder(CBrackenholdDoc& doc, const std::string& folder,
                          const std::string& archiveFolder) {
    AddFolderResult result;
    result.refusal = Refusal(doc, folder, archiveFolder);
    if (!result.refusal.empty()) {
        result.outcome = AddFolderOutcome::Refused;
        return result;
    }
    FolderWalkRequest request;
    request.root = folder;
    request.leaveOutFiles = {doc.PathName(), ManagerOptionsPath(doc.PathName())};
    request.leaveOutFolder = archiveFolder;
    FolderWalkResult walk =
        WalkFolder(doc.services().fileSystem, doc.services().systemErrors, request);
    result.skipped = std::move(walk.skipped);
    result.failed = std::move(walk.failed);
    result.counts.skipped = static_cast<int>(result.skipped.size());
    result.counts.failed = static_cast<int>(result.failed.size());
    AddFound(doc, archiveFolder, walk.files, result);
    return result;
}

}  // namespace bh
