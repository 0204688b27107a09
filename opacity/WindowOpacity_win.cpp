#include "opacity/Alpha.h"
#include "opacity/OpacityControls_win.h"
#include "platform/LayeredWindow_win.h"
#include "platform/WindowHandle_win.h"

namespace {

// Each half of the test reads the version afresh.
bool IsNtPlatform() {
    OSVERSIONINFOEXA version;
    if (!ReadVersion(version)) return false;
    if (IsNtFiveOrLater(version.dwPlatformId, version.dwMajorVersion)) return true;
    if (!ReadVersion(version)) return false;
    return IsNtFourOrEarlier(version.dwPlatformId, version.dwMajorVersion);
}

}  // namespace

void SetWindowOpacity(int32_t handle, std::optional<int32_t> alpha) {
    const int32_t effective = EffectiveAlpha(alpha);
    if (!IsNtPlatform()) return;
    SetLayeredAttributesCall setAttributes = FindSetLayeredWindowAttributes();
    // Without the call a layered window would not be drawn at all, so the
    // style stays as it is too.
    if (!setAttributes) return;
    HWND hwnd = WindowFromHandle(handle);
    ReplaceExtendedStyle(hwnd, WS_EX_LAYERED);
    setAttributes(hwnd, 0, static_cast<BYTE>(effective), LWA_ALPHA);
}
