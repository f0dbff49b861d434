// The JSON strings of the listing: valid JSON whatever the bytes, and the exact bytes in base64
// wherever they are not UTF-8.
#include "cli/JsonText.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

namespace bh::cli {
namespace {

std::string Base64(const std::string& bytes) {
    std::string out;
    AppendBase64(out, bytes);
    return out;
}

std::string Json(const std::string& bytes) {
    std::string out;
    AppendJsonString(out, bytes);
    return out;
}

TEST(JsonTextTest, Base64FollowsTheStandardVectors) {
    EXPECT_EQ(Base64(""), "");
    EXPECT_EQ(Base64("f"), "Zg==");
    EXPECT_EQ(Base64("fo"), "Zm8=");
    EXPECT_EQ(Base64("foo"), "Zm9v");
    EXPECT_EQ(Base64("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64(std::string("\xFF\xFE\x00\xFB\xEF", 5)), "//4A++8=");
}

TEST(JsonTextTest, Utf8CheckRefusesEveryMalformedSequence) {
    for (const char* valid : {"", "plain", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                              "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF", "\xEF\xBF\xBD"}) {
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    }
    for (const char* invalid :
         {"\xFF", "\x80", "\xC3", "\xC3(", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
          "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE2\x82",
          "ok\xE2\x82\xACno\xFE"}) {
        EXPECT_FALSE(IsValidUtf8(invalid)) << ::testing::PrintToString(std::string(invalid));
    }
}

TEST(JsonTextTest, StringsParseBackWithEachInvalidByteReplaced) {
    const std::string controls("q\"b\\s/\n\t\r\x01\x1F\x7F end");
    EXPECT_EQ(nlohmann::json::parse(Json(controls)), controls);
    EXPECT_EQ(Json("a\x01"), "\"a\\u0001\"");
    EXPECT_EQ(nlohmann::json::parse(Json("caf\xC3\xA9 \xF0\x9F\x98\x80")),
              "caf\xC3\xA9 \xF0\x9F\x98\x80");
    // One U+FFFD per byte that is not part of a valid sequence, the rest kept.
    EXPECT_EQ(nlohmann::json::parse(Json("n\xFF\xFE.\xE2\x82.\xC3(")),
              "n\xEF\xBF\xBD\xEF\xBF\xBD.\xEF\xBF\xBD\xEF\xBF\xBD.\xEF\xBF\xBD(");

    std::string field;
    AppendJsonStringField(field, "path", "/a/\xFF");
    EXPECT_EQ(field, "\"path\": \"/a/\xEF\xBF\xBD\", \"pathBase64\": \"L2Ev/w==\"");
    field.clear();
    AppendJsonStringField(field, "path", "/a/\xC3\xA9");
    EXPECT_EQ(field, "\"path\": \"/a/\xC3\xA9\"") << "valid UTF-8 has no companion";
}

}  // namespace
}  // namespace bh::cli
