#include "opacity/Alpha.h"

namespace {
constexpr uint32_t kPlatformNt = 2;  // VER_PLATFORM_WIN32_NT
}

int32_t EffectiveAlpha(std::optional<int32_t> alpha) {
    if (!alpha || *alpha < 0 || *alpha > 255) return kOpaqueAlpha;
    return *alpha;
}

bool ScrollCodeActs(int32_t notificationCode) {
    return notificationCode != kEndTrackCode;
}

int32_t AlphaFromPosition(int32_t maximum, int32_t position) {
    return static_cast<int32_t>(static_cast<double>(maximum) - static_cast<double>(position));
}

bool IsNtFiveOrLater(uint32_t platformId, uint32_t majorVersion) {
    return platformId == kPlatformNt && majorVersion >= 5;
}

bool IsNtFourOrEarlier(uint32_t platformId, uint32_t majorVersion) {
    return platformId == kPlatformNt && majorVersion <= 4;
}
