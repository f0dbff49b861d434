// Streaming a manager must show what opening it shows: the same entries with the same states
// and shared archives, and for a file that cannot be read, the same message before any entry.
#include "core/operations/ManagerStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/base/ColumnIds.h"
#include "core/document/ManagerList.h"
#include "core/operations/ManagerFile.h"
#include "platform/memory/FileSystemWrapper.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;

// What a user sees of an entry: its paths, state, codes and Results text.
std::string Seen(const ManagerList& rows, int row, const DocumentHarness& h) {
    const CFileEntry& e = rows.Entry(row);
    return e.sourcePath + "|" + e.archivePath + "|" + e.notes + "|" +
           std::to_string(static_cast<int>(e.state)) + "|" + std::to_string(e.result) + "|" +
           std::to_string(e.lastError) + "|" + e.SharedWith() + "|" +
           CellText(rows, row, kColumnResults, h.clock, h.errors);
}

struct Streamed {
    ManagerStreamResult result = ManagerStreamResult::Done;
    std::vector<std::string> entries;
    std::vector<std::size_t> firstRows;
};

Streamed Stream(DocumentHarness& h, const std::string& path, std::size_t batchSize) {
    Streamed out;
    out.result =
        StreamManagerFile(h.services, path, kDefaultDateMode, batchSize,
                          [&](ManagerList& batch, std::size_t firstRow) {
                              EXPECT_LE(static_cast<std::size_t>(batch.Count()), batchSize);
                              out.firstRows.push_back(firstRow);
                              for (int row = 0; row < batch.Count(); ++row) {
                                  out.entries.push_back(Seen(batch, row, h));
                              }
                              return true;
                          });
    return out;
}

std::vector<std::string> Opened(DocumentHarness& h, const std::string& path) {
    EXPECT_TRUE(OpenDocumentFile(*h.doc, path));
    std::vector<std::string> entries;
    for (int row = 0; row < h.rows().Count(); ++row) {
        entries.push_back(Seen(h.rows(), row, h));
    }
    return entries;
}

TEST(ManagerStreamTest, BatchesHoldTheEntriesOfTheOpenedManagerSharedArchivesIncluded) {
    DocumentHarness h;
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 10; ++i) {
        const std::string name = "f" + std::to_string(i) + ".txt";
        h.fs.AddFile("/src/" + name, "data " + name, 2000);
        if (i % 3 == 0) {
            h.fs.AddFile("/arc/" + name, "old", 1000);
        }
        records.push_back({"/src/" + name, "/arc/" + name, "note " + std::to_string(i)});
    }
    // Rows 1 and 8 share an archive across batches (spelt in another letter case), row 5
    // names the same source as row 2 with it, so only rows 1 and 8 conflict; row 9's source
    // is missing, which keeps its own reason.
    records[8].archivePath = "/ARC/F1.txt";
    records[5] = {"/src/f2.txt", "/arc/f2.txt", ""};
    records[9] = {"/src/missing.txt", "/arc/f1.txt", ""};
    h.WriteManager("/m/team.bak", records);

    const Streamed streamed = Stream(h, "/m/team.bak", 3);
    EXPECT_EQ(streamed.result, ManagerStreamResult::Done);
    EXPECT_EQ(streamed.firstRows, (std::vector<std::size_t>{0, 3, 6, 9}));
    const std::vector<std::string> opened = Opened(h, "/m/team.bak");
    ASSERT_EQ(streamed.entries.size(), 10u);
    EXPECT_EQ(streamed.entries, opened);
    EXPECT_NE(opened[1].find("also the archive of /src/f8.txt"), std::string::npos)
        << "the comparison above saw the shared archives: " << opened[1];
    EXPECT_EQ(opened[2].find("also the archive"), std::string::npos) << opened[2];

    // A stop from the callback ends the run after that batch.
    int batches = 0;
    EXPECT_EQ(StreamManagerFile(h.services, "/m/team.bak", kDefaultDateMode, 4,
                                [&](ManagerList&, std::size_t) { return ++batches < 2; }),
              ManagerStreamResult::Stopped);
    EXPECT_EQ(batches, 2);
}

