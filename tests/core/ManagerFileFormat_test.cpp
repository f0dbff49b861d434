#include "core/document/ManagerFileFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace bh {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

const std::string kHeaderBytes = std::string("\x15") + "Brackenhold Version 1";

TEST(ManagerFileFormat, EmptyManagerIsTwentySixBytes) {
    const std::string bytes = EncodeManager(std::vector<ManagerRecord>{});
    ASSERT_EQ(bytes.size(), 26u);
    EXPECT_EQ(bytes, kHeaderBytes + Bytes({0, 0, 0, 0}));
    const ManagerReadResult read = DecodeManager(bytes);
    EXPECT_EQ(read.status, ManagerReadStatus::Ok);
    EXPECT_TRUE(read.records.empty());
}

TEST(ManagerFileFormat, LengthEncodingsAtTheirBoundaries) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {300, Bytes({0xFF, 0x2C, 0x01})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const Case& c : cases) {
        std::string out;
        const std::string text(c.length, 'x');
        AppendManagerString(out, text);
        EXPECT_EQ(out, c.prefix + text) << c.length;

        const std::string file =
            EncodeManager(std::vector<ManagerRecord>{{"/src/a", "/arc/a", text}});
        const ManagerReadResult read = DecodeManager(file);
        ASSERT_EQ(read.status, ManagerReadStatus::Ok) << c.length;
        ASSERT_EQ(read.records.size(), 1u);
        EXPECT_EQ(read.records[0].notes, text) << c.length;
    }
}

TEST(ManagerFileFormat, RecordsRoundTripByteForByte) {
    const std::string path300 = "/" + std::string(299, 'p');
    const std::vector<ManagerRecord> records = {
        {path300, "/arc/a.txt", ""},
        {"/src/b.txt", "/arc/b.txt", std::string(70000, 'n')},
        {"/src/\xC3\xA4.txt", "/arc/\xC3\xA4.txt", "line1\nline2\ttab"},
    };
    const std::string bytes = EncodeManager(records);
    // The first record: 300-byte path in the 16-bit form, empty notes as one zero byte.
    std::string expectedStart = kHeaderBytes + Bytes({3, 0, 0, 0}) + Bytes({0xFF, 0x2C, 0x01}) +
                                path300 + Bytes({10}) + "/arc/a.txt" + Bytes({0});
    EXPECT_EQ(bytes.substr(0, expectedStart.size()), expectedStart);

    const ManagerReadResult read = DecodeManager(bytes);
    ASSERT_EQ(read.status, ManagerReadStatus::Ok);
    ASSERT_EQ(read.records.size(), 3u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(read.records[i].sourcePath, records[i].sourcePath);
        EXPECT_EQ(read.records[i].archivePath, records[i].archivePath);
        EXPECT_EQ(read.records[i].notes, records[i].notes);
    }
    EXPECT_EQ(EncodeManager(read.records), bytes);
}

TEST(ManagerFileFormat, WideTextStringsAreConvertedToUtf8) {
    // "A", U+00E4, U+20AC, U+1F600 (a surrogate pair), then an unpaired high surrogate.
    const std::string wideSource =
        Bytes({0xFF, 0xFE, 0xFF, 6}) +
        Bytes({'A', 0, 0xE4, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0x3D, 0xD8});
    // Wide text with its length in the 16-bit form.
    const std::string wideArchive =
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00}) + Bytes({'/', 0, 'z', 0});
    const std::string file = kHeaderBytes + Bytes({1, 0, 0, 0}) + wideSource + wideArchive +
                             Bytes({0xFF, 0xFE, 0xFF, 0});
    const ManagerReadResult read = DecodeManager(file);
    ASSERT_EQ(read.status, ManagerReadStatus::Ok);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].sourcePath, "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(read.records[0].archivePath, "/z");
    EXPECT_EQ(read.records[0].notes, "");

    // A wide header is still the header.
    std::string wideHeader = Bytes({0xFF, 0xFE, 0xFF, 21});
    for (char c : kManagerHeader) {
        wideHeader += c;
        wideHeader += '\0';
    }
    EXPECT_EQ(DecodeManager(wideHeader + Bytes({0, 0, 0, 0})).status, ManagerReadStatus::Ok);
}

