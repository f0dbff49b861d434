// Every file-system call of each operation, failed in every way it can fail. For each
// scenario a clean run records its calls; each case re-runs the scenario with one fault at
// one call and checks that nothing was lost, nothing half-done was left, and the failure was
// told where the user looks (report, summary, Results, messages).
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/base/Format.h"
#include "core/document/ManagerFileFormat.h"
#include "core/operations/AddFiles.h"
#include "core/operations/ArchivePaths.h"
#include "core/operations/BackupRun.h"
#include "core/operations/ManagerFile.h"
#include "core/operations/RemoveSelected.h"
#include "core/operations/Restore.h"
#include "core/ports/MessageBoxFlags.h"
#include "core/view/Columns.h"
#include "support/OperationsHarness.h"

namespace bh {
namespace {

using test::OperationsHarness;
using Files = std::map<std::string, std::string>;
using Erased = std::set<std::string>;

enum class Fault {
    NoSpaceAtStart,  // ENOSPC before the first byte
    NoSpaceHalfway,  // ENOSPC once part of the data is written
    IoError,         // EIO
    Denied,          // EACCES
    RenameFails,     // the temporary file is written, its rename fails
    Vanishes,        // the call's path disappears just before the call
    FolderVanishes,  // the folder of the call's path disappears just before the call
};

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::NoSpaceAtStart:
            return "NoSpaceAtStart";
        case Fault::NoSpaceHalfway:
            return "NoSpaceHalfway";
        case Fault::IoError:
            return "IoError";
        case Fault::Denied:
            return "Denied";
        case Fault::RenameFails:
            return "RenameFails";
        case Fault::Vanishes:
            return "Vanishes";
        case Fault::FolderVanishes:
            return "FolderVanishes";
    }
    return "";
}

const char* OperationName(FsOperation operation) {
    switch (operation) {
        case FsOperation::GetAttributes:
            return "GetAttributes";
        case FsOperation::Lookup:
            return "Lookup";
        case FsOperation::Copy:
            return "Copy";
        case FsOperation::CopyRead:
            return "CopyRead";
        case FsOperation::CopyWrite:
            return "CopyWrite";
        case FsOperation::CopyRename:
            return "CopyRename";
        case FsOperation::Remove:
            return "Remove";
        case FsOperation::CreateEmpty:
            return "CreateEmpty";
        case FsOperation::ReadAll:
            return "ReadAll";
        case FsOperation::WriteAtomically:
            return "WriteAtomically";
        case FsOperation::IsSameFile:
            return "IsSameFile";
        case FsOperation::ListFolder:
            return "ListFolder";
        case FsOperation::CreateFolders:
            return "CreateFolders";
        case FsOperation::Move:
            return "Move";
    }
    return "";
}

// The faults that make sense for a step of the file system.
std::vector<Fault> FaultsFor(FsOperation operation) {
    switch (operation) {
        case FsOperation::Copy:
            return {};  // its steps below are failed one by one
        case FsOperation::CopyRead:
            return {Fault::IoError, Fault::Denied, Fault::Vanishes, Fault::FolderVanishes};
        case FsOperation::CopyWrite:
            return {Fault::NoSpaceAtStart, Fault::NoSpaceHalfway, Fault::IoError, Fault::Denied,
                    Fault::FolderVanishes};
        case FsOperation::CopyRename:
            return {Fault::RenameFails, Fault::Denied, Fault::FolderVanishes};
        case FsOperation::WriteAtomically:
            return {Fault::NoSpaceAtStart, Fault::NoSpaceHalfway, Fault::IoError,
                    Fault::Denied,         Fault::RenameFails,    Fault::FolderVanishes};
        case FsOperation::CreateEmpty:
            return {Fault::NoSpaceAtStart, Fault::Denied, Fault::FolderVanishes};
        case FsOperation::Lookup:
        case FsOperation::IsSameFile:
            return {Fault::IoError, Fault::Vanishes};
        default:
            return {Fault::IoError, Fault::Denied, Fault::Vanishes, Fault::FolderVanishes};
    }
}

