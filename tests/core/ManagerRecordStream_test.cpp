// Reading a manager in parts must find exactly what reading it whole finds, wherever the parts
// end: every record, and the same failure for every damaged file.
#include "core/document/ManagerRecordStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bh {
namespace {

ManagerReadResult ReadInParts(const std::string& bytes, std::size_t partSize) {
    StringFileReader file(bytes);
    ManagerFieldReader reader(file, partSize);
    ManagerRecordStream stream(reader);
    ManagerReadResult result;
    if (result.status = stream.Start(); result.status != ManagerReadStatus::Ok) {
        return result;
    }
    while (!stream.AtEnd()) {
        ManagerRecord record;
        if (result.status = stream.Next(record); result.status != ManagerReadStatus::Ok) {
            result.records.clear();
            return result;
        }
        result.records.push_back(record);
    }
    return result;
}

std::string Wide(const std::u16string& text) {
    std::string out("\xFF\xFE\xFF", 3);
    out.push_back(static_cast<char>(text.size()));
    for (const char16_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}

TEST(ManagerRecordStreamTest, PartsOfAnySizeGiveTheRecordsAndFailuresOfAWholeRead) {
    std::vector<ManagerRecord> records = {{"/s/a", "/a/a", ""},
                                          {std::string(300, 'x'), "/a/\xFF\xFE", "note"},
                                          {"/s/c", std::string(70000, 'y'), ""}};
    const std::string good = EncodeManager(records);
    // A record whose source is in the wide form.
    std::string wide = EncodeManager(std::vector<ManagerRecord>{{"", "/a/w", ""}});
    wide.replace(wide.size() - 7, 1, Wide(u"/s/\u00e9\xD800"));

    for (const std::size_t part : {1, 2, 3, 7, 64, 4096, 1 << 20}) {
        for (const std::string& bytes : {good, wide}) {
            const ManagerReadResult whole = DecodeManager(bytes);
            ASSERT_EQ(whole.status, ManagerReadStatus::Ok);
            const ManagerReadResult parts = ReadInParts(bytes, part);
            EXPECT_EQ(parts.status, ManagerReadStatus::Ok) << part;
            ASSERT_EQ(parts.records.size(), whole.records.size()) << part;
            for (std::size_t i = 0; i < whole.records.size(); ++i) {
                EXPECT_EQ(parts.records[i].sourcePath, whole.records[i].sourcePath);
                EXPECT_EQ(parts.records[i].archivePath, whole.records[i].archivePath);
                EXPECT_EQ(parts.records[i].notes, whole.records[i].notes);
            }
        }
        EXPECT_EQ(ReadInParts(wide, part).records[0].sourcePath, "/s/\xC3\xA9\xEF\xBF\xBD");
    }

    // Every cut of a small manager, and trailing bytes, fail as a whole read fails.
    const std::string small = EncodeManager(std::vector<ManagerRecord>{{"/s/a", "/a/a", "n"}});
    std::vector<std::string> damaged = {small + "x",
                                        "\x15"
                                        "Brackenhold Version 2"};
    for (std::size_t cut = 0; cut < small.size(); ++cut) {
        damaged.push_back(small.substr(0, cut));
    }
    for (const std::string& bytes : damaged) {
        const ManagerReadStatus expected = DecodeManager(bytes).status;
        ASSERT_NE(expected, ManagerReadStatus::Ok) << bytes.size();
        for (const std::size_t part : {1, 5, 4096}) {
            EXPECT_EQ(ReadInParts(bytes, part).status, expected) << bytes.size() << " " << part;
        }
    }
}

}  // namespace
}  // namespace bh