TEST(ManagerFileFormat, ForeignHeadersAreNotManagers) {
    std::string lower = kHeaderBytes;
    lower[1] = 'b';  // "brackenhold Version 1"
    EXPECT_EQ(DecodeManager(lower + Bytes({0, 0, 0, 0})).status, ManagerReadStatus::NotManager);
    EXPECT_EQ(DecodeManager("plain text, not a manager\n").status, ManagerReadStatus::NotManager);
    EXPECT_EQ(DecodeManager(Bytes({0x14}) + "Brackenhold Version " + Bytes({0, 0, 0, 0})).status,
              ManagerReadStatus::NotManager);
    // A longer header text with the right beginning.
    EXPECT_EQ(DecodeManager(Bytes({0x16}) + "Brackenhold Version 12" + Bytes({0, 0, 0, 0})).status,
              ManagerReadStatus::NotManager);
}

TEST(ManagerFileFormat, EveryTruncationIsRejectedWithoutRecords) {
    const std::string file = EncodeManager(
        std::vector<ManagerRecord>{{"/src/a.txt", "/arc/a.txt", "note"}, {"/src/b", "/arc/b", ""}});
    for (std::size_t cut = 1; cut < file.size(); ++cut) {
        const ManagerReadResult read = DecodeManager(std::string_view(file).substr(0, cut));
        EXPECT_TRUE(read.status == ManagerReadStatus::Truncated ||
                    read.status == ManagerReadStatus::Corrupt)
            << "cut at " << cut;
        EXPECT_TRUE(read.records.empty()) << "cut at " << cut;
        EXPECT_FALSE(ManagerReadReason(read.status).empty());
    }
    EXPECT_EQ(DecodeManager(file).status, ManagerReadStatus::Ok);
}

TEST(ManagerFileFormat, BytesAfterTheLastRecordAreDamageNotPadding) {
    const std::string file = EncodeManager(
        std::vector<ManagerRecord>{{"/src/a.txt", "/arc/a.txt", "note"}, {"/src/b", "/arc/b", ""}});
    EXPECT_EQ(DecodeManager(file + Bytes({0})).status, ManagerReadStatus::Trailing);
    // A count that lost a record (2 became 1) leaves a whole record behind the "last" one.
    std::string lostCount = file;
    lostCount[kHeaderBytes.size()] = 1;
    const ManagerReadResult read = DecodeManager(lostCount);
    EXPECT_EQ(read.status, ManagerReadStatus::Trailing);
    EXPECT_TRUE(read.records.empty());
    EXPECT_EQ(ManagerReadReason(read.status),
              "The file is damaged: bytes follow its last entry, so its entry count is wrong.");
}

TEST(ManagerFileFormat, AbsurdLengthsAndCountsAreCorruptNotAllocations) {
    // A count of four billion entries in a 26-byte file.
    EXPECT_EQ(DecodeManager(kHeaderBytes + Bytes({0xFF, 0xFF, 0xFF, 0xFF})).status,
              ManagerReadStatus::Corrupt);
    // A count just one more than the remaining bytes can hold (3 bytes per empty record).
    EXPECT_EQ(DecodeManager(kHeaderBytes + Bytes({2, 0, 0, 0, 0, 0, 0})).status,
              ManagerReadStatus::Corrupt);
    EXPECT_EQ(DecodeManager(kHeaderBytes + Bytes({1, 0, 0, 0, 0, 0, 0})).status,
              ManagerReadStatus::Ok);
    const std::string oneRecord = kHeaderBytes + Bytes({1, 0, 0, 0});
    // A 4 GB string length.
    EXPECT_EQ(
        DecodeManager(oneRecord + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0})).status,
        ManagerReadStatus::Corrupt);
    // A wide length whose doubled size does not fit, though the count of characters does.
    EXPECT_EQ(DecodeManager(oneRecord + Bytes({0xFF, 0xFE, 0xFF, 4, 'a', 0, 'b', 0, 0, 0})).status,
              ManagerReadStatus::Corrupt);
    // A wide marker followed by a second wide marker.
    EXPECT_EQ(
        DecodeManager(oneRecord + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0, 0})).status,
        ManagerReadStatus::Corrupt);
}

}  // namespace
}  // namespace bh
