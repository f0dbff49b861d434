// Whole sessions of random user commands, run through the real core on the in-memory file
// system and in real temporary folders. An independent model of what the user made (the
// files and their bytes, the list, the last saved manager) is checked after every step. A
// failing sequence is printed with its seed, shrunk to the fewest steps that still fail the
// same way, and shown as readable steps.
//
// BH_MODEL_SEQUENCES (sequences on the in-memory file system; a fifth as many run in real
// folders unless BH_MODEL_REAL_SEQUENCES says otherwise), BH_MODEL_STEPS and BH_MODEL_SEED
// (the first sequence's seed; sequence n uses seed + n) let a script run it longer or replay
// one sequence: scripts/model-test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/base/PathParts.h"
#include "core/document/BrackenholdDoc.h"
#include "core/document/ManagerFileFormat.h"
#include "core/operations/AddFiles.h"
#include "core/operations/ArchivePaths.h"
#include "core/operations/BackupRun.h"
#include "core/operations/Import.h"
#include "core/operations/KeptVersions.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"
#include "core/operations/Restore.h"
#include "core/operations/VerifyRun.h"
#include "core/operations/VersionCommands.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "core/view/Sorting.h"
#include "platform/memory/FakeSystemErrors.h"
#include "platform/memory/FileSystemWrapper.h"
#include "platform/memory/FixedClock.h"
#include "platform/memory/MemorySettingsStore.h"
#include "platform/memory/RecordingShell.h"
#include "support/SessionModelWorlds.h"

namespace bh {
namespace {

using test::CanonicalPath;
using test::MemoryWorld;
using test::RealWorld;
using test::StepUi;
using test::World;

bool IsTempName(const std::string& path) {
    const std::string name = FileNameOf(path);
    return name.size() > 4 && name[0] == '.' && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

// ---------------------------------------------------------------------------------------
// Steps. Each carries its own seed, so that a step does the same thing in a shortened
// sequence, read against the state it then meets.

enum class Kind {
    Add,
    AddArchive,
    Import,
    BackupAll,
    BackupSelected,
    Restore,
    RestoreKeepingCopies,
    RestoreUnattended,
    MovePath,
    AdditionalPath,
    Remove,
    RemoveDeletingArchives,
    Sort,
    Save,
    KeepVersions,
    Verify,
    BackupVerifying,
    Reopen,
    // Changes on disk between commands.
    Modify,
    Rot,
    Grow,
    Touch,
    DeleteSource,
    DeleteArchive,
    ReplaceByFolder,
    // Conditions of the next command.
    DenyFolder,
    DenyFile,
    FillDisk,
    ChangeDuringCopy,
    SaveDuringCopy,
};

struct Step {
    Kind kind;
    std::uint64_t seed;
};

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Add:
            return "add";
        case Kind::AddArchive:
            return "add an archive as a source";
        case Kind::Import:
            return "import";
        case Kind::BackupAll:
            return "backup all";
        case Kind::BackupSelected:
            return "backup selected";
        case Kind::Restore:
            return "restore";
        case Kind::RestoreKeepingCopies:
            return "restore keeping copies";
        case Kind::RestoreUnattended:
            return "unattended restore keeping copies";
        case Kind::MovePath:
            return "move path";
        case Kind::AdditionalPath:
            return "additional path";
        case Kind::Remove:
            return "remove";
        case Kind::RemoveDeletingArchives:
            return "remove deleting archives";
        case Kind::Sort:
            return "sort";
        case Kind::Save:
            return "save";
        case Kind::KeepVersions:
            return "keep versions";
        case Kind::Verify:
            return "verify selected";
        case Kind::BackupVerifying:
            return "backup all verifying each copy";
        case Kind::Reopen:
            return "close and reopen";
        case Kind::Rot:
            return "rot";
        case Kind::Modify:
            return "modify";
        case Kind::Grow:
            return "grow";
        case Kind::Touch:
            return "touch";
        case Kind::DeleteSource:
            return "delete a source";
        case Kind::DeleteArchive:
            return "delete an archive";
        case Kind::ReplaceByFolder:
            return "replace a file by a folder";
        case Kind::DenyFolder:
            return "unwritable folder";
        case Kind::DenyFile:
            return "read-only file";
        case Kind::FillDisk:
            return "full disk";
        case Kind::ChangeDuringCopy:
            return "change during a copy";
        case Kind::SaveDuringCopy:
            return "saves during a copy";
    }
    return "";
}

bool IsCommand(Kind kind) {
    return kind <= Kind::Reopen;
}

std::vector<Step> MakeSteps(std::uint64_t seed, int count) {
    static const std::vector<std::pair<Kind, int>> kWeights = {
        {Kind::Add, 12},
        {Kind::AddArchive, 2},
        {Kind::Import, 5},
        {Kind::BackupAll, 9},
        {Kind::BackupSelected, 5},
        {Kind::Restore, 3},
        {Kind::RestoreKeepingCopies, 3},
        {Kind::RestoreUnattended, 2},
        {Kind::MovePath, 5},
        {Kind::AdditionalPath, 5},
        {Kind::Remove, 3},
        {Kind::RemoveDeletingArchives, 4},
        {Kind::Sort, 4},
        {Kind::Save, 4},
        {Kind::KeepVersions, 5},
        {Kind::Verify, 4},
        {Kind::BackupVerifying, 3},
        {Kind::Reopen, 3},
        {Kind::Modify, 7},
        {Kind::Rot, 3},
        {Kind::Grow, 3},
        {Kind::Touch, 3},
        {Kind::DeleteSource, 2},
        {Kind::DeleteArchive, 3},
        {Kind::ReplaceByFolder, 1},
        {Kind::DenyFolder, 2},
        {Kind::DenyFile, 2},
        {Kind::FillDisk, 3},
        {Kind::ChangeDuringCopy, 3},
        {Kind::SaveDuringCopy, 2},
    };
    int total = 0;
    for (const auto& [kind, weight] : kWeights) {
        total += weight;
    }
    std::mt19937_64 rng(seed);
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        int pick = static_cast<int>(rng() % static_cast<std::uint64_t>(total));
        Kind kind = kWeights.front().first;
        for (const auto& [candidate, weight] : kWeights) {
            if (pick < weight) {
                kind = candidate;
                break;
            }
            pick -= weight;
        }
        steps.push_back({kind, rng()});
    }
    return steps;
}

// What a failure broke. The numbers 1 to 4 are the session's invariants; the others
// check the model itself, so that a fault of the model is never taken for one of the
// program.
enum class Broken {
    LostFile = 1,       // a file the user made is gone without being asked for
    FalseUpToDate = 2,  // a green entry whose archive's bytes differ from its source's
    ManagerFile = 3,    // the manager file is not the last saved list
    TempFile = 4,       // a temporary file was left behind
    DamagedFile = 5,    // a file holds bytes no command could have put there
    LostVersion = 6,    // a restore that was to keep a copy of a source replaced it without
    List = 7,           // the list is not what the user's commands made
    KeptVersions = 8,   // an archive's kept versions are not the ones it had
};

const char* BrokenText(Broken broken) {
    switch (broken) {
        case Broken::LostFile:
            return "a file the user made is gone (invariant 1)";
        case Broken::FalseUpToDate:
            return "an up-to-date entry's archive differs from its source (invariant 2)";
        case Broken::ManagerFile:
            return "the manager file is not the last saved list (invariant 3)";
        case Broken::TempFile:
            return "a temporary file remains (invariant 4)";
        case Broken::DamagedFile:
            return "a file holds bytes that no command could have written";
        case Broken::LostVersion:
            return "a source was replaced without the copy that was to keep it";
        case Broken::List:
            return "the list differs from what the commands made";
        case Broken::KeptVersions:
            return "the kept versions of an archive are not the bytes it had";
    }
    return "";
}

