#include <gtest/gtest.h>

#include "about/CreditsText.h"
#include "tests/native/about/CreditsClock.h"

namespace {

TEST(CreditsText, ThreeLinesOfTheExpectedBytes) {
    TextArray lines = SplitAtBar(CreditsText);
    ASSERT_EQ(lines.Count(), 3);
    const Text& first = lines.At(1);
    const Text head = "Tavrin制作 E-mail:";
    const Text tail = " 欢迎问题反馈";
    ASSERT_GT(ByteLength(first), ByteLength(head) + ByteLength(tail));
    EXPECT_EQ(LeftPart(first, ByteLength(head)), head);
    EXPECT_EQ(first.substr(first.size() - tail.size()), tail);
    const Text address = first.substr(head.size(), first.size() - head.size() - tail.size());
    EXPECT_TRUE(address.ends_with("@example.com")) << address;
    for (char c : address) EXPECT_TRUE(c > ' ' && c < 0x7F) << "plain ASCII without spaces: " << address;
    EXPECT_EQ(ByteLength(lines.At(2)), 78);
    EXPECT_EQ(ByteLength(lines.At(3)), 62);
}

// The real credits typed through two full rounds, cut into one run of
// captions per typed line.
std::vector<std::vector<Shown>> TypedRuns(CreditsRun& run, int64_t until) {
    run.Open(CreditsText);
    run.RunUntil(until);
    std::vector<std::vector<Shown>> runs;
    size_t last = SIZE_MAX;
    for (const Shown& s : run.label.shown) {
        if (s.caption.size() <= last) runs.emplace_back();  // a shorter caption starts a line
        runs.back().push_back(s);
        last = s.caption.size();
    }
    return runs;
}

// One round of the three lines (41, 39 and 34 characters): each line's
// typing plus its 3080 ms on show. Line 1 comes again at 100 + 2 rounds.
constexpr int64_t kRound = 80 * (40 + 38 + 33) + 3 * 3080;
constexpr int64_t kTwoRounds = 100 + 2 * kRound - 1;

// Character widths of each line in runs of equal steps: {bytes, count}.
struct StepRun { int32_t bytes; int32_t count; };
struct LineCase { int32_t line; std::vector<StepRun> steps; const char* what; };
const LineCase kLineCases[] = {
    {1, {{1, 6}, {2, 2}, {1, 27}, {2, 6}}, "name, e-mail address letter by letter, greeting"},
    {2, {{2, 39}}, "39 two-byte characters, punctuation included"},
    {3, {{1, 2}, {2, 1}, {1, 2}, {2, 1}, {2, 20}, {1, 1}, {2, 4}, {1, 1}, {2, 2}},
     "digits and spaces one byte, the other characters two"},
};

TEST(Typewriter, EachStepShowsOneMoreCharacterAndTheCursor) {
    CreditsRun run;
    auto runs = TypedRuns(run, kTwoRounds);
    ASSERT_EQ(runs.size(), 6u) << "three lines, twice";
    TextArray lines = SplitAtBar(CreditsText);
    for (size_t r = 0; r < runs.size(); ++r) {
        const LineCase& c = kLineCases[r % 3];
        const Text& line = lines.At(c.line);
        std::vector<Text> expect;
        int32_t typed = 0;
        for (const StepRun& s : c.steps) {
            for (int32_t i = 0; i < s.count; ++i) {
                typed += s.bytes;
                expect.push_back(LeftPart(line, typed) + "_");
            }
        }
        ASSERT_EQ(typed, ByteLength(line)) << "table of line " << c.line;
        std::vector<Text> got;
        for (const Shown& s : runs[r]) got.push_back(s.caption);
        EXPECT_EQ(got, expect) << "line " << c.line << ": " << c.what;
    }
}

TEST(Typewriter, LineThreeStartsWithDigitsAndTwoByteDates) {
    CreditsRun run;
    auto runs = TypedRuns(run, kTwoRounds);
    ASSERT_GE(runs.size(), 3u);
    const int32_t expect[] = {1, 2, 4, 5, 6, 8};
    for (size_t i = 0; i < std::size(expect); ++i) {
        EXPECT_EQ(ByteLength(runs[2][i].caption), expect[i] + 1) << "step " << i + 1;
    }
}

TEST(Typewriter, TimingOfTypingAndPauses) {
    CreditsRun opened;
    opened.Open(CreditsText);
    EXPECT_TRUE(opened.label.shown.empty()) << "opening leaves the label alone";
    CreditsRun run;
    auto runs = TypedRuns(run, kTwoRounds);
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0][0].at, 100) << "first character 100 ms after opening";
    for (size_t r = 0; r < runs.size(); ++r) {
        for (size_t i = 1; i < runs[r].size(); ++i) {
            EXPECT_EQ(runs[r][i].at - runs[r][i - 1].at, 80) << "run " << r << " step " << i;
        }
        if (r + 1 < runs.size()) {
            EXPECT_EQ(runs[r + 1][0].at - runs[r].back().at, 3080)
                << "a finished line stays up 3080 ms, run " << r;
        }
    }
    EXPECT_EQ(runs[3][0].caption, "T_") << "after line 3 comes line 1";
}

