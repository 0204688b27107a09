#pragma once

#include <windows.h>

#include <cstdint>

// TBM_GETPOS: the thumb's position as the track bar holds it now.
int32_t TrackbarPosition(HWND trackbar);