struct Failure {
    Broken broken;
    int step;
    std::string what;
    // What the files involved tell of the cause (how entries use them, which copy wrote
    // them), so that failures of different faults are counted apart.
    std::string cause = {};
    // The step's command.
    std::string command = {};

    std::string Key() const {
        return BrokenText(broken) + (" in " + command) + (cause.empty() ? "" : ", " + cause);
    }
};

// Remembers the copies that succeeded, to tell which of them explain a failure.
class CopyRecorder : public FileSystemWrapper {
  public:
    using FileSystemWrapper::FileSystemWrapper;

    ErrorCode Copy(const std::string& from, const std::string& to, bool failIfExists) override {
        const ErrorCode error = FileSystemWrapper::Copy(from, to, failIfExists);
        if (error == kNoError) {
            copies.emplace_back(from, to);
        }
        return error;
    }

    // Batches reach the real file system's own batch, with its shared flushes.
    std::vector<ErrorCode> CopyBatch(const std::vector<CopyRequest>& requests) override {
        const std::vector<ErrorCode> results = Inner().CopyBatch(requests);
        for (std::size_t i = 0; i < requests.size(); ++i) {
            if (results[i] == kNoError) {
                copies.emplace_back(*requests[i].from, *requests[i].to);
            }
        }
        return results;
    }

    std::vector<std::pair<std::string, std::string>> copies;
};

// ---------------------------------------------------------------------------------------
// One session: the core over a World, and the model of what the user made.

class Session {
  public:
    explicit Session(std::unique_ptr<World> world) : world_(std::move(world)) {
        const std::string& root = world_->Root();
        manager_ = root + "/m/main.bak";
        other_ = root + "/other/other.bak";
        managerFolder_ = root + "/m/";
        archiveFolder_ = root + "/arc/";
        for (const char* folder : {"/m", "/other", "/arc", "/src", "/src2"}) {
            world_->MakeFolder(root + folder);
        }
        // Two folders with a name in common, and a source named like the manager, so that
        // archive names need substitutes.
        for (const char* name : {"/src/a.txt", "/src/b.dat", "/src/notes", "/src/main.bak",
                                 "/src/c.txt", "/src2/a.txt", "/src2/d.log"}) {
            pool_.push_back(root + name);
        }
        std::mt19937_64 rng(1);
        for (const std::string& path : pool_) {
            WriteVersion(path, NewContent(rng, ""), now_);
        }
        doc_ = std::make_unique<CBrackenholdDoc>(services_, nullptr, "./");
        doc_->SetPathName(manager_);
        setupFailed_ = !SaveDocumentFile(*doc_, manager_);
        for (int column = 0; column < kColumnCount; ++column) {
            columns_[column].column = column;
        }
    }
    ~Session() { doc_.reset(); }

    std::optional<Failure> Run(const std::vector<Step>& steps, std::vector<std::string>* trace) {
        if (setupFailed_) {
            return Failure{Broken::ManagerFile, -1, "the empty manager could not be saved"};
        }
        for (std::size_t i = 0; i < steps.size(); ++i) {
            now_ += 100;
            clock_.Set(now_);
            ui_.NewStep();
            Effects effects;
            line_.clear();
            aside_.clear();
            changedSources_.clear();
            recorder_.copies.clear();
            if (IsCommand(steps[i].kind)) {
                world_->BeginCommand();
                Execute(steps[i], effects);
                world_->EndCommand();
                if (const auto save = std::exchange(pendingSave_, std::nullopt)) {
                    // The command did not copy the file its user kept saving: the user's
                    // last save ends it, a small file again.
                    WriteVersion(save->first, save->second, now_);
                    MarkStale(save->first);
                }
            } else {
                Execute(steps[i], effects);
            }
            if (trace) {
                trace->push_back(line_ + aside_);
            }
            if (std::optional<Failure> failure = Check(effects)) {
                failure->step = static_cast<int>(i);
                failure->command = KindName(steps[i].kind);
                return failure;
            }
        }
        return std::nullopt;
    }

  private:
    // One row as the model knows it. `entry` only ties the row to the core's entry across
    // a sort; `fresh` says whether the core has looked at the row's files since they last
    // changed behind its back (by the user, or by a command the user asked to overwrite them).
    struct Row {
        std::string source;
        std::string archive;
        std::string notes;
        const CFileEntry* entry = nullptr;
        bool fresh = true;
    };

    // What a command may do to the files: copy one path's bytes to another, delete a
    // file, create an empty one.
    struct Effects {
        std::vector<std::pair<std::string, std::string>> copies;
        std::set<std::string> mayDelete;
        std::set<std::string> mayCreateEmpty;
        // Bytes a file held for a while during the command.
        std::map<std::string, std::set<std::string>> passing;
    };

    std::string Short(const std::string& path) const {
        const std::string& root = world_->Root();
        return path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path;
    }

    void Say(const std::string& text) { line_ += text; }
    void ListError(const std::string& what) {
        if (!listError_) {
            listError_ = what;
        }
    }

    // Bytes of a new version. Every version has a size no other version has, so that the
    // size and time comparison of an entry can tell versions apart even after a restore has
    // put an older version back (the comparison cannot see an edit that keeps the size and
    // the time).
    std::string NewContent(std::mt19937_64& rng, const std::string& prefix) {
        const int id = nextVersion_++;
        const std::size_t size = 40 + 7 * static_cast<std::size_t>(id) + rng() % 5;
        std::string text = prefix + "<v" + std::to_string(id) + ">";
        while (text.size() < size) {
            text += static_cast<char>('a' + (id * 7 + text.size()) % 26);
        }
        text.resize(size);
        return text;
    }

    void WriteVersion(const std::string& path, const std::string& content, std::int64_t time) {
        world_->Write(path, content, time);
        files_[CanonicalPath(path)] = {content, ContentId(content)};
    }

    static std::size_t Pick(std::mt19937_64& rng, std::size_t count) {
        return count == 0 ? 0 : static_cast<std::size_t>(rng() % count);
    }