// One operation on a prepared manager, with the checks of what it told the user.
struct Scenario {
    const char* name;
    std::function<void(OperationsHarness&)> prepare;
    // Runs the operation; returns what it told (report, summary) for `check`.
    std::function<std::string(OperationsHarness&)> run;
    // Checks the told text and the document against the files as they ended up; `erased`
    // holds the files the fault itself made disappear.
    std::function<void(OperationsHarness&, const std::string& told, const Erased& erased)> check;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The number on the report's line that ends with `words` ("Files were backed up."...).
int ReportNumber(const std::string& report, const std::string& what) {
    std::smatch match;
    const std::regex line("(\\d+)  (File was|Files were|File has|Files have) " + what);
    return std::regex_search(report, match, line) ? std::stoi(match[1]) : -1;
}

int ProblemRows(const OperationsHarness& h) {
    int problems = 0;
    for (int row = 0; row < h.rows().Count(); ++row) {
        problems += h.rows().Entry(row).textColor == kColorProblem ? 1 : 0;
    }
    return problems;
}

std::vector<Scenario> Scenarios() {
    std::vector<Scenario> all;
    all.push_back({"Backup",
                   [](OperationsHarness& h) {
                       h.AddOutOfDate("a.txt");
                       h.AddOutOfDate("b.txt");
                       h.AddUpToDate("c.txt");
                   },
                   [](OperationsHarness& h) {
                       OnBackupAll(*h.doc);
                       const auto boxes = h.Boxes();
                       return boxes.empty() ? std::string() : boxes.back().text;
                   },
                   [](OperationsHarness& h, const std::string& report, const Erased& erased) {
                       int copied = 0;
                       int lost = 0;
                       for (const char* name : {"a.txt", "b.txt"}) {
                           const std::string archive = std::string("/arc/") + name;
                           copied += h.fs.Content(archive) == std::string("new ") + name;
                           lost += erased.count(archive) != 0;
                       }
                       ASSERT_TRUE(Contains(report, "total files")) << report;
                       // Copies the fault erased afterwards may have been made.
                       EXPECT_GE(ReportNumber(report, "backed up"), copied) << report;
                       EXPECT_LE(ReportNumber(report, "backed up"), copied + lost) << report;
                       // Every row that was not copied or up to date is a problem and red; a
                       // copied row whose status query then failed is red as well.
                       EXPECT_LE(ReportNumber(report, "problems"), ProblemRows(h)) << report;
                       EXPECT_GE(ReportNumber(report, "problems") + copied + lost, 2) << report;
                       EXPECT_EQ(
                           ReportNumber(report, "up to date") + ReportNumber(report, "backed up") +
                               ReportNumber(report, "skipped") + ReportNumber(report, "problems"),
                           3)
                           << report;
                       for (int row = 0; row < h.rows().Count(); ++row) {
                           if (h.rows().Entry(row).textColor == kColorProblem) {
                               EXPECT_FALSE(h.CellText(row, kColumnResults).empty());
                           }
                       }
                   }});
    all.push_back(
        {"Restore",
         [](OperationsHarness& h) {
             h.AddPair("a.txt", "broken a", 2000, "good a", 1000);
             h.AddPair("b.txt", "broken b", 2000, "good b", 1000);
             h.Select({0, 1});
             for (int i = 0; i < 8; ++i) {
                 h.ui.QueueMessageBoxAnswer(kIdOk);
             }
         },
         [](OperationsHarness& h) {
             const RestoreOutcome outcome = RunRestore(*h.doc, true);
             std::string told = RestoreSummaryText(outcome);
             for (const RestoredRow& row : outcome.rows) {
                 told += "\n#" + std::to_string(row.row) + " " + row.resultText;
             }
             return told;
         },
         [](OperationsHarness& h, const std::string& summary, const Erased& erased) {
             int restored = 0;
             int unknown = 0;  // erased by the fault after it may have been restored
             for (int row = 0; row < 2; ++row) {
                 const std::string name = row == 0 ? "a.txt" : "b.txt";
                 const std::string source = "/src/" + name;
                 const bool done = h.fs.Content(source) == "good " + name.substr(0, 1);
                 const bool gone = !h.fs.Exists(source) && erased.count(source) != 0;
                 restored += done ? 1 : 0;
                 unknown += gone ? 1 : 0;
                 if (!gone) {
                     EXPECT_EQ(h.CellText(row, kColumnResults).starts_with("Restored"), done)
                         << h.CellText(row, kColumnResults);
                 }
             }
             const int told = summary[0] - '0';
             EXPECT_GE(told, restored) << summary;
             EXPECT_LE(told, restored + unknown) << summary;
             EXPECT_EQ(Contains(summary, "Restore Failed") || Contains(summary, "Restores Failed"),
                       told < 2)
                 << summary;
         }});
    all.push_back({"MovePath",
                   [](OperationsHarness& h) {
                       h.AddPair("a.txt", "source a", 2000, "archive a", 1000);
                       h.fs.AddFolder("/arc2");
                       h.Select({0});
                       h.ui.QueuePrompt(kIdOk, "/arc2/a.txt");
                       h.ui.QueueMessageBoxAnswer(kIdYes);
                       h.ui.QueueMessageBoxAnswer(kIdOk);
                   },
                   [](OperationsHarness& h) {
                       OnMovePath(*h.doc);
                       return std::string();
                   },
                   [](OperationsHarness& h, const std::string&, const Erased& erased) {
                       const std::string target = h.rows().Entry(0).archivePath;
                       if (erased.count(target) == 0) {
                           EXPECT_EQ(h.fs.Content(target), "archive a") << target;
                       }
                       EXPECT_EQ(h.doc->IsModified(), target == "/arc2/a.txt");
                       if (target != "/arc2/a.txt") {
                           // Not moved: the user was told why, or nothing was touched.
                           EXPECT_FALSE(h.fs.Exists("/arc2/a.txt") && !h.fs.Exists("/arc/a.txt"));
                       }
                   }});
    all.push_back({"AdditionalPath",
                   [](OperationsHarness& h) {
                       h.AddPair("a.txt", "source a", 2000, "archive a", 1000);
                       h.fs.AddFolder("/arc2");
                       h.Select({0});
                       h.ui.QueuePrompt(kIdOk, "/arc2/a.txt");
                       h.ui.QueueMessageBoxAnswer(kIdYes);
                       h.ui.QueueMessageBoxAnswer(kIdOk);
                   },
                   [](OperationsHarness& h) {
                       OnAdditionalPath(*h.doc);
                       return std::string();
                   },
                   [](OperationsHarness& h, const std::string&, const Erased& erased) {
                       const bool added = h.doc->rows().Count() == 2;
                       if (added) {
                           EXPECT_EQ(h.rows().Entry(1).archivePath, "/arc2/a.txt");
                           if (erased.count("/arc2/a.txt") == 0) {
                               EXPECT_EQ(h.fs.Content("/arc2/a.txt"), "source a");
                           }
                       } else {
                           EXPECT_EQ(h.doc->rows().Count(), 1);
                       }
                       EXPECT_EQ(h.doc->IsModified(), added);
                   }});
    all.push_back({"RemoveWithDeletion",
                   [](OperationsHarness& h) {
                       h.AddOutOfDate("a.txt");
                       h.AddUpToDate("b.txt");
                       h.AddUpToDate("c.txt");
                       h.Select({0, 2});
                   },
                   [](OperationsHarness& h) {
                       const int removed = RemoveSelectedEntries(*h.doc, true);
                       const bool saved = SaveDocumentFile(*h.doc, OperationsHarness::kManager);
                       return Format("%d %d", removed, saved ? 1 : 0);
                   },
                   [](OperationsHarness& h, const std::string& told, const Erased& erased) {
                       ASSERT_EQ(h.doc->rows().Count(), 1);
                       EXPECT_EQ(h.rows().Entry(0).sourcePath, "/src/b.txt");
                       EXPECT_TRUE(told.starts_with("2 ")) << told;
                       if (erased.count("/arc/b.txt") == 0) {
                           EXPECT_EQ(h.fs.Content("/arc/b.txt"), "same");
                       }
                   }});
    all.push_back({"AddFiles",
                   [](OperationsHarness& h) {
                       h.AddUpToDate("a.txt");
                       h.fs.AddFile("/src/new.txt", "new file", 3000);
                   },
                   [](OperationsHarness& h) {
                       const AddFileResult result = AddFile(*h.doc, "/src/new.txt");
                       const bool saved = SaveDocumentFile(*h.doc, OperationsHarness::kManager);
                       return Format("%d %d", static_cast<int>(result), saved ? 1 : 0);
                   },
                   [](OperationsHarness& h, const std::string& told, const Erased& erased) {
                       const bool added = told.starts_with(
                           std::to_string(static_cast<int>(AddFileResult::Added)) + " ");
                       EXPECT_EQ(h.doc->rows().Count(), added ? 2 : 1) << told;
                       if (added && erased.count(h.rows().Entry(1).archivePath) == 0) {
                           EXPECT_TRUE(h.fs.Exists(h.rows().Entry(1).archivePath));
                       }
                   }});
    all.push_back(
        {"Save",
         [](OperationsHarness& h) {
             h.AddUpToDate("a.txt");
             h.AddOutOfDate("b.txt");
             h.doc->SetModifiedFlag(true);
         },
         [](OperationsHarness& h) {
             return std::string(SaveDocumentFile(*h.doc, OperationsHarness::kManager) ? "saved"
                                                                                      : "failed");
         },
         [](OperationsHarness& h, const std::string& told, const Erased&) {
             const bool saved = told == "saved";
             EXPECT_EQ(h.doc->IsModified(), !saved);
             const auto boxes = h.Boxes();
             EXPECT_EQ(!boxes.empty() && Contains(boxes.back().text, "Failed to save document."),
                       !saved);
         }});
    return all;
}

// The harness of a scenario: a saved manager with the scenario's entries, ready to run.
std::unique_ptr<OperationsHarness> Prepare(const Scenario& scenario) {
    auto h = std::make_unique<OperationsHarness>();
    h->fs.AddFile(OperationsHarness::kManager, "");
    scenario.prepare(*h);
    // The saved manager holds the entries as they are now.
    h->fs.AddFile(OperationsHarness::kManager, EncodeManager(h->rows()));
    h->fs.ClearCalls();
    return h;
}

Files Snapshot(const MemoryFileSystem& fs) {
    Files files;
    for (const std::string& path : fs.Paths()) {
        files[path] = fs.Content(path);
    }
    return files;
}

struct Event {
    FsOperation operation;
    std::string path;
};

// The events a scenario's clean run passes (interface calls and copy steps), and its end.
struct CleanRun {
    std::vector<Event> events;
    Files after;
};

CleanRun RecordClean(const Scenario& scenario) {
    auto h = Prepare(scenario);
    CleanRun clean;
    h->fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        clean.events.push_back({operation, path});
    });
    scenario.run(*h);
    h->fs.SetBeforeCall(nullptr);
    clean.after = Snapshot(h->fs);
    return clean;
}

