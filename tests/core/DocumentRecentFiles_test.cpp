#include "core/base/RecentFileList.h"

#include <gtest/gtest.h>

#include "platform/memory/MemorySettingsStore.h"

namespace bh {
namespace {

TEST(RecentFileList, KeepsFourMostRecentFirstWithoutCaseDuplicates) {
    RecentFileList list;
    for (const char* path : {"/m/a.bak", "/m/b.bak", "/m/c.bak", "/m/d.bak", "/m/e.bak"}) {
        list.Add(path);
    }
    EXPECT_EQ(list.Paths(),
              (std::vector<std::string>{"/m/e.bak", "/m/d.bak", "/m/c.bak", "/m/b.bak"}));
    list.Add("/M/C.BAK");
    EXPECT_EQ(list.Paths(),
              (std::vector<std::string>{"/M/C.BAK", "/m/e.bak", "/m/d.bak", "/m/b.bak"}));
    EXPECT_TRUE(list.Contains("/m/c.bak"));
    EXPECT_FALSE(list.Contains("/m/a.bak"));
    list.Add("");
    EXPECT_EQ(list.Paths().size(), 4u);
    list.Remove(0);
    EXPECT_EQ(list.Paths().front(), "/m/e.bak");
}

TEST(RecentFileList, AddingAPathOfTheListItselfKeepsIt) {
    // Paths long enough to live on the heap, so that reading a freed one is caught by ASan.
    const std::string first = "/home/ann/Documents/Team/first-manager.bak";
    const std::string second = "/home/ann/Documents/Team/second-manager.bak";
    RecentFileList list;
    list.Add(first);
    list.Add(first);
    list.Add(list.Paths().front());
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{first}));

    list.Add(second);
    list.Add(list.Paths().front());
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{second, first}));
    list.Add(list.Paths().back());
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{first, second}));
}

TEST(RecentFileList, LoadsAndSavesFileOneToFour) {
    MemorySettingsStore settings;
    settings.WriteString("Recent File List", "File1", "/m/one.bak");
    settings.WriteString("Recent File List", "File2", "");
    settings.WriteString("Recent File List", "File3", "/m/three.bak");
    settings.WriteString("Recent File List", "File5", "/m/ignored.bak");
    RecentFileList list;
    list.Load(settings);
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/m/one.bak", "/m/three.bak"}));

    list.Add("/m/new.bak");
    list.Save(settings);
    EXPECT_EQ(settings.GetString("Recent File List", "File1", "?"), "/m/new.bak");
    EXPECT_EQ(settings.GetString("Recent File List", "File2", "?"), "/m/one.bak");
    EXPECT_EQ(settings.GetString("Recent File List", "File3", "?"), "/m/three.bak");
    EXPECT_EQ(settings.GetString("Recent File List", "File4", "?"), "");
}

TEST(RecentFileList, DisplayNamesFitThirtyBytes) {
    EXPECT_EQ(RecentFileList::DisplayName("/m/short.bak"), "/m/short.bak");
    const std::string exact = "/" + std::string(25, 'x') + ".bak";  // 30 bytes
    EXPECT_EQ(RecentFileList::DisplayName(exact), exact);
    EXPECT_EQ(RecentFileList::DisplayName("/home/ann/Documents/Team/daily.bak"),
              "/home/.../Team/daily.bak");
    EXPECT_EQ(RecentFileList::DisplayName("C:\\Users\\ann\\Documents\\Team\\daily.bak"),
              "C:\\Users\\...\\Team\\daily.bak");
    const std::string longName = "/m/" + std::string(40, 'n') + ".bak";
    const std::string shortened = RecentFileList::DisplayName(longName);
    EXPECT_EQ(shortened, std::string(27, 'n') + "...");
    // Never cuts inside a two-byte character.
    std::string wide = "/m/";
    for (int i = 0; i < 20; ++i) {
        wide += "\xC3\xA4";
    }
    const std::string cut = RecentFileList::DisplayName(wide);
    EXPECT_LE(cut.size(), 30u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_EQ((cut.size() - 3) % 2, 0u);
    for (const std::string& path :
         {std::string("/home/ann/Documents/Team/daily.bak"), longName, wide}) {
        EXPECT_LE(RecentFileList::DisplayName(path).size(), 30u) << path;
    }
}

}  // namespace
}  // namespace bh