    // Whether a row uses the file at `path` (by any spelling) as its source or archive.
    static bool Uses(const Row& row, const std::string& path) {
        const std::string file = CanonicalPath(path);
        return CanonicalPath(row.source) == file || CanonicalPath(row.archive) == file;
    }
    bool UsedByRows(const std::string& path) const {
        return std::any_of(model_.begin(), model_.end(),
                           [&](const Row& row) { return Uses(row, path); });
    }
    void MarkStale(const std::string& path, const Row* except = nullptr) {
        for (Row& row : model_) {
            if (&row != except && Uses(row, path)) {
                row.fresh = false;
            }
        }
    }
    // Another spelling of the same path now and then, so that the program must recognise
    // one file under two names.
    static std::string Respell(std::mt19937_64& rng, const std::string& path) {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || rng() % 4 != 0) {
            return path;
        }
        return path.substr(0, slash) + (rng() % 2 ? "/./" : "//") + path.substr(slash + 1);
    }

    std::vector<ManagerRecord> Records() const {
        std::vector<ManagerRecord> records;
        for (const Row& row : model_) {
            records.push_back({row.source, row.archive, row.notes});
        }
        return records;
    }

    // Selection ---------------------------------------------------------------------------

    std::vector<int> SelectSome(std::mt19937_64& rng) {
        std::vector<int> selected;
        const int count = rows().Count();
        for (int row = 0; row < count; ++row) {
            const bool chosen = rng() % 2 == 0;
            rows().SetSelected(row, chosen);
            if (chosen) {
                selected.push_back(row);
            }
        }
        if (selected.empty() && count > 0) {
            const int row = static_cast<int>(Pick(rng, static_cast<std::size_t>(count)));
            rows().SetSelected(row, true);
            selected.push_back(row);
        }
        return selected;
    }
    int SelectOne(std::mt19937_64& rng) {
        const int count = rows().Count();
        for (int row = 0; row < count; ++row) {
            rows().SetSelected(row, false);
        }
        if (count == 0) {
            return -1;
        }
        const int row = static_cast<int>(Pick(rng, static_cast<std::size_t>(count)));
        rows().SetSelected(row, true);
        return row;
    }
    std::string RowsText(const std::vector<int>& rows) const {
        std::string text = "rows [";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            text += (i ? " " : "") + std::to_string(rows[i]);
        }
        return text + "]";
    }

    // Paths the steps choose from ----------------------------------------------------------

    std::vector<std::string> RowSources() const {
        std::vector<std::string> paths;
        for (const Row& row : model_) {
            paths.push_back(row.source);
        }
        return paths;
    }
    std::vector<std::string> RowArchives() const {
        std::vector<std::string> paths;
        for (const Row& row : model_) {
            paths.push_back(row.archive);
        }
        return paths;
    }
    std::vector<std::string> TrackedFiles() const {
        std::vector<std::string> paths;
        for (const auto& [path, content] : files_) {
            paths.push_back(path);
        }
        return paths;
    }
    std::string FreshName(const std::string& folder, const char* stem) {
        return folder + stem + std::to_string(nextName_++) + ".txt";
    }
    // A path for Move Path and Additional Path: new or existing, a file of another entry,
    // the entry's own paths, a missing folder or a folder.
    std::string TargetPath(std::mt19937_64& rng, const Row& row) {
        switch (rng() % 8) {
            case 0:
            case 1:
                return FreshName(archiveFolder_, "n");
            case 2:
                return FreshName(managerFolder_, "n");
            case 3: {
                const std::vector<std::string> archives = RowArchives();
                return Respell(rng, archives[Pick(rng, archives.size())]);
            }
            case 4: {
                const std::vector<std::string> files = TrackedFiles();
                return Respell(rng, files.empty() ? row.archive : files[Pick(rng, files.size())]);
            }
            case 5:
                return world_->Root() + "/missing/x.txt";
            case 6:
                return world_->Root() + "/src";
            default:
                return Respell(rng, rng() % 2 ? row.archive : row.source);
        }
    }

    // Commands -------------------------------------------------------------------------------

    void Execute(const Step& step, Effects& effects) {
        std::mt19937_64 rng(step.seed);
        switch (step.kind) {
            case Kind::Add:
                return AddStep(Respell(rng, pool_[Pick(rng, pool_.size())]), effects);
            case Kind::AddArchive: {
                const std::vector<std::string> archives = RowArchives();
                if (archives.empty()) {
                    Say("add an archive as a source: no entries");
                    return;
                }
                return AddStep(archives[Pick(rng, archives.size())], effects);
            }
            case Kind::Import:
                return ImportStep(rng);
            case Kind::BackupAll:
            case Kind::BackupSelected:
            case Kind::BackupVerifying:
                return BackupStep(rng, step.kind == Kind::BackupSelected, effects,
                                  step.kind == Kind::BackupVerifying);
            case Kind::Verify:
                return VerifyStep(rng);
            case Kind::Restore:
            case Kind::RestoreKeepingCopies:
            case Kind::RestoreUnattended:
                return RestoreStep(rng, step.kind, effects);
            case Kind::MovePath:
            case Kind::AdditionalPath:
                return PathStep(rng, step.kind == Kind::MovePath, effects);
            case Kind::Remove:
            case Kind::RemoveDeletingArchives:
                return RemoveStep(rng, step.kind == Kind::RemoveDeletingArchives, effects);
            case Kind::Sort:
                return SortStep(rng);
            case Kind::Save:
                return SaveStep();
            case Kind::KeepVersions:
                return KeepVersionsStep(rng);
            case Kind::Reopen:
                return ReopenStep();
            default:
                return DiskStep(step.kind, rng);
        }
    }

    // AddFile's archive name: the source's name in the manager's folder, or the first free
    // "name[k].ext".
    std::string ExpectedArchive(const std::string& source) const {
        const PathParts parts = SplitPath(source);
        for (int k = 0; k < kArchiveNameTries; ++k) {
            const std::string name = managerFolder_ + parts.fname +
                                     (k == 0 ? "" : "[" + std::to_string(k) + "]") + parts.ext;
            if (!world_->Read(name) && !world_->IsFolder(name)) {
                return name;
            }
        }
        return {};
    }

    void AddStep(const std::string& source, Effects& effects) {
        const bool isFile = world_->Read(source).has_value();
        const bool known = std::any_of(model_.begin(), model_.end(), [&](const Row& row) {
            return EqualsNoCase(row.source, source);
        });
        const std::string archive = ExpectedArchive(source);
        effects.mayCreateEmpty.insert(archive);
        const AddFileResult result = AddFile(*doc_, source);
        Say("add " + Short(source) + ": " + AddFileResultText(result));
        if (result == AddFileResult::Added) {
            Say(" as " + Short(archive));
            const CFileEntry& entry = rows().Entry(rows().Count() - 1);
            model_.push_back({source, archive, "", &entry, true});
            if (!isFile || known) {
                ListError("added " + Short(source) + ", which is no new file");
            }
        } else if (isFile && !known && result != AddFileResult::ArchiveNotCreated) {
            ListError("did not add the new file " + Short(source));
        }
    }

    void ImportStep(std::mt19937_64& rng) {
        std::vector<ManagerRecord> records;
        const int count = 1 + static_cast<int>(rng() % 3);
        const std::vector<std::string> sources = RowSources();
        const std::vector<std::string> archives = RowArchives();
        for (int i = 0; i < count; ++i) {
            ManagerRecord record;
            const auto choice = rng() % 6;
            const auto where = rng() % 6;
            if (choice < 3 || sources.empty()) {
                record.sourcePath = pool_[Pick(rng, pool_.size())];
            } else if (choice < 5) {
                record.sourcePath = sources[Pick(rng, sources.size())];
            } else {
                record.sourcePath = archives[Pick(rng, archives.size())];
            }
            if (where < 2 || archives.empty()) {
                record.archivePath = FreshName(archiveFolder_, "i");
            } else if (where < 4) {
                record.archivePath = archives[Pick(rng, archives.size())];  // shared
            } else if (where < 5) {
                record.archivePath = sources[Pick(rng, sources.size())];
            } else {
                record.archivePath = pool_[Pick(rng, pool_.size())];
            }
            if (CanonicalPath(record.archivePath) == CanonicalPath(record.sourcePath)) {
                record.archivePath = FreshName(archiveFolder_, "i");
            }
            record.sourcePath = Respell(rng, record.sourcePath);
            record.archivePath = Respell(rng, record.archivePath);
            record.notes = rng() % 2 ? "" : "imported";
            records.push_back(record);
        }
        world_->Write(other_, EncodeManager(records), now_);
        const int before = rows().Count();
        const ImportResult result = ImportManager(*doc_, other_);
        Say("import " + std::to_string(records.size()) + " entries:");
        for (const ManagerRecord& record : records) {
            Say(" " + Short(record.sourcePath) + "->" + Short(record.archivePath));
        }
        if (result != ImportResult::Imported || rows().Count() != before + count) {
            ListError("the import of a readable manager did not append its entries");
            return;
        }
        for (int i = 0; i < count; ++i) {
            const ManagerRecord& record = records[static_cast<std::size_t>(i)];
            model_.push_back(
                {record.sourcePath, record.archivePath, record.notes, &rows().Entry(before + i)});
        }
    }

    void BackupStep(std::mt19937_64& rng, bool selectedOnly, Effects& effects, bool verifying) {
        std::vector<int> selected;
        if (selectedOnly) {
            selected = SelectSome(rng);
        } else {
            for (int row = 0; row < rows().Count(); ++row) {
                selected.push_back(row);
            }
        }
        // The run looks at these rows' files first.
        for (const int row : selected) {
            model_[static_cast<std::size_t>(row)].fresh = true;
            effects.copies.emplace_back(model_[static_cast<std::size_t>(row)].source,
                                        model_[static_cast<std::size_t>(row)].archive);
        }
        BackupOptions options;
        options.selectedOnly = selectedOnly;
        options.verifyAfterCopy = verifying;
        const std::map<std::string, KeptContent> replaceable = ArchivesWorthKeeping(selected);
        backingUp_ = true;
        const BackupResult result = RunBackup(*doc_, options);
        backingUp_ = false;
        ExpectVersionsOf(replaceable);
        Say(selectedOnly ? "backup selected " + RowsText(selected)
                         : std::string(verifying ? "backup all verifying" : "backup all"));
        Say(": " + std::to_string(result.counts.backedUp) + " copied, " +
            std::to_string(result.counts.problems) + " problems");
        if (result.ran && result.counts.backedUp > 0) {
            Say(result.saveFailed ? ", save failed" : ", saved");
            if (!result.saveFailed) {
                saved_ = Records();
                NoteSavedOptions();
            }
        }
    }

    // Verify reads the selected rows' files and writes nothing; a row it leaves green holds
    // its source's bytes in its archive, however the size and time agree.
    void VerifyStep(std::mt19937_64& rng) {
        const std::vector<int> selected = SelectSome(rng);
        const VerifyResult result = RunVerify(*doc_);
        Say("verify selected " + RowsText(selected) + ": " +
            std::to_string(result.counts.verified) + " verified, " +
            std::to_string(result.counts.differ) + " differ");
        for (const int row : selected) {
            Row& verified = model_[static_cast<std::size_t>(row)];
            verified.fresh = true;
            const std::optional<std::string> source = world_->Read(verified.source);
            const std::optional<std::string> archive = world_->Read(verified.archive);
            if (rows().Entry(row).textColor == kColorUpToDate && source && archive &&
                *source != *archive) {
                ListError("verify left row " + std::to_string(row) + " green with other bytes");
            }
        }
    }

    // The desktop program restores a source even when its copy could not be made (the user
    // saw why in a box); an unattended restore (the command-line program's) must then leave
    // the source as it is.
    void RestoreStep(std::mt19937_64& rng, Kind kind, Effects& effects) {
        const bool keepCopies = kind != Kind::Restore;
        const std::vector<int> selected = SelectSome(rng);
        for (const int row : selected) {
            const Row& restored = model_[static_cast<std::size_t>(row)];
            effects.copies.emplace_back(restored.archive, restored.source);
            if (keepCopies) {
                const PathParts parts = SplitPath(restored.source);
                for (int n = 1; n <= kMaxSourceCopies; ++n) {
                    effects.copies.emplace_back(restored.source, SourceCopyName(parts, n));
                }
            }
        }
        if (kind == Kind::RestoreUnattended) {
            const RestoreOutcome outcome = RunRestore(*doc_, true, false);
            Say("unattended restore keeping copies " + RowsText(selected) + ": " +
                std::to_string(outcome.restored) + " restored, " + std::to_string(outcome.copies) +
                " copies");
            for (const int row : selected) {
                CheckKeptCopy(model_[static_cast<std::size_t>(row)].source);
            }
        } else {
            ui_.Script().QueueMessageBoxAnswer(keepCopies ? kIdYes : kIdNo);
            OnRestoreSelected(*doc_);
            Say(std::string("restore ") + (keepCopies ? "keeping copies " : "") +
                RowsText(selected));
            const std::vector<UiCall> boxes = ui_.Script().MessageBoxes();
            if (!boxes.empty()) {
                Say(": " + boxes.back().text.substr(0, boxes.back().text.find('\n')));
            }
        }
        // Restore evaluates no entry: rows sharing a restored source now show stale colours.
        for (const int row : selected) {
            MarkStale(model_[static_cast<std::size_t>(row)].source);
        }
    }

    // A source an unattended restore replaced has its bytes of before (or those its user gave
    // it while the command ran) in a new numbered copy.
    void CheckKeptCopy(const std::string& source) {
        const auto before = files_.find(CanonicalPath(source));
        const std::optional<std::string> now = world_->Read(source);
        const auto changed = changedDuringCommand_.find(CanonicalPath(source));
        if (before == files_.end() || !now || *now == before->second.bytes ||
            (changed != changedDuringCommand_.end() && changed->second.count(*now))) {
            return;  // not replaced, or replaced by its user
        }
        const PathParts parts = SplitPath(source);
        for (int n = 1; n <= kMaxSourceCopies; ++n) {
            const std::string copy = SourceCopyName(parts, n);
            const std::optional<std::string> kept = world_->Read(copy);
            if (!files_.count(CanonicalPath(copy)) && kept &&
                (*kept == before->second.bytes ||
                 (changed != changedDuringCommand_.end() && changed->second.count(*kept)))) {
                return;
            }
        }
        if (!lostVersion_) {
            lostVersion_ =
                "the restore replaced " + Short(source) + " without keeping a copy of it";
        }
    }

    void PathStep(std::mt19937_64& rng, bool move, Effects& effects) {
        const int row = SelectOne(rng);
        Say(move ? "move path" : "additional path");
        if (row < 0) {
            Say(": no entries");
            return;
        }
        Row& origin = model_[static_cast<std::size_t>(row)];
        const std::string target = TargetPath(rng, origin);
        const bool overwrite = rng() % 2 == 0;
        const bool existed = world_->Read(target).has_value();
        Say(" of row " + std::to_string(row) + " to " + Short(target) +
            (overwrite ? " (yes to copy over)" : " (no to copy over)"));
        ui_.Script().QueuePrompt(kIdOk, target);
        ui_.Script().QueueMessageBoxAnswer(overwrite ? kIdYes : kIdNo);
        const int before = rows().Count();
        if (move) {
            const std::string oldArchive = origin.archive;
            effects.copies.emplace_back(oldArchive, target);
            OnMovePath(*doc_);
            if (target != oldArchive && rows().Entry(row).archivePath == target) {
                Say(": moved");
                origin.archive = target;
                if (!world_->Read(target)) {
                    ListError("moved the archive to " + Short(target) + " but made no copy there");
                }
                effects.mayDelete.insert(oldArchive);
                MarkStale(oldArchive, &origin);
                if (existed) {
                    MarkStale(target, &origin);
                }
            }
        } else {
            effects.copies.emplace_back(origin.source, target);
            const Row added{origin.source, target, origin.notes};
            OnAdditionalPath(*doc_);
            if (rows().Count() == before + 1) {
                Say(": added");
                if (existed) {
                    MarkStale(target);
                }
                Row row2 = added;
                row2.entry = &rows().Entry(row + 1);
                model_.insert(model_.begin() + row + 1, row2);
            }
        }
    }

    void RemoveStep(std::mt19937_64& rng, bool deleteArchives, Effects& effects) {
        const std::vector<int> selected = SelectSome(rng);
        Say(std::string("remove ") + RowsText(selected) +
            (deleteArchives ? " deleting their archives" : ""));
        ui_.Script().QueueMessageBoxAnswer(deleteArchives ? kIdYes : kIdNo);
        OnRemoveSelected(*doc_);
        std::vector<Row> kept;
        std::set<int> gone(selected.begin(), selected.end());
        for (std::size_t i = 0; i < model_.size(); ++i) {
            if (gone.count(static_cast<int>(i))) {
                if (deleteArchives) {
                    effects.mayDelete.insert(model_[i].archive);
                }
            } else {
                kept.push_back(model_[i]);
            }
        }
        model_ = std::move(kept);
        for (const std::string& path : effects.mayDelete) {
            MarkStale(path);
        }
    }

    void SortStep(std::mt19937_64& rng) {
        const int column = static_cast<int>(rng() % kColumnCount);
        Say("sort by " + ColumnHeaderText(column));
        if (!SortRowsByColumn(rows(), columns_[static_cast<std::size_t>(column)])) {
            return;
        }
        doc_->SetModifiedFlag(true);
        // The order comes from the core; the model checks it holds the same rows.
        std::map<const CFileEntry*, Row> byEntry;
        for (const Row& row : model_) {
            byEntry[row.entry] = row;
        }
        std::vector<Row> sorted;
        for (int row = 0; row < rows().Count(); ++row) {
            const auto found = byEntry.find(&rows().Entry(row));
            if (found == byEntry.end()) {
                ListError("the sort showed an entry that was not in the list");
                return;
            }
            sorted.push_back(found->second);
            byEntry.erase(found);
        }
        if (!byEntry.empty()) {
            ListError("the sort lost rows");
            return;
        }
        if (column == kColumnSourcePath || column == kColumnArchivePath) {
            std::vector<std::string> keys;
            for (const Row& row : sorted) {
                keys.push_back(FoldCase(column == kColumnSourcePath ? row.source : row.archive));
            }
            if (!std::is_sorted(keys.begin(), keys.end()) &&
                !std::is_sorted(keys.rbegin(), keys.rend())) {
                ListError("the rows are not in the order of the sorted column");
            }
        }
        model_ = std::move(sorted);
    }

    void SaveStep() {
        const bool saved = SaveDocumentFile(*doc_, manager_);
        Say(saved ? "save" : "save: failed");
        if (saved) {
            saved_ = Records();
            NoteSavedOptions();
        }
    }

    // Kept versions -------------------------------------------------------------------------

    // A kept archive's bytes, its last-write time (which orders the versions) and when it was
    // kept (which orders versions of one second).
    struct KeptContent {
        std::string bytes;
        std::int64_t lastWrite = 0;
        int kept = 0;
    };

    // A save writes the settings beside the manager too; when only they fail, the save still
    // counts and they stay to be written.
    void NoteSavedOptions() {
        if (!doc_->OptionsChanged()) {
            savedKeep_ = keep_;
        }
    }

    void KeepVersionsStep(std::mt19937_64& rng) {
        const int count = static_cast<int>((rng() % 4 + 1) / 2);  // 0, 1, 1 or 2
        ui_.Script().QueuePrompt(kIdOk, std::to_string(count));
        OnKeepVersions(*doc_);
        keep_ = count;
        Say("keep " + std::to_string(count) + " versions");
    }

    // The archives of the rows a backup looks at that hold bytes a replacement would keep.
    std::map<std::string, KeptContent> ArchivesWorthKeeping(const std::vector<int>& selected) {
        std::map<std::string, KeptContent> archives;
        for (const int row : selected) {
            const std::string& archive = model_[static_cast<std::size_t>(row)].archive;
            const std::optional<std::string> bytes = world_->Read(archive);
            FileAttributes attributes;
            if (bytes && !bytes->empty() &&
                world_->Fs().GetAttributes(archive, attributes) == kNoError) {
                archives[CanonicalPath(archive)] = {*bytes, attributes.lastWriteSeconds, 0};
            }
        }
        return archives;
    }

    // Every archive the backup replaced had its old bytes moved among its versions (once: a
    // second copy over it in one run keeps nothing of the first), and the oldest beyond the
    // count went.
    void ExpectVersionsOf(std::map<std::string, KeptContent> replaceable) {
        if (keep_ == 0) {
            return;
        }
        for (const auto& [from, to] : recorder_.copies) {
            const auto old = replaceable.find(CanonicalPath(to));
            if (old == replaceable.end()) {
                continue;
            }
            std::vector<KeptContent>& versions = versions_[old->first];
            versions.push_back(old->second);
            versions.back().kept = nextKept_++;
            replaceable.erase(old);
            std::sort(versions.begin(), versions.end(), [](const auto& a, const auto& b) {
                return a.lastWrite != b.lastWrite ? a.lastWrite > b.lastWrite : a.kept > b.kept;
            });
            if (versions.size() > static_cast<std::size_t>(keep_)) {
                versions.resize(static_cast<std::size_t>(keep_));
            }
        }
    }

    static bool IsVersionPath(const std::string& path) {
        return path.find(std::string("/") + kVersionsFolderName + "/") != std::string::npos;
    }

    // The versions on disk are the model's, newest first, and none is of another archive.
    std::optional<Failure> CheckVersions(const Effects& effects) {
        std::size_t modelled = 0;
        for (const auto& [archive, expected] : versions_) {
            KeptVersions kept(world_->Fs(), clock_);
            std::vector<KeptVersion> found;
            IgnoreError(kept.List(archive, found));
            modelled += expected.size();
            if (found.size() != expected.size()) {
                return Failure{Broken::KeptVersions, 0,
                               Short(archive) + " has " + std::to_string(found.size()) +
                                   " kept versions, not " + std::to_string(expected.size())};
            }
            for (std::size_t i = 0; i < found.size(); ++i) {
                const std::optional<std::string> bytes = world_->Read(found[i].path);
                const auto passing = effects.passing.find(archive);
                const bool passed =
                    bytes && passing != effects.passing.end() && passing->second.count(*bytes) != 0;
                if (!bytes || (*bytes != expected[i].bytes && !passed)) {
                    return Failure{Broken::KeptVersions, 0,
                                   "version " + std::to_string(i) + " of " + Short(archive) +
                                       " does not hold the bytes that archive had"};
                }
            }
        }
        std::size_t present = 0;
        for (const std::string& path : world_->Files()) {
            present += IsVersionPath(path) && !IsTempName(path) ? 1 : 0;
        }
        if (present != modelled) {
            return Failure{Broken::KeptVersions, 0,
                           std::to_string(present) + " version files exist, the model kept " +
                               std::to_string(modelled)};
        }
        return std::nullopt;
    }

    void ReopenStep() {
        Say("close and reopen");
        if (!OpenDocumentFile(*doc_, manager_)) {
            ListError("the saved manager could not be opened again");
            return;
        }
        keep_ = savedKeep_;
        if (doc_->Options().keepVersions != keep_) {
            ListError("the reopened manager keeps " + std::to_string(doc_->Options().keepVersions) +
                      " versions, not " + std::to_string(keep_));
        }
        model_.clear();
        for (std::size_t i = 0; i < saved_.size() && i < static_cast<std::size_t>(rows().Count());
             ++i) {
            model_.push_back({saved_[i].sourcePath, saved_[i].archivePath, saved_[i].notes,
                              &rows().Entry(static_cast<int>(i))});
        }
        if (model_.size() != saved_.size() ||
            static_cast<std::size_t>(rows().Count()) != saved_.size()) {
            ListError("the reopened manager does not hold the saved rows");
        }
    }

    // Changes on disk and conditions of the next command --------------------------------

    void DiskStep(Kind kind, std::mt19937_64& rng) {
        std::vector<std::string> candidates;
        switch (kind) {
            case Kind::Modify:
            case Kind::DeleteSource:
            case Kind::ChangeDuringCopy:
            case Kind::SaveDuringCopy:
                candidates = rng() % 2 ? pool_ : RowSources();
                break;
            case Kind::DeleteArchive:
            case Kind::Rot:
                candidates = RowArchives();
                break;
            default:
                candidates = TrackedFiles();
                break;
        }
        if (kind == Kind::DenyFolder) {
            static const char* const kFolders[] = {"/m/", "/arc/", "/src/"};
            const std::string folder = world_->Root() + kFolders[Pick(rng, 3)];
            world_->DenyWrites(folder);
            Say("make " + Short(folder) + " unwritable for the next command");
            return;
        }
        if (kind == Kind::FillDisk) {
            const std::uint64_t afterBytes = rng() % 300;
            world_->FillDisk(afterBytes);
            Say("fill the disk after " + std::to_string(afterBytes) +
                " bytes for the next command");
            return;
        }
        if (kind == Kind::DenyFile) {
            candidates.push_back(manager_);
        }
        if (candidates.empty()) {
            Say("change on disk: no file to change");
            return;
        }
        const std::string path = candidates[Pick(rng, candidates.size())];
        if (pendingSave_ && CanonicalPath(pendingSave_->first) == CanonicalPath(path) &&
            kind != Kind::DenyFile) {
            // Another change of the file the user was to keep saving ends those saves.
            world_->StopSaving();
            pendingSave_.reset();
        }
        const auto tracked = files_.find(CanonicalPath(path));
        const bool exists = tracked != files_.end();
        switch (kind) {
            case Kind::Modify: {
                // A new version always has another size; half of them keep the time.
                const bool keepTime = exists && rng() % 2 == 0;
                const std::int64_t time = keepTime ? world_->Time(path) : now_;
                WriteVersion(path, NewContent(rng, ""), time);
                MarkStale(path);
                Say("modify " + Short(path) + (keepTime ? " keeping its time" : ""));
                return;
            }
            case Kind::Rot: {
                if (!exists || tracked->second.bytes.empty()) {
                    Say("rot " + Short(path) + ": no bytes to change");
                    return;
                }
                // Other bytes behind the same size and time: only a verify can tell.
                std::string bytes = tracked->second.bytes;
                bytes[Pick(rng, bytes.size())] ^= 0x20;
                WriteVersion(path, bytes, world_->Time(path));
                rotted_.insert(ContentId(bytes));
                Say("rot " + Short(path));
                return;
            }
            case Kind::Grow:
                if (!exists) {
                    Say("grow " + Short(path) + ": not a file");
                    return;
                }
                WriteVersion(path, NewContent(rng, tracked->second.bytes), now_);
                MarkStale(path);
                Say("grow " + Short(path));
                return;
            case Kind::Touch:
                if (!exists) {
                    Say("touch " + Short(path) + ": not a file");
                    return;
                }
                world_->SetTime(path, now_);
                MarkStale(path);
                Say("set a later time on " + Short(path));
                return;
            case Kind::DeleteSource:
            case Kind::DeleteArchive:
                world_->Delete(path);
                files_.erase(CanonicalPath(path));
                MarkStale(path);
                Say("delete " + Short(path));
                return;
            case Kind::ReplaceByFolder:
                world_->Delete(path);
                world_->MakeFolder(path);
                files_.erase(CanonicalPath(path));
                MarkStale(path);
                Say("replace " + Short(path) + " by a folder");
                return;
            case Kind::DenyFile:
                world_->DenyWrites(path);
                Say("make " + Short(path) + " read-only for the next command");
                return;
            case Kind::ChangeDuringCopy: {
                if (!exists) {
                    Say("change " + Short(path) + " during its next copy: not a file");
                    return;
                }
                // The change keeps the time (to the second) and makes the file longer, so
                // the copy can only tell by the size and the finer time.
                const std::string content = NewContent(rng, tracked->second.bytes);
                world_->ChangeDuringCopy(path, [this, path, content](const std::string& to) {
                    ChangeNow(path, content, to);
                });
                Say("change " + Short(path) + " during its next copy");
                return;
            }
            case Kind::SaveDuringCopy:
                if (!exists) {
                    Say("keep saving " + Short(path) + " during its next copy: not a file");
                    return;
                }
                return ArmSaves(rng, path);
            default:
                return;
        }
    }

    // A source of a few megabytes, so that its copy takes a while, saved again and again by
    // its user while the next copy of it runs, and saved a last time (another size, a later
    // time) once the copy has returned.
    void ArmSaves(std::mt19937_64& rng, const std::string& path) {
        if (!world_->CanSaveDuringCopy()) {
            // Nothing runs beside a copy here: one change between its steps instead.
            const std::string content = NewContent(rng, "");
            world_->ChangeDuringCopy(path, [this, path, content](const std::string& to) {
                ChangeNow(path, content, to);
            });
            Say("change " + Short(path) + " during its next copy");
            return;
        }
        const int id = nextVersion_++;
        const std::size_t size = (std::size_t{2} << 20) + 7 * static_cast<std::size_t>(id) +
                                 static_cast<std::size_t>(rng() % 5);
        const auto field = [id](int k) {
            char text[32];
            std::snprintf(text, sizeof text, "<%05d:%08d>", id % 100000, k % 100000000);
            return std::string(text, test::kChurnFieldSize);
        };
        const auto middle = std::make_shared<const std::string>(size - 2 * test::kChurnFieldSize,
                                                                static_cast<char>('a' + id % 26));
        const std::string last = NewContent(rng, "");
        test::Churn churn;
        churn.size = size;
        churn.field = field;
        churn.done = [this, path, field, middle, last](const std::string& to, bool copied,
                                                       const std::string& published) {
            SavedDuringCopy(path, field, *middle, last, to, copied, published);
        };
        world_->KeepSavingDuringCopy(path, churn);
        pendingSave_ = {path, last};
        WriteVersion(path, field(0) + *middle + field(0), now_);
        MarkStale(path);
        Say("keep saving " + Short(path) + " (" + std::to_string(size) +
            " bytes) during its next copy");
    }

    // What a copy published while its source was saved again and again must be one of the
    // source's saves, never a mix.
    void SavedDuringCopy(const std::string& path, const std::function<std::string(int)>& field,
                         const std::string& middle, const std::string& last, const std::string& to,
                         bool copied, const std::string& published) {
        constexpr std::size_t kField = test::kChurnFieldSize;
        pendingSave_.reset();
        if (copied) {
            const auto counter = [&](std::size_t at) {
                const std::string text = published.substr(at, kField);
                const int k = std::atoi(text.substr(7, 8).c_str());
                return text == field(k) ? k : -1;
            };
            const bool layout = published.size() == middle.size() + 2 * kField &&
                                published.compare(kField, middle.size(), middle) == 0;
            const int head = layout ? counter(0) : -1;
            const int tail = layout ? counter(published.size() - kField) : -1;
            if (head < 0 || tail < 0 || (head != tail && head != tail + 1)) {
                if (!mixedCopy_) {
                    mixedCopy_ = Short(to) + " holds saves " + std::to_string(head) + " and " +
                                 std::to_string(tail) + " of " + Short(path) +
                                 " at once, which the file never held together";
                }
            } else {
                changedDuringCommand_[CanonicalPath(path)].insert(published);
            }
        }
        world_->Write(path, last, world_->Time(path) + 1);
        aside_ += " [" + Short(path) + " saved again and again while copied to " + Short(to) +
                  (copied ? "" : ", copy refused") + "]";
        MarkChanged(path, last, to);
    }

    // The change armed by ChangeDuringCopy, made while a command runs.
    void ChangeNow(const std::string& path, const std::string& content, const std::string& to) {
        world_->ChangeInPlace(path, content);
        aside_ += " [" + Short(path) + " changed while copied to " + Short(to) + "]";
        MarkChanged(path, content, to);
    }

    // Records bytes a source took during a command.
    void MarkChanged(const std::string& path, const std::string& content, const std::string& to) {
        changedDuringCommand_[CanonicalPath(path)].insert(content);
        changedSources_.insert(CanonicalPath(path));
        // Rows that read the old file earlier in the command now show a stale colour, except
        // that a backup looks again at the rows it copies, after their copy.
        for (Row& row : model_) {
            const bool copiedNow = backingUp_ && CanonicalPath(row.source) == CanonicalPath(path) &&
                                   CanonicalPath(row.archive) == CanonicalPath(to);
            if (Uses(row, path) && !copiedNow) {
                row.fresh = false;
            }
        }
    }

    // How the remaining entries use a path.
    std::string UseText(const std::string& path) const {
        const bool source = std::any_of(model_.begin(), model_.end(), [&](const Row& row) {
            return CanonicalPath(row.source) == path;
        });
        const bool archive = std::any_of(model_.begin(), model_.end(), [&](const Row& row) {
            return CanonicalPath(row.archive) == path;
        });
        return source && archive ? "a remaining entry's source and another's archive"
               : source          ? "a remaining entry's source"
               : archive         ? "a remaining entry's archive"
                                 : "used by no entry";
    }
    // What the step's copies did to a row's files, which tells the causes of a false "up to
    // date" apart.
    std::string CopiesOver(const Row& of) const {
        const std::pair<std::string, std::string>* lastIntoArchive = nullptr;
        bool intoSource = false;
        const std::string source = CanonicalPath(of.source);
        const std::string archive = CanonicalPath(of.archive);
        for (const auto& copy : recorder_.copies) {
            if (CanonicalPath(copy.second) == archive) {
                lastIntoArchive = &copy;
            }
            intoSource = intoSource || CanonicalPath(copy.second) == source;
        }
        if (lastIntoArchive && CanonicalPath(lastIntoArchive->first) != source) {
            return "its archive was last written with another source";
        }
        if (intoSource) {
            return "its source, another entry's archive, was written by the same command";
        }
        if (changedSources_.count(source)) {
            return "its source changed during a copy";
        }
        return "no copy of this command explains it";
    }

    int ContentId(const std::string& content) {
        const auto known = contentIds_.find(content);
        if (known != contentIds_.end()) {
            return known->second;
        }
        const int id = static_cast<int>(contentIds_.size());
        contentIds_.emplace(content, id);
        return id;
    }

    // Checks after every step -------------------------------------------------------------

    std::optional<Failure> Check(const Effects& asked) {
        // Files by one spelling each.
        Effects effects;
        for (const auto& [from, to] : asked.copies) {
            effects.copies.emplace_back(CanonicalPath(from), CanonicalPath(to));
        }
        for (const std::string& path : asked.mayDelete) {
            effects.mayDelete.insert(CanonicalPath(path));
        }
        for (const std::string& path : asked.mayCreateEmpty) {
            effects.mayCreateEmpty.insert(CanonicalPath(path));
        }
        for (auto& [path, contents] : changedDuringCommand_) {
            effects.passing[path].insert(contents.begin(), contents.end());
        }
        changedDuringCommand_.clear();
        if (std::optional<std::string> mixed = std::exchange(mixedCopy_, std::nullopt)) {
            return Failure{Broken::DamagedFile, 0, *mixed};
        }
        if (std::optional<std::string> lost = std::exchange(lostVersion_, std::nullopt)) {
            return Failure{Broken::LostVersion, 0, *lost};
        }

        // The bytes each file may now hold: its own, or any that a copy could bring.
        // Contents are known by number, so that sets of large files stay cheap.
        std::map<std::string, std::set<int>> allowed;
        for (const auto& [path, known] : files_) {
            allowed[path].insert(known.id);
        }
        for (const auto& [path, contents] : effects.passing) {
            for (const std::string& content : contents) {
                allowed[path].insert(ContentId(content));
            }
        }
        for (const std::string& path : effects.mayCreateEmpty) {
            allowed[path].insert(ContentId(std::string()));
        }
        for (bool grew = true; grew;) {
            grew = false;
            for (const auto& [from, to] : effects.copies) {
                const auto source = allowed.find(from);
                if (source == allowed.end()) {
                    continue;
                }
                const std::set<int> add = source->second;
                std::set<int>& target = allowed[to];
                for (const int content : add) {
                    grew = target.insert(content).second || grew;
                }
            }
        }

        std::set<std::string> present;
        std::vector<std::string> temps;
        for (const std::string& path : world_->Files()) {
            if (IsTempName(path)) {
                temps.push_back(path);
            } else if (path != manager_ && path != other_ && !IsVersionPath(path) &&
                       path != ManagerOptionsPath(manager_)) {
                present.insert(path);
            }
        }

        // 1: nothing the user made is gone unless a command was asked to delete exactly it
        // and no entry still uses it.
        for (auto it = files_.begin(); it != files_.end();) {
            const std::string& path = it->first;
            if (present.count(path)) {
                ++it;
                continue;
            }
            if (effects.mayDelete.count(path) && !UsedByRows(path)) {
                it = files_.erase(it);
                continue;
            }
            std::string why = effects.mayDelete.count(path)
                                  ? " although an entry still uses it"
                                  : " and no command was asked to delete it";
            return Failure{Broken::LostFile, 0, Short(path) + " is gone" + why, UseText(path)};
        }
        // 5: every file holds bytes it held before or that a copy could bring.
        for (const std::string& path : present) {
            const std::optional<std::string> content = world_->Read(path);
            if (!content) {
                continue;
            }
            const auto known = files_.find(path);
            if (known != files_.end() && known->second.bytes == *content) {
                continue;
            }
            const int id = ContentId(*content);
            const auto permitted = allowed.find(path);
            if (permitted == allowed.end() || !permitted->second.count(id)) {
                return Failure{Broken::DamagedFile, 0,
                               Short(path) + " holds " + std::to_string(content->size()) +
                                   " bytes starting \"" + content->substr(0, 12) + "\"" +
                                   (files_.count(path) ? "" : " (a file no command could make)")};
            }
            files_[path] = {*content, id};
        }
        // 4: no temporary file remains.
        if (!temps.empty()) {
            return Failure{Broken::TempFile, 0, Short(temps.front()) + " remains"};
        }
        // 3: the manager file reads back as the last saved list.
        const std::optional<std::string> bytes = world_->Read(manager_);
        if (!bytes) {
            return Failure{Broken::ManagerFile, 0, "the manager file is gone"};
        }
        const ManagerReadResult read = DecodeManager(*bytes);
        if (read.status != ManagerReadStatus::Ok) {
            return Failure{Broken::ManagerFile, 0, "the manager file does not read back"};
        }
        if (read.records.size() != saved_.size()) {
            return Failure{Broken::ManagerFile, 0,
                           "the manager file holds " + std::to_string(read.records.size()) +
                               " entries, the last save wrote " + std::to_string(saved_.size())};
        }
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            const ManagerRecord& got = read.records[i];
            const ManagerRecord& want = saved_[i];
            if (got.sourcePath != want.sourcePath || got.archivePath != want.archivePath ||
                got.notes != want.notes) {
                return Failure{Broken::ManagerFile, 0,
                               "entry " + std::to_string(i) + " of the manager file is " +
                                   Short(got.sourcePath) + "->" + Short(got.archivePath) +
                                   ", the last save wrote " + Short(want.sourcePath) + "->" +
                                   Short(want.archivePath)};
            }
        }
        // The list is the model's.
        if (std::optional<std::string> what = listError_) {
            listError_.reset();
            return Failure{Broken::List, 0, *what};
        }
        if (static_cast<std::size_t>(rows().Count()) != model_.size()) {
            return Failure{Broken::List, 0,
                           "the list shows " + std::to_string(rows().Count()) + " rows, not " +
                               std::to_string(model_.size())};
        }
        for (int i = 0; i < rows().Count(); ++i) {
            const CFileEntry& entry = rows().Entry(i);
            const Row& row = model_[static_cast<std::size_t>(i)];
            if (&entry != row.entry || entry.sourcePath != row.source ||
                entry.archivePath != row.archive || entry.notes != row.notes) {
                return Failure{Broken::List, 0,
                               "row " + std::to_string(i) + " shows " + Short(entry.sourcePath) +
                                   "->" + Short(entry.archivePath) + ", not " + Short(row.source) +
                                   "->" + Short(row.archive)};
            }
        }
        // 2: a row shown up to date has an archive with its source's bytes. Folders count as
        // present files of size 0 by design, so rows with a folder are not judged.
        for (int i = 0; i < rows().Count(); ++i) {
            const CFileEntry& entry = rows().Entry(i);
            const Row& row = model_[static_cast<std::size_t>(i)];
            if (!row.fresh || entry.textColor != kColorUpToDate || world_->IsFolder(row.source) ||
                world_->IsFolder(row.archive)) {
                continue;
            }
            const std::optional<std::string> source = world_->Read(row.source);
            const std::optional<std::string> archive = world_->Read(row.archive);
            // Rotted bytes keep size and time, which is all a status evaluation looks at.
            if ((source && rotted_.count(ContentId(*source))) ||
                (archive && rotted_.count(ContentId(*archive)))) {
                continue;
            }
            if (!source || !archive || *source != *archive) {
                return Failure{Broken::FalseUpToDate, 0,
                               "row " + std::to_string(i) + " (" + Short(row.source) + "->" +
                                   Short(row.archive) + ") is shown up to date but " +
                                   (!source    ? "its source is missing"
                                    : !archive ? "its archive is missing"
                                               : "its archive holds other bytes"),
                               CopiesOver(row)};
            }
        }
        return CheckVersions(effects);
    }

    ManagerList& rows() const { return doc_->rows(); }

    std::unique_ptr<World> world_;
    FixedClock clock_{1'700'000'000};
    FakeSystemErrors errors_;
    RecordingShell shell_;
    MemorySettingsStore settings_;
    StepUi ui_;
    CopyRecorder recorder_{world_->Fs()};
    Services services_{recorder_, shell_, ui_, settings_, clock_, errors_};
    std::unique_ptr<CBrackenholdDoc> doc_;
    int keep_ = 0;
    int savedKeep_ = 0;
    int nextKept_ = 0;
    // The kept versions of each archive (by its canonical path), newest first.
    std::map<std::string, std::vector<KeptContent>> versions_;
    std::array<CColumnState, kColumnCount> columns_{};
    bool setupFailed_ = false;

    std::string manager_;
    std::string other_;
    std::string managerFolder_;
    std::string archiveFolder_;
    std::vector<std::string> pool_;

    // The model.
    // Every file the user has, with its bytes and their number.
    struct Known {
        std::string bytes;
        int id = 0;
    };
    std::map<std::string, Known> files_;
    std::vector<Row> model_;
    std::vector<ManagerRecord> saved_;
    std::int64_t now_ = 1'700'000'000;
    int nextVersion_ = 0;
    int nextName_ = 0;
    std::map<std::string, std::set<std::string>> changedDuringCommand_;
    std::set<std::string> changedSources_;  // changed while this step copied them

    std::string line_;
    std::string aside_;  // what happened behind the command's back
    bool backingUp_ = false;
    std::optional<std::string> mixedCopy_;
    std::optional<std::string> lostVersion_;
    std::optional<std::pair<std::string, std::string>> pendingSave_;  // path, last save
    std::unordered_map<std::string, int> contentIds_;
    std::set<int> rotted_;  // contents made by Rot
    std::optional<std::string> listError_;
};