// The message boxes a run showed, as "caption: text".
std::vector<std::string> Messages(const ScriptedUserInterface& ui) {
    std::vector<std::string> out;
    for (const UiCall& call : ui.Calls()) {
        if (call.kind == UiCallKind::MessageBox) {
            out.push_back(call.caption + ": " + call.text + " " + std::to_string(call.flags));
        }
    }
    return out;
}

TEST(ManagerStreamTest, UnsoundFilesFailWithTheMessagesOfOpenBeforeAnyBatch) {
    DocumentHarness h;
    const std::string good = EncodeManager(std::vector<ManagerRecord>{
        {"/s/a", "/a/a", "n"}, {"/s/b", "/a/b", ""}, {"/s/c", "/a/c", "x"}});
    std::vector<std::string> damaged = {"", "not a manager at all", good + "!"};
    for (const std::size_t cut : {1, 10, 22, 25, 27, 40, static_cast<int>(good.size()) - 1}) {
        damaged.push_back(good.substr(0, cut));
    }
    std::string countTooLarge = good;
    countTooLarge[22] = '\x7F';
    damaged.push_back(countTooLarge);
    for (std::size_t i = 0; i <= damaged.size(); ++i) {
        const std::string path = "/m/d" + std::to_string(i) + ".bak";
        if (i < damaged.size()) {
            h.fs.AddFile(path, damaged[i]);  // the last one is missing
        }
        h.ui.ClearCalls();
        const Streamed streamed = Stream(h, path, 2);
        const std::vector<std::string> streamMessages = Messages(h.ui);
        h.ui.ClearCalls();
        const bool opened = OpenDocumentFile(*h.doc, path);
        const std::vector<std::string> openMessages = Messages(h.ui);
        if (i == 0) {
            // A zero-length file is an empty manager.
            EXPECT_TRUE(opened);
            EXPECT_EQ(streamed.result, ManagerStreamResult::Done);
            EXPECT_TRUE(streamed.firstRows.empty());
            continue;
        }
        EXPECT_FALSE(opened) << i;
        EXPECT_EQ(streamed.result, ManagerStreamResult::OpenFailed) << i;
        EXPECT_TRUE(streamed.firstRows.empty()) << "nothing before the whole file is checked";
        ASSERT_EQ(openMessages.size(), 1u) << i;
        EXPECT_EQ(streamMessages, openMessages) << i;
    }
}

// Reads the file, failing with EIO from a given offset on.
class FailingReader : public FileReader {
  public:
    FailingReader(std::unique_ptr<FileReader> inner, std::uint64_t failFrom)
        : inner_(std::move(inner)), failFrom_(failFrom) {}
    std::uint64_t Size() const override { return inner_->Size(); }
    ErrorCode ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes) override {
        if (offset + size > failFrom_) {
            return ErrorCode(EIO);
        }
        return inner_->ReadAt(offset, size, bytes);
    }

  private:
    std::unique_ptr<FileReader> inner_;
    std::uint64_t failFrom_;
};

class FailingFileSystem : public FileSystemWrapper {
  public:
    using FileSystemWrapper::FileSystemWrapper;
    ErrorCode OpenForReading(const std::string& path, std::unique_ptr<FileReader>& out) override {
        std::unique_ptr<FileReader> inner;
        const ErrorCode error = Inner().OpenForReading(path, inner);
        if (!error) {
            out = std::make_unique<FailingReader>(std::move(inner), failFrom);
        }
        return error;
    }
    std::uint64_t failFrom = 0;
};

TEST(ManagerStreamTest, AFileThatCannotBeReadToTheEndFailsWithItsError) {
    DocumentHarness h;
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 2000; ++i) {
        records.push_back({"/s/" + std::to_string(i), "/a/" + std::to_string(i), ""});
    }
    h.WriteManager("/m/big.bak", records);
    FailingFileSystem failing(h.fs);
    failing.failFrom = 20000;
    Services services{failing, h.shell, h.ui, h.settings, h.clock, h.errors};
    bool called = false;
    EXPECT_EQ(StreamManagerFile(services, "/m/big.bak", kDefaultDateMode, 100,
                                [&](ManagerList&, std::size_t) { return called = true; }),
              ManagerStreamResult::OpenFailed);
    EXPECT_FALSE(called);
    const std::vector<std::string> messages = Messages(h.ui);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Failed to open document.\n\nInput/output error"), std::string::npos)
        << messages[0];
}

}  // namespace
}  // namespace bh