struct Case {
    int scenario;
    int event;
    FsOperation operation;
    Fault fault;
};

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    const std::vector<Scenario> scenarios = Scenarios();
    for (int s = 0; s < static_cast<int>(scenarios.size()); ++s) {
        const CleanRun clean = RecordClean(scenarios[s]);
        for (int e = 0; e < static_cast<int>(clean.events.size()); ++e) {
            for (const Fault fault : FaultsFor(clean.events[e].operation)) {
                cases.push_back({s, e, clean.events[e].operation, fault});
            }
        }
    }
    return cases;
}

std::string FolderOfKey(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : key.substr(0, slash);
}

// Applies the fault at the step it belongs to; returns the files it erased itself.
std::set<std::string> Apply(MemoryFileSystem& fs, const Case& c, const std::string& path) {
    const std::string key = MemoryFileSystem::Normalize(path);
    const Files before = Snapshot(fs);
    FaultPoint point;
    point.operation = c.operation;
    point.pathSubstring = path;
    point.count = 1;
    switch (c.fault) {
        case Fault::NoSpaceAtStart:
            point.error = ErrorCode(ENOSPC);
            break;
        case Fault::NoSpaceHalfway:
            // The disk fills up after the first byte: part of the data was written.
            point.error = ErrorCode(ENOSPC);
            point.afterBytes = 1;
            break;
        case Fault::IoError:
        case Fault::RenameFails:
            point.error = ErrorCode(EIO);
            break;
        case Fault::Denied:
            point.error = ErrorCode(EACCES);
            break;
        case Fault::Vanishes:
            fs.Erase(key);
            break;
        case Fault::FolderVanishes:
            if (!FolderOfKey(key).empty()) {
                fs.Erase(FolderOfKey(key));
            }
            break;
    }
    if (c.fault != Fault::Vanishes && c.fault != Fault::FolderVanishes) {
        if (c.fault == Fault::RenameFails && c.operation == FsOperation::WriteAtomically) {
            // The manager's temporary file is written whole, then cannot replace the old one.
            point.afterBytes = 0;
        }
        fs.InjectFailure(point);
    }
    std::set<std::string> erased;
    for (const auto& [file, content] : before) {
        if (!fs.Exists(file)) {
            erased.insert(file);
        }
    }
    return erased;
}