// ---------------------------------------------------------------------------------------
// Running many sequences, shrinking and reporting.

using WorldMaker = std::function<std::unique_ptr<World>()>;

std::optional<Failure> RunSteps(const WorldMaker& makeWorld, const std::vector<Step>& steps,
                                std::vector<std::string>* trace = nullptr) {
    Session session(makeWorld());
    return session.Run(steps, trace);
}

// Drops runs of steps, halving their length down to single steps, while the sequence still
// breaks the same thing (a step reads the state it meets, so a step that seems unrelated may
// only go together with another).
std::vector<Step> Shrink(const WorldMaker& makeWorld, std::vector<Step> steps,
                         const Failure& failure) {
    steps.resize(static_cast<std::size_t>(failure.step) + 1);
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (std::size_t run = std::max<std::size_t>(1, steps.size() / 2); run > 0; run /= 2) {
            for (std::size_t end = steps.size(); end >= run && end > 0;) {
                std::vector<Step> shorter = steps;
                shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(end - run),
                              shorter.begin() + static_cast<std::ptrdiff_t>(end));
                const std::optional<Failure> again = RunSteps(makeWorld, shorter);
                if (again && again->Key() == failure.Key()) {
                    shorter.resize(static_cast<std::size_t>(again->step) + 1);
                    steps = std::move(shorter);
                    dropped = true;
                    end = std::min(end - run, steps.size());
                } else {
                    --end;
                }
            }
        }
    }
    return steps;
}

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    return std::strtoull(text, nullptr, 10);
}