TEST(Typewriter, PeriodsSetAtEachTick) {
    CreditsRun run;
    run.Open(CreditsText);
    run.RunUntil(kTwoRounds);
    // Created: 100. Each typing tick: 80. The tick after a line's last
    // character: 3000.
    std::vector<std::pair<int64_t, int32_t>> expect = {{0, 100}};
    int64_t at = 100;
    for (int round = 0; round < 2; ++round) {
        for (int32_t ticks : {41, 39, 34}) {
            for (int32_t i = 0; i < ticks; ++i, at += 80) expect.push_back({at, 80});
            expect.push_back({at, 3000});
            at += 3000;
        }
    }
    std::vector<std::pair<int64_t, int32_t>> got;
    for (const auto& p : run.timer.periods) got.push_back({p.at, p.milliseconds});
    EXPECT_EQ(got, expect);
}

struct TimelineCase { Text credits; int64_t until; std::vector<Shown> expect; const char* what; };
const TimelineCase kTimelineCases[] = {
    {"ab", 3400, {{100, "a_"}, {180, "ab_"}, {3260, "a_"}, {3340, "ab_"}},
     "a single segment is typed again after every pause"},
    {"ab|", 3300, {{100, "a_"}, {180, "ab_"}, {3260, "a_"}}, "a bar at the very end adds no line"},
    {"|ab", 3200, {{3100, "a_"}, {3180, "ab_"}}, "an empty first segment: empty label for 3100 ms"},
    {"ab||c", 9400, {{100, "a_"}, {180, "ab_"}, {6260, "c_"}, {9340, "a_"}},
     "an empty segment between two lengthens the pause to 6080 ms"},
    {"a\xFF" "b", 300, {{100, "a_"}, {180, "a\xFF_"}, {260, "a\xFF" "b_"}}, "0xFF is one byte"},
    {"\x80" "ab", 200, {{100, "\x80" "a_"}, {180, "\x80" "ab_"}}, "0x80 starts a two-byte character"},
    {"\xFE" "ab", 200, {{100, "\xFE" "a_"}, {180, "\xFE" "ab_"}}, "0xFE starts a two-byte character"},
    {"\x7F" "ab", 300, {{100, "\x7F_"}, {180, "\x7F" "a_"}, {260, "\x7F" "ab_"}}, "0x7F is one byte"},
    {"ab\xC4", 3400, {{100, "a_"}, {180, "ab_"}, {260, "ab\xC4_"}, {3340, "a_"}},
     "a lone first byte at the end: whole line shown, then the usual pause"},
};

TEST(Typewriter, Timelines) {
    for (const auto& c : kTimelineCases) {
        CreditsRun run;
        run.Open(c.credits);
        run.RunUntil(c.until);
        EXPECT_EQ(run.label.shown, c.expect) << c.what;
    }
}

TEST(Typewriter, LoneFirstByteEndsOneAboveTheLine) {
    CreditsRun run;
    run.Open("x|ab\xC4");
    run.RunUntil(3340);
    ASSERT_EQ(run.label.shown.back().caption, "ab\xC4_");
    EXPECT_EQ(run.lineBytes, 3);
    EXPECT_EQ(run.typedBytes, 4);
    run.RunUntil(3420);
    EXPECT_EQ(run.currentLine, 1) << "the next tick moves on as for any finished line";
    EXPECT_EQ(run.typedBytes, 0);
    EXPECT_EQ(run.lineBytes, 1);
}

TEST(Typewriter, OpeningAgainStartsFromLineOne) {
    CreditsRun run;
    run.Open("a|bc|d");
    run.RunUntil(3300);
    ASSERT_EQ(run.currentLine, 2);
    run.Open("xyz");
    EXPECT_EQ(run.lineCount, 1);
    EXPECT_EQ(run.lines.At(1), "xyz") << "the previous lines are replaced";
    EXPECT_EQ(run.currentLine, 1);
    EXPECT_EQ(run.typedBytes, 0);
    EXPECT_EQ(run.lineBytes, 3);
}

}  // namespace
