// The listing of list and status as JSON, through the real program: names that are not UTF-8
// come back exactly, rows are numbered across the batches the listing is written in, and a
// manager that cannot be read fails as it does for every other command.
#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/CliInFolder.h"
#include "core/document/ManagerFileFormat.h"
#include "support/CliOutput.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

namespace bh {
namespace {

using test::Cli;
using test::CliRun;
using test::Contains;
using test::TempDir;

std::string DecodeBase64(const std::string& text) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') {
            break;
        }
        const std::size_t value = kAlphabet.find(c);
        EXPECT_NE(value, std::string::npos) << text;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    EXPECT_EQ(text.size() % 4, 0u) << "padded: " << text;
    return out;
}

nlohmann::json Parsed(const CliRun& run) {
    nlohmann::json parsed = nlohmann::json::parse(run.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << run.out;
    return parsed;
}

TEST(CliJsonListing, NamesThatAreNotUtf8ComeBackExactlyThroughTheirBase64) {
    TempDir dir;
    const std::vector<std::string> names = {"n\xFF.txt", "n\xFE.txt", "caf\xC3\xA9.txt"};
    for (const std::string& name : names) {
        dir.Write(name, "");
    }
    ASSERT_EQ(Cli(dir, {"new", "m.bak"}).exitCode, 0);
    const CliRun added = Cli(dir, {"add", "m.bak", names[0], names[1], names[2]});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const ManagerReadResult saved = DecodeManager(TempDir::Read(dir.File("m.bak")));
    ASSERT_EQ(saved.records.size(), 3u);

    for (const char* command : {"list", "status"}) {
        const CliRun run = Cli(dir, {command, "--json", "m.bak"});
        EXPECT_EQ(run.exitCode, 0) << command << run.err;
        const nlohmann::json parsed = Parsed(run);
        EXPECT_EQ(parsed["schemaVersion"], 2);
        const nlohmann::json& entries = parsed["entries"];
        ASSERT_EQ(entries.size(), 3u) << run.out;
        // The two names print alike; only their Base64 tells them apart.
        EXPECT_EQ(entries[0]["sourcePath"], entries[1]["sourcePath"]);
        for (std::size_t i = 0; i < 3; ++i) {
            const nlohmann::json& entry = entries[i];
            EXPECT_EQ(entry["row"], i + 1);
            const bool utf8 = i == 2;
            EXPECT_EQ(entry.contains("sourcePathBase64"), !utf8) << entry;
            EXPECT_EQ(entry.contains("archivePathBase64"), !utf8) << entry;
            const std::string source = utf8 ? entry["sourcePath"].get<std::string>()
                                            : DecodeBase64(entry["sourcePathBase64"]);
            const std::string archive = utf8 ? entry["archivePath"].get<std::string>()
                                             : DecodeBase64(entry["archivePathBase64"]);
            EXPECT_EQ(source, dir.File(names[i]));
            EXPECT_EQ(archive, saved.records[i].archivePath);
            EXPECT_TRUE(TempDir::Exists(archive)) << "the bytes name the real archive";
            for (const char* field :
                 {"notesBase64", "typeNameBase64", "statusBase64", "errorBase64"}) {
                EXPECT_FALSE(entry.contains(field)) << field;
            }
            EXPECT_EQ(entry["status"], "up to date");
        }
        EXPECT_EQ(parsed["summary"]["files"], 3);
    }
}

TEST(CliJsonListing, RowsAndSharedArchivesAreKeptAcrossBatches) {
    TempDir dir;
    dir.MakeFolder("src");
    dir.MakeFolder("Y");
    dir.Write("src/a.txt", "a");
    dir.Write("src/b.txt", "b");
    std::vector<ManagerRecord> records;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        records.push_back({"/nonexistent-bh/src/" + n, "/nonexistent-bh/arc/" + n, "note " + n});
    }
    // Rows 2 and 9001 (far apart, so in different batches) share one archive.
    records[1] = {dir.File("src/a.txt"), dir.File("Y/shared.txt"), ""};
    records[9000] = {dir.File("src/b.txt"), dir.File("Y/shared.txt"), ""};
    dir.Write("m.bak", EncodeManager(records));

    const CliRun run = Cli(dir, {"status", "--json", "m.bak"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const nlohmann::json parsed = Parsed(run);
    const nlohmann::json& entries = parsed["entries"];
    ASSERT_EQ(entries.size(), records.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ASSERT_EQ(entries[i]["row"], i + 1);
        ASSERT_EQ(entries[i]["notes"], records[i].notes);
    }
    EXPECT_EQ(entries[1]["error"], "archive  also the archive of " + dir.File("src/b.txt"));
    EXPECT_EQ(entries[9000]["error"], "archive  also the archive of " + dir.File("src/a.txt"));
    EXPECT_EQ(parsed["summary"]["files"], 10000);
    EXPECT_EQ(parsed["summary"]["problems"], 10000);

    const CliRun text = Cli(dir, {"list", "m.bak"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    const std::vector<std::string> lines = test::Lines(text.out);
    ASSERT_EQ(lines.size(), 1 + records.size() + 4);
    EXPECT_EQ(test::Fields(lines[9000])[8], "note 8999");
    EXPECT_EQ(lines[10001], "10000 Files");
    EXPECT_EQ(lines[10004], "10000 Problems");
}

TEST(CliJsonListing, AManagerThatCannotBeReadFailsAsForAnyCommandAndPrintsNothing) {
    TempDir dir;
    const std::string good =
        EncodeManager(std::vector<ManagerRecord>{{"/s/a", "/a/a", ""}, {"/s/b", "/a/b", ""}});
    dir.Write("foreign.bak", "not a manager at all");
    dir.Write("cut.bak", good.substr(0, good.size() - 3));
    dir.Write("trailing.bak", good + "x");
    for (const char* manager : {"foreign.bak", "cut.bak", "trailing.bak", "missing.bak"}) {
        // restore opens the manager before it looks at its rows.
        const CliRun reference = Cli(dir, {"restore", manager, "--all"});
        ASSERT_EQ(reference.exitCode, 2) << manager;
        ASSERT_FALSE(reference.err.empty());
        for (const std::vector<std::string>& args :
             std::vector<std::vector<std::string>>{{"list", manager},
                                                   {"list", "--json", manager},
                                                   {"status", manager},
                                                   {"status", "--json", manager}}) {
            const CliRun run = Cli(dir, args);
            EXPECT_EQ(run.exitCode, 2) << manager;
            EXPECT_EQ(run.out, "") << manager;
            EXPECT_EQ(run.err, reference.err) << ::testing::PrintToString(args);
        }
    }
}

}  // namespace
}  // namespace bh
