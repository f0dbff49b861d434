#include "core/operations/OpenRequest.h"

#include "core/base/PathParts.h"
#include "core/base/RecentFileList.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "core/operations/DocumentCommands.h"
#include "core/operations/ManagerFile.h"

namespace bh {

bool OpenManagerPath(CBrackenholdDoc& doc, const std::string& path) {
    if (!doc.PathName().empty() && EqualsNoCase(doc.PathName(), path)) {
        return true;
    }
    if (!SaveModified(doc)) {
        return false;
    }
    return OpenDocumentFile(doc, path);
}

OpenRequestResult OpenRequest(CBrackenholdDoc& doc, const std::string& path) {
    OpenRequestResult result;
    const RecentFileList* recent = doc.recentFiles();
    if (recent != nullptr && recent->Contains(path)) {
        result.kind = OpenManagerPath(doc, path) ? OpenRequestResult::Kind::OpenedManager
                                                 : OpenRequestResult::Kind::ManagerNotOpened;
        return result;
    }
    result.kind = OpenRequestResult::Kind::AddedAsFile;
    result.addResult = AddFile(doc, path);
    return result;
}

bool LooksLikeManager(CBrackenholdDoc& doc, const std::string& path) {
    FileSystem& fileSystem = doc.services().fileSystem;
    if (fileSystem.Lookup(path) != PathKind::File) {
        return false;
    }
    std::string bytes;
    if (fileSystem.ReadAll(path, bytes) != kNoError) {
        return false;
    }
    if (bytes.empty()) {
        const std::string name = FileNameOf(path);
        return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".bak");
    }
    // The header is the file's first string in its one-byte-length form.
    return bytes.size() > kManagerHeader.size() &&
           static_cast<unsigned char>(bytes[0]) == kManagerHeader.size() &&
           std::string_view(bytes).substr(1, kManagerHeader.size()) == kManagerHeader;
}

OpenRequestResult ShellOpenRequest(CBrackenholdDoc& doc, const std::string& path) {
    if (!LooksLikeManager(doc, path)) {
        return OpenRequest(doc, path);
    }
    OpenRequestResult result;
    result.kind = OpenManagerPath(doc, path) ? OpenRequestResult::Kind::OpenedManager
                                             : OpenRequestResult::Kind::ManagerNotOpened;
    return result;
}

}  // namespace bh