// Runs `sequences` sequences from `firstSeed`; shrinks and prints the first failure of each
// kind. Returns the number of failing sequences.
int RunSequences(const WorldMaker& makeWorld, const char* worldName, std::uint64_t firstSeed,
                 std::uint64_t sequences, int steps) {
    std::map<std::string, std::vector<std::uint64_t>> failures;  // seeds by kind
    for (std::uint64_t n = 0; n < sequences; ++n) {
        const std::uint64_t seed = firstSeed + n;
        const std::vector<Step> sequence = MakeSteps(seed, steps);
        const std::optional<Failure> failure = RunSteps(makeWorld, sequence);
        if (!failure) {
            continue;
        }
        std::vector<std::uint64_t>& seeds = failures[failure->Key()];
        seeds.push_back(seed);
        if (seeds.size() > 1) {
            continue;  // one shrunk example per kind keeps the output readable
        }
        const std::vector<Step> shortest = Shrink(makeWorld, sequence, *failure);
        std::vector<std::string> trace;
        const std::optional<Failure> last = RunSteps(makeWorld, shortest, &trace);
        std::ostringstream text;
        text << "seed " << seed << " on " << worldName << ": " << BrokenText(failure->broken)
             << " at step " << failure->step + 1 << " (" << failure->command
             << "): " << failure->what << " (" << failure->cause << ")\n"
             << "shortest failing sequence (" << shortest.size() << " steps):\n";
        for (std::size_t i = 0; i < trace.size(); ++i) {
            text << "  " << i + 1 << ". " << trace[i] << "\n";
        }
        text << "  -> " << (last ? last->what : std::string("(passed when run again)")) << "\n";
        ADD_FAILURE() << text.str();
    }
    int total = 0;
    for (const auto& [key, seeds] : failures) {
        std::string some;
        for (std::size_t i = 0; i < seeds.size() && i < 8; ++i) {
            some += (i ? " " : "") + std::to_string(seeds[i]);
        }
        std::printf("%s: %zu of %llu sequences: %s (seeds %s%s)\n", worldName, seeds.size(),
                    static_cast<unsigned long long>(sequences), key.c_str(), some.c_str(),
                    seeds.size() > 8 ? " ..." : "");
        total += static_cast<int>(seeds.size());
    }
    return total;
}

