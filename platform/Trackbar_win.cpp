#include "platform/Trackbar_win.h"

#include <commctrl.h>

int32_t TrackbarPosition(HWND trackbar) {
    return static_cast<int32_t>(SendMessageA(trackbar, TBM_GETPOS, 0, 0));
}
