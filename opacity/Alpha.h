#pragma once
// The numbers behind the opacity controls. No Windows here.

#include <cstdint>
#include <optional>

constexpr int32_t kOpaqueAlpha = 255;           // "恢复", and any alpha out of range
constexpr int32_t kSemiTransparentAlpha = 122;  // "半透明"
constexpr int32_t kSliderMaximum = 255;         // 滑块条1 runs 1..255
constexpr int32_t kEndTrackCode = 8;            // TB_ENDTRACK

// The alpha that reaches the platform: alpha itself when 0..255, else 255.
int32_t EffectiveAlpha(std::optional<int32_t> alpha);
// Every WM_HSCROLL code of the slider moves the opacity but TB_ENDTRACK,
// which only ends a drag already followed step by step.
bool ScrollCodeActs(int32_t notificationCode);
// maximum - position, worked out in double precision and truncated.
int32_t AlphaFromPosition(int32_t maximum, int32_t position);

// The two halves of the NT family test on a version record: NT 5.0 and
// later, and NT 4.0 and earlier. Other platforms pass neither.
bool IsNtFiveOrLater(uint32_t platformId, uint32_t majorVersion);
bool IsNtFourOrEarlier(uint32_t platformId, uint32_t majorVersion);