bool IsTempName(const std::string& key) {
    const std::size_t slash = key.rfind('/');
    const std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
    return name.starts_with(".") && name.ends_with(".tmp");
}

class FaultMatrixTest : public ::testing::TestWithParam<Case> {};

TEST_P(FaultMatrixTest, NothingIsLostOrLeftHalfDoneAndTheFailureIsTold) {
    const Case& c = GetParam();
    const std::vector<Scenario> scenarios = Scenarios();
    const Scenario& scenario = scenarios[c.scenario];
    const CleanRun clean = RecordClean(scenario);
    auto h = Prepare(scenario);
    const Files before = Snapshot(h->fs);

    int event = 0;
    std::set<std::string> erased;
    h->fs.SetBeforeCall([&](FsOperation operation, const std::string& path) {
        if (event++ == c.event) {
            ASSERT_EQ(operation, c.operation) << "the run differs from the clean one";
            erased = Apply(h->fs, c, path);
        }
    });
    const std::string told = scenario.run(*h);
    h->fs.SetBeforeCall(nullptr);
    h->fs.ClearFailures();
    ASSERT_GT(event, c.event) << "the faulted step was never reached";
    const Files after = Snapshot(h->fs);

    // No temporary file is left anywhere.
    for (const auto& [path, content] : after) {
        EXPECT_FALSE(IsTempName(path)) << path;
    }
    // Every file the fault did not erase is as before, or as the clean run made it.
    for (const auto& [path, content] : before) {
        if (erased.count(path) != 0) {
            continue;
        }
        const auto now = after.find(path);
        const auto made = clean.after.find(path);
        if (now == after.end()) {
            EXPECT_TRUE(made == clean.after.end()) << path << " was deleted";
            continue;
        }
        EXPECT_TRUE(now->second == content ||
                    (made != clean.after.end() && now->second == made->second))
            << path << " holds \"" << now->second << "\"";
    }
    // New files are complete copies of data that existed (a copy name other than the clean
    // run's is allowed: a failed copy name is skipped for the next one).
    std::set<std::string> contentsBefore;
    for (const auto& [path, content] : before) {
        contentsBefore.insert(content);
    }
    for (const auto& [path, content] : after) {
        if (before.count(path) == 0) {
            const auto made = clean.after.find(path);
            EXPECT_TRUE((made != clean.after.end() && made->second == content) ||
                        contentsBefore.count(content) != 0)
                << path << " appeared with \"" << content << "\"";
        }
    }
    // No data is lost: what existed before exists somewhere after, unless the clean run
    // removes it on purpose (archives deleted with their entries).
    std::set<std::string> contentsAfter;
    std::set<std::string> contentsClean;
    for (const auto& [path, content] : after) {
        contentsAfter.insert(content);
    }
    for (const auto& [path, content] : clean.after) {
        contentsClean.insert(content);
    }
    for (const auto& [path, content] : before) {
        if (erased.count(path) == 0 && contentsClean.count(content) != 0) {
            EXPECT_EQ(contentsAfter.count(content), 1u) << "the data of " << path << " is lost";
        }
    }
    // The manager file is the old or the new complete file, and it matches the document
    // whenever the document says it is saved.
    const std::string manager = OperationsHarness::kManager;
    if (erased.count(manager) == 0) {
        ASSERT_EQ(after.count(manager), 1u);
        const std::string& bytes = after.at(manager);
        EXPECT_TRUE(bytes == before.at(manager) || bytes == clean.after.at(manager));
        if (!h->doc->IsModified()) {
            EXPECT_EQ(bytes, EncodeManager(h->rows()));
        }
    }
    // Every row holds its own entry.
    std::set<const CFileEntry*> owned;
    for (int row = 0; row < h->rows().Count(); ++row) {
        EXPECT_TRUE(owned.insert(&h->rows().Entry(row)).second);
    }
    scenario.check(*h, told, erased);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    const Case& c = info.param;
    return std::string(Scenarios()[c.scenario].name) + "_" + std::to_string(c.event) + "_" +
           OperationName(c.operation) + "_" + FaultName(c.fault);
}

INSTANTIATE_TEST_SUITE_P(EveryCallEveryFault, FaultMatrixTest, ::testing::ValuesIn(AllCases()),
                         CaseName);

// The matrix must really reach the steps it is meant to: every scenario has calls, and the
// steps of copies and saves are among them.
TEST(FaultMatrixCoverageTest, EveryScenarioReachesTheFileSystemSteps) {
    std::set<FsOperation> reached;
    for (const Scenario& scenario : Scenarios()) {
        const CleanRun clean = RecordClean(scenario);
        EXPECT_FALSE(clean.events.empty()) << scenario.name;
        for (const Event& e : clean.events) {
            reached.insert(e.operation);
        }
    }
    for (const FsOperation operation :
         {FsOperation::GetAttributes, FsOperation::CopyRead, FsOperation::CopyWrite,
          FsOperation::CopyRename, FsOperation::Remove, FsOperation::CreateEmpty,
          FsOperation::WriteAtomically, FsOperation::IsSameFile, FsOperation::Lookup}) {
        EXPECT_EQ(reached.count(operation), 1u) << OperationName(operation);
    }
    EXPECT_GT(AllCases().size(), 200u);
}

}  // namespace
}  // namespace bh
