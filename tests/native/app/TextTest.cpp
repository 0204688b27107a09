#include <gtest/gtest.h>

#include "app/ExitRoutine.h"
#include "app/Text.h"

namespace {

struct SubstringCase { const char* text; int32_t position; int32_t count; const char* expect; const char* what; };
const SubstringCase kSubstringCases[] = {
    {"abcdef", 1, 3, "abc", "from the first byte"},
    {"abcdef", 4, 10, "def", "cut at the end of the text"},
    {"abcdef", 6, 1, "f", "the last byte"},
    {"abcdef", 7, 1, "", "just past the end"},
    {"abcdef", 0, 2, "", "position below 1"},
    {"abcdef", -5, 2, "", "negative position"},
    {"abcdef", 2, 0, "", "count 0"},
    {"abcdef", 2, -1, "", "negative count"},
    {"", 1, 1, "", "empty text"},
    {"\xD4\xC2x", 2, 1, "\xC2", "counts bytes, not characters"},
};

TEST(TextRules, Substring) {
    for (const auto& c : kSubstringCases) {
        EXPECT_EQ(Substring(c.text, c.position, c.count), c.expect) << c.what;
    }
}

TEST(TextRules, LeftPartCountsBytes) {
    EXPECT_EQ(LeftPart("\xD4\xC2\xC8\xD5", 3), "\xD4\xC2\xC8") << "may cut a character in half";
    EXPECT_EQ(LeftPart("abc", 10), "abc");
    EXPECT_EQ(LeftPart("abc", 0), "");
    EXPECT_EQ(LeftPart("abc", -3), "");
}

TEST(TextRules, ByteValueIsSigned) {
    EXPECT_EQ(ByteValue("A"), 65);
    EXPECT_EQ(ByteValue("\x7F"), 127);
    EXPECT_EQ(ByteValue("\x80"), -128);
    EXPECT_EQ(ByteValue("\xFE"), -2);
    EXPECT_EQ(ByteValue("\xFF"), -1);
    EXPECT_EQ(ByteValue(""), 0);
}

TEST(TextRules, LengthAndJoin) {
    EXPECT_EQ(ByteLength("帮助"), 4) << "CP936 takes two bytes a character";
    EXPECT_EQ(ByteLength(""), 0);
    EXPECT_EQ(Join("刷新", "_"), "\xCB\xA2\xD0\xC2_");
    EXPECT_EQ(Join("", ""), "");
}

struct SplitCase { const char* text; std::vector<Text> expect; const char* what; };
const SplitCase kSplitCases[] = {
    {"a|b|c", {"a", "b", "c"}, "three segments"},
    {"one", {"one"}, "a single segment"},
    {"", {}, "the empty text has no element"},
    {"|a", {"", "a"}, "a bar at the start adds an empty first segment"},
    {"a||b", {"a", "", "b"}, "an empty segment in the middle"},
    {"a|", {"a"}, "a bar at the very end adds nothing"},
    {"|", {""}, "a lone bar"},
    {"a|b||", {"a", "b", ""}, "two bars at the end keep one empty segment"},
    {"\x81|x|y", {"\x81|x", "y"}, "a bar that is the second byte of a character does not split"},
    {"a|b\xD4", {"a", "b\xD4"}, "a lone first byte at the end stays in the last segment"},
    {"a|\xD4", {"a", "\xD4"}, "a lone first byte alone"},
    {"\xFF|b", {"\xFF|b"}, "0xFF takes the next byte with it"},
};

TEST(TextRules, SplitAtBar) {
    for (const auto& c : kSplitCases) {
        TextArray got = SplitAtBar(c.text);
        ASSERT_EQ(got.Count(), static_cast<int32_t>(c.expect.size())) << c.what;
        for (int32_t i = 1; i <= got.Count(); ++i) EXPECT_EQ(got.At(i), c.expect[i - 1]) << c.what;
    }
}

TEST(TextArray, OneBasedAccess) {
    TextArray array({"first", "second"});
    EXPECT_EQ(array.Count(), 2);
    EXPECT_EQ(array.At(1), "first");
    EXPECT_EQ(array.At(2), "second");
    EXPECT_EQ(TextArray().Count(), 0);
}

void NoteExit() { std::fputs("exit routine ran\n", stderr); }

TEST(TextArrayDeathTest, OutOfBoundsIsFatalAndSkipsTheExitRoutine) {
    TextArray array({"only"});
    for (int32_t index : {0, 2, -1}) {
        EXPECT_EXIT(
            {
                RegisterExitRoutine(NoteExit);
                (void)array.At(index);
                RunExitRoutine();
            },
            ::testing::ExitedWithCode(255), "^fatal: TextArray index")
            << "index " << index;
    }
    EXPECT_EXIT((void)TextArray().At(1), ::testing::ExitedWithCode(255), "fatal")
        << "an empty array has no element 1";
}

int Runs = 0;
void CountRun() { ++Runs; }

TEST(ExitRoutine, RunsOnceAndTheLastRegistrationWins) {
    Runs = 0;
    RegisterExitRoutine(NoteExit);
    RegisterExitRoutine(CountRun);
    RunExitRoutine();
    RunExitRoutine();
    EXPECT_EQ(Runs, 1);
    RegisterExitRoutine(CountRun);
    DropExitRoutine();
    RunExitRoutine();
    EXPECT_EQ(Runs, 1) << "a dropped routine does not run";
}

}  // namespace