TEST(SessionModel, InMemoryFileSystem) {
    const std::uint64_t sequences = EnvNumber("BH_MODEL_SEQUENCES", 500);
    const int steps = static_cast<int>(EnvNumber("BH_MODEL_STEPS", 30));
    const std::uint64_t seed = EnvNumber("BH_MODEL_SEED", 1);
    EXPECT_EQ(RunSequences([] { return std::make_unique<MemoryWorld>(); }, "in-memory file system",
                           seed, sequences, steps),
              0);
}

TEST(SessionModel, RealFolders) {
    // Saves and copies flush their data to the disk, which costs milliseconds per flush on a
    // disk and would dominate thousands of steps; a memory-backed folder answers every call
    // the same way at once. A TMPDIR that is set is kept.
    std::error_code error;
    if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm", error) &&
        ::access("/dev/shm", W_OK) == 0) {
        ::setenv("TMPDIR", "/dev/shm", 0);
    }
    const std::uint64_t sequences =
        EnvNumber("BH_MODEL_REAL_SEQUENCES",
                  std::max<std::uint64_t>(1, EnvNumber("BH_MODEL_SEQUENCES", 500) / 5));
    const int steps = static_cast<int>(EnvNumber("BH_MODEL_STEPS", 30));
    const std::uint64_t seed = EnvNumber("BH_MODEL_SEED", 1);
    EXPECT_EQ(RunSequences([] { return std::make_unique<RealWorld>(); }, "real folders", seed,
                           sequences, steps),
              0);
}

}  // namespace
}  // namespace bh
