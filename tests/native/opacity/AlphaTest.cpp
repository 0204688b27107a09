#include <gtest/gtest.h>

#include <climits>

#include "opacity/Alpha.h"

namespace {

struct AlphaCase { std::optional<int32_t> alpha; int32_t expect; const char* what; };
const AlphaCase kAlphaCases[] = {
    {std::nullopt, 255, "left out"},
    {0, 0, "fully transparent"},
    {1, 1, "lowest but one"},
    {122, 122, "the semi-transparent preset"},
    {254, 254, "the slider's left end"},
    {255, 255, "fully opaque"},
    {256, 255, "just above the range"},
    {1000, 255, "far above the range"},
    {INT32_MAX, 255, "the largest value"},
    {-1, 255, "negative gives opaque, not 0"},
    {INT32_MIN, 255, "the smallest value"},
};

TEST(Alpha, EffectiveAlpha) {
    for (const auto& c : kAlphaCases) {
        EXPECT_EQ(EffectiveAlpha(c.alpha), c.expect) << c.what;
    }
}

TEST(Alpha, EveryScrollCodeActsButEndTrack) {
    // TB_LINEUP .. TB_BOTTOM are 0..7, TB_ENDTRACK is 8.
    for (int32_t code = 0; code <= 7; ++code) EXPECT_TRUE(ScrollCodeActs(code)) << "code " << code;
    EXPECT_FALSE(ScrollCodeActs(8)) << "TB_ENDTRACK";
    EXPECT_TRUE(ScrollCodeActs(9)) << "codes the track bar does not send are not filtered";
}

TEST(Alpha, FromSliderPosition) {
    const struct { int32_t position; int32_t expect; } cases[] = {
        {1, 254}, {2, 253}, {128, 127}, {133, 122}, {254, 1}, {255, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AlphaFromPosition(kSliderMaximum, c.position), c.expect) << "position " << c.position;
    }
    EXPECT_EQ(AlphaFromPosition(255, 300), -45) << "a position past the maximum is not clamped here";
}

struct VersionCase { uint32_t platformId; uint32_t major; bool fiveOrLater; bool fourOrEarlier; const char* what; };
const VersionCase kVersionCases[] = {
    {2, 10, true, false, "NT 10"},
    {2, 5, true, false, "NT 5.0"},
    {2, 4, false, true, "NT 4.0"},
    {2, 3, false, true, "NT 3.51"},
    {1, 4, false, false, "Windows 9x"},
    {1, 5, false, false, "a 9x record claiming 5"},
    {0, 3, false, false, "Win32s"},
    {3, 6, false, false, "Windows CE"},
};

TEST(Alpha, NtFamilyTestHalves) {
    for (const auto& c : kVersionCases) {
        EXPECT_EQ(IsNtFiveOrLater(c.platformId, c.major), c.fiveOrLater) << c.what;
        EXPECT_EQ(IsNtFourOrEarlier(c.platformId, c.major), c.fourOrEarlier) << c.what;
    }
}

}  // namespace
