#include "opacity/OpacityControls_win.h"

#include "opacity/Alpha.h"
#include "platform/Trackbar_win.h"
#include "winlist/WindowList_win.h"

void 滑块条1_Scroll(HWND slider, HWND listBox, int notificationCode) {
    if (!ScrollCodeActs(notificationCode)) return;
    const int32_t position = TrackbarPosition(slider);
    SetWindowOpacity(SelectedWindowHandle(listBox), AlphaFromPosition(kSliderMaximum, position));
}

void 半透明_Click(HWND listBox) {
    SetWindowOpacity(SelectedWindowHandle(listBox), kSemiTransparentAlpha);
}

void 恢复_Click(HWND listBox) {
    SetWindowOpacity(SelectedWindowHandle(listBox), kOpaqueAlpha);
}
