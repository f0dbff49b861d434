#include "core/document/ManagerOptions.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "core/operations/DocumentCommands.h"
#include "core/operations/ManagerFile.h"
#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;

TEST(ManagerOptions, TextRoundTripsAndRefusesValuesOutOfRange) {
    ManagerOptions options;
    options.keepVersions = 7;
    options.verifyAfterCopy = true;
    ManagerOptions decoded;
    std::string problem;
    ASSERT_TRUE(DecodeManagerOptions(EncodeManagerOptions(options), decoded, problem));
    EXPECT_EQ(decoded, options);

    // Comments, blank lines, CRLF and settings of a later version are read past.
    ASSERT_TRUE(DecodeManagerOptions("# x\r\n\r\nkeep-versions=3\r\nlater-setting=1\r\n", decoded,
                                     problem));
    EXPECT_EQ(decoded.keepVersions, 3);
    EXPECT_FALSE(decoded.verifyAfterCopy);

    for (const char* bad : {"keep-versions=-1\n", "keep-versions=1000\n", "keep-versions=2x\n",
                            "keep-versions=\n", "verify-after-copy=1\n", "keep-versions\n"}) {
        ManagerOptions kept = options;
        EXPECT_FALSE(DecodeManagerOptions(bad, kept, problem)) << bad;
        EXPECT_EQ(kept, options) << "a refused text changes nothing: " << bad;
        EXPECT_FALSE(problem.empty());
    }
}

TEST(ManagerOptions, TravelWithTheManagerAndNeverTouchItsFile) {
    DocumentHarness h;
    h.WriteManager("/m/a.bak", {{"/src/a.txt", "/m/a.txt", ""}});
    const std::string designedBytes = h.fs.Content("/m/a.bak");
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/a.bak"));
    EXPECT_TRUE(h.doc->Options().IsDefault());

    ManagerOptions options;
    options.keepVersions = 2;
    h.doc->SetOptions(options);
    EXPECT_TRUE(h.doc->IsModified());
    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/a.bak"));
    EXPECT_EQ(h.fs.Content("/m/a.bak"), designedBytes);
    EXPECT_EQ(h.fs.Content("/m/a.bak.options"), EncodeManagerOptions(options));

    // Save As takes them along; opening either manager reads them back.
    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/b.bak"));
    EXPECT_EQ(h.fs.Content("/m/b.bak.options"), EncodeManagerOptions(options));
    h.doc->OnNewDocument();
    EXPECT_TRUE(h.doc->Options().IsDefault());
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/b.bak"));
    EXPECT_EQ(h.doc->Options(), options);

    // Back to the defaults: the settings file goes.
    h.doc->SetOptions(ManagerOptions());
    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/b.bak"));
    EXPECT_FALSE(h.fs.Exists("/m/b.bak.options"));
}

TEST(ManagerOptions, AnUnreadableFileIsReportedAndNotOverwritten) {
    DocumentHarness h;
    h.WriteManager("/m/a.bak", {{"/src/a.txt", "/m/a.txt", ""}});
    h.fs.AddFile("/m/a.bak.options", "keep-versions=many\n", 100);
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/a.bak"));
    EXPECT_TRUE(h.doc->Options().IsDefault());
    const auto boxes = h.ui.MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("keep-versions=many"), std::string::npos);

    // A save that changed no setting leaves the user's file for them to mend.
    h.doc->SetModifiedFlag(true);
    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/a.bak"));
    EXPECT_EQ(h.fs.Content("/m/a.bak.options"), "keep-versions=many\n");
}

TEST(ManagerOptions, SettingsThatCannotBeWrittenLeaveTheManagerSavedAndModified) {
    DocumentHarness h;
    h.WriteManager("/m/a.bak", {{"/src/a.txt", "/m/a.txt", ""}});
    ASSERT_TRUE(OpenDocumentFile(*h.doc, "/m/a.bak"));
    ManagerOptions options;
    options.verifyAfterCopy = true;
    h.doc->SetOptions(options);
    h.doc->rows().Entry(0).notes = "changed";
    h.fs.InjectFailure({FsOperation::WriteAtomically, ".options", ErrorCode(ENOSPC), 0, 1});

    EXPECT_TRUE(SaveDocumentFile(*h.doc, "/m/a.bak")) << "the manager itself was saved";
    EXPECT_NE(h.fs.Content("/m/a.bak").find("changed"), std::string::npos);
    EXPECT_FALSE(h.fs.Exists("/m/a.bak.options"));
    EXPECT_TRUE(h.doc->IsModified());
    ASSERT_EQ(h.ui.MessageBoxes().size(), 1u);
    EXPECT_EQ(h.ui.MessageBoxes()[0].text.rfind(kOptionsSaveFailedText, 0), 0u);

    ASSERT_TRUE(SaveDocumentFile(*h.doc, "/m/a.bak"));
    EXPECT_EQ(h.fs.Content("/m/a.bak.options"), EncodeManagerOptions(options));
    EXPECT_FALSE(h.doc->IsModified());
}

}  // namespace
}  // namespace bh
