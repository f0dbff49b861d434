// Inputs the fuzzers of the manager reader and of import stopped on, kept as tests.
#include <gtest/gtest.h>

#include <string>

#include "core/document/ManagerFileFormat.h"
#include "core/operations/Import.h"
#include "core/operations/ManagerFile.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

// The first input the import fuzzer stopped on: one record whose texts hold UTF-8, bytes that
// are not UTF-8, a length byte of 1 and a line break.
const std::string kFirstImportStop(
    "\x15"
    "Brackenhold Version 1\x01\x00\x00\x00\x0a/src/caf\xc3\xa9\x0a/arc/\xff\xferaw\x01\x0a",
    50);

TEST(FuzzRegressionTest, ImportOfForeignBytesAppendsExactlyTheStoredRecord) {
    const ManagerReadResult parsed = DecodeManager(kFirstImportStop);
    ASSERT_EQ(parsed.status, ManagerReadStatus::Ok);
    ASSERT_EQ(parsed.records.size(), 1u);
    EXPECT_EQ(parsed.records[0].sourcePath, "/src/caf\xc3\xa9");
    EXPECT_EQ(parsed.records[0].archivePath, "/arc/\xff\xferaw");
    EXPECT_EQ(parsed.records[0].notes, "\n");
    EXPECT_EQ(DecodeManager(EncodeManager(parsed.records)).records[0].archivePath,
              "/arc/\xff\xferaw");

    test::DocumentHarness h;
    h.fs.AddFile("/src/a.txt", "alpha", 2000);
    h.fs.AddFile("/arc/a.txt", "old", 1000);
    h.WriteManager("/m/open.bak", {{"/src/a.txt", "/arc/a.txt", "kept"}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/open.bak"));
    h.fs.AddFile("/m/other.bak", kFirstImportStop);
    const test::DocumentState before = h.State();

    EXPECT_EQ(ImportManager(*h.doc, "/m/other.bak"), ImportResult::Imported);
    const test::DocumentState after = h.State();
    ASSERT_EQ(after.entries.size(), 2u);
    EXPECT_EQ(after.entries[0], before.entries[0]);
    EXPECT_EQ(after.entries[1], "/src/caf\xc3\xa9|/arc/\xff\xferaw|\n");
    EXPECT_EQ(after.rows.size(), 2u);
    EXPECT_TRUE(after.modified);
    EXPECT_EQ(after.path, before.path);
    EXPECT_EQ(h.fs.Paths().size(), 4u) << "import only reads";

    // The same bytes cut anywhere are refused whole, and the document stays as it was.
    for (std::size_t cut = 1; cut < kFirstImportStop.size(); ++cut) {
        h.fs.AddFile("/m/cut.bak", kFirstImportStop.substr(0, cut));
        const test::DocumentState beforeCut = h.State();
        EXPECT_NE(ImportManager(*h.doc, "/m/cut.bak"), ImportResult::Imported) << cut;
        EXPECT_EQ(h.State(), beforeCut) << cut;
    }
}

}  // namespace
}  // namespace bh
