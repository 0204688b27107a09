#include <gtest/gtest.h>

#include <climits>

#include "winlist/HandleText.h"

namespace {

struct FormatCase { int32_t handle; const char* expect; };
const FormatCase kFormatCases[] = {
    {0, "0"},
    {1, "1"},
    {65598, "65598"},
    {INT32_MAX, "2147483647"},
    {-1, "-1"},
    {INT32_MIN, "-2147483648"},
    {static_cast<int32_t>(0x8001000Au), "-2147418102"},
};

TEST(HandleText, WritesSignedDecimal) {
    for (const auto& c : kFormatCases) {
        EXPECT_EQ(HandleToText(c.handle), c.expect) << "handle " << c.handle;
    }
}

struct ParseCase { const char* text; int32_t expect; const char* what; };
const ParseCase kParseCases[] = {
    {"65598", 65598, "plain digits"},
    {"-2147483648", INT32_MIN, "the smallest handle"},
    {"2147483647", INT32_MAX, "the largest positive handle"},
    {"2147483648", INT32_MIN, "2^31 wraps to the top bit"},
    {"4294967295", -1, "2^32 - 1 keeps its low 32 bits"},
    {"4294967296", 0, "2^32 has no low bits"},
    {"-2147483649", INT32_MAX, "below the range wraps around"},
    {"18446744073709551617", 1, "2^64 + 1: only the low 32 bits count"},
    {"12.9", 12, "a fraction truncates toward zero"},
    {"-12.9", -12, "a negative fraction truncates toward zero too"},
    {"007", 7, "leading zeros"},
    {"-0", 0, "minus zero"},
    {"12abc", 12, "digits up to the first other byte"},
    {"", 0, "no digits"},
    {"-", 0, "a lone minus"},
    {"abc", 0, "no leading digits"},
};

TEST(HandleText, ReadsDecimalLow32Bits) {
    for (const auto& c : kParseCases) {
        EXPECT_EQ(TextToHandle(c.text), c.expect) << c.what << ": \"" << c.text << "\"";
    }
}

TEST(HandleText, EveryHandleReadsBackExactly) {
    // A stride through the whole 32-bit range plus both edges.
    for (int64_t value = INT32_MIN; value <= INT32_MAX; value += 65537 * 31) {
        const int32_t handle = static_cast<int32_t>(value);
        ASSERT_EQ(TextToHandle(HandleToText(handle)), handle) << HandleToText(handle);
    }
    for (int32_t handle : {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX}) {
        EXPECT_EQ(TextToHandle(HandleToText(handle)), handle);
        EXPECT_LE(ByteLength(HandleToText(handle)), 11);
    }
}

TEST(HandleText, OneTextPerHandleInOrder) {
    const std::vector<int32_t> handles = {300, -7, 300, 0};
    const TextArray texts = HandleTexts(handles);
    ASSERT_EQ(texts.Count(), 4);
    EXPECT_EQ(texts.At(1), "300");
    EXPECT_EQ(texts.At(2), "-7");
    EXPECT_EQ(texts.At(3), "300") << "duplicates stay";
    EXPECT_EQ(texts.At(4), "0");
    EXPECT_EQ(HandleTexts({}).Count(), 0);
}

}  // namespace
