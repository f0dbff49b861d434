#include "core/document/BrackenholdDoc.h"

#include <gtest/gtest.h>

#include "support/DocumentHarness.h"

namespace bh {
namespace {

using test::DocumentHarness;

std::unique_ptr<CFileEntry> Entry(DocumentHarness& h, const std::string& source) {
    return std::make_unique<CFileEntry>(source, source + ".arc", "", h.shell, h.fs);
}

TEST(Document, FolderSettingsAreReadAtCreationAndWrittenAtDestruction) {
    DocumentHarness h;
    EXPECT_EQ(h.doc->addDirStr, "./");
    EXPECT_EQ(h.doc->backupDirStr, "./");
    EXPECT_TRUE(h.doc->lastManagerName.empty());

    h.doc->addDirStr = "/home/ann/Docs/";
    h.doc->backupDirStr = "/mnt/backup/";
    h.doc.reset();
    EXPECT_EQ(h.settings.GetString("Settings", "addDirStr", ""), "/home/ann/Docs/");
    EXPECT_EQ(h.settings.GetString("Settings", "backupDirStr", ""), "/mnt/backup/");

    h.MakeDocument();
    EXPECT_EQ(h.doc->addDirStr, "/home/ann/Docs/");
    EXPECT_EQ(h.doc->backupDirStr, "/mnt/backup/");

    // A Windows front end passes its own current-folder text.
    test::DocumentHarness w;
    w.doc.reset();
    w.settings.Clear();
    CBrackenholdDoc windowsDoc(w.services, nullptr, ".\\");
    EXPECT_EQ(windowsDoc.addDirStr, ".\\");
}

TEST(Document, TitleCarriesTheModifiedMarkerOnce) {
    DocumentHarness h;
    EXPECT_EQ(h.doc->Title(), "Create or Open a Backup Manager");
    h.doc->SetModifiedFlag(true);
    h.doc->SetModifiedFlag(true);
    EXPECT_EQ(h.doc->Title(), "Create or Open a Backup Manager *");
    EXPECT_EQ(h.doc->PlainTitle(), "Create or Open a Backup Manager");
    EXPECT_EQ(h.ui.LastCaption(), "Create or Open a Backup Manager *");
    h.doc->SetModifiedFlag(false);
    EXPECT_EQ(h.doc->Title(), "Create or Open a Backup Manager");
    EXPECT_EQ(h.ui.LastCaption(), "Create or Open a Backup Manager");

    h.doc->SetPathName("/data/team.bak");
    EXPECT_EQ(h.doc->Title(), "team.bak");
    EXPECT_EQ(h.doc->PathName(), "/data/team.bak");
    ASSERT_EQ(h.recent.Paths().size(), 1u);
    EXPECT_EQ(h.recent.Paths()[0], "/data/team.bak");
    h.doc->SetModifiedFlag(true);
    // Renaming a modified manager keeps the marker.
    h.doc->SetPathName("/data/other.bak");
    EXPECT_EQ(h.doc->Title(), "other.bak *");
    h.doc->SetModifiedFlag(false);
    EXPECT_EQ(h.doc->Title(), "other.bak");

    h.doc->SetModifiedFlag(true);
    h.doc->OnNewDocument();
    EXPECT_EQ(h.doc->Title(), "Create or Open a Backup Manager");
    EXPECT_FALSE(h.doc->IsModified());
    EXPECT_TRUE(h.doc->PathName().empty());
}

TEST(Document, InitialUpdateKeepsTheDisplayOrderAndDropsSelectionAndResults) {
    DocumentHarness h;
    h.doc->rows().Append(Entry(h, "/s/b"));
    h.doc->rows().Append(Entry(h, "/s/a"));
    EXPECT_EQ(h.rows().Count(), 2);
    h.rows().Reorder({1, 0});
    h.rows().SetSelected(0, true);
    h.rows().SetResultsText(1, "done");

    int hookRuns = 0;
    h.doc->onInitialUpdate = [&] { ++hookRuns; };
    h.doc->InitialUpdate();
    EXPECT_EQ(hookRuns, 1);
    ASSERT_EQ(h.rows().Count(), 2);
    EXPECT_EQ(h.rows().Entry(0).sourcePath, "/s/a");
    EXPECT_EQ(h.rows().SelectedCount(), 0);
    EXPECT_EQ(h.rows().ResultsText(1), nullptr);

    h.doc->OnNewDocument();
    EXPECT_EQ(h.rows().Count(), 0);
}

TEST(Document, DuplicateSourceIndexFollowsEveryChangeOfTheEntries) {
    DocumentHarness h;
    h.doc->rows().Append(Entry(h, "/Home/Ann/Report.DOC"));
    EXPECT_TRUE(h.doc->rows().HasSource("/home/ann/report.doc"));
    EXPECT_FALSE(h.doc->rows().HasSource("/home/ann/report.docx"));
    // Bytes beyond ASCII are compared as they are.
    h.doc->rows().Append(Entry(h, "/s/\xC3\x84.txt"));
    EXPECT_FALSE(h.doc->rows().HasSource("/s/\xC3\xA4.txt"));

    h.rows().RemoveRows({true, false});
    EXPECT_FALSE(h.doc->rows().HasSource("/home/ann/report.doc"));

    // Two entries with one source (an import can do that): removing one keeps the other.
    h.doc->rows().Insert(0, Entry(h, "/s/twice"));
    h.doc->rows().Append(Entry(h, "/s/twice"));
    EXPECT_TRUE(h.doc->rows().HasSource("/s/twice"));
    h.rows().RemoveRows({false, false, true});
    EXPECT_TRUE(h.doc->rows().HasSource("/s/twice"));

    std::vector<std::unique_ptr<CFileEntry>> replacement;
    replacement.push_back(Entry(h, "/s/new"));
    h.rows().Replace(std::move(replacement));
    EXPECT_FALSE(h.doc->rows().HasSource("/s/twice"));
    EXPECT_TRUE(h.doc->rows().HasSource("/S/NEW"));

    h.doc->OnNewDocument();
    EXPECT_FALSE(h.doc->rows().HasSource("/s/new"));
}

}  // namespace
}  // namespace bh
