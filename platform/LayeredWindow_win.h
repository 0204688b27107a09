#pragma once
// Version query and layered-window calls. Systems before Windows 2000 lack
// SetLayeredWindowAttributes, so it is looked up by name at each use.

#include <windows.h>

#include <cstdint>

// GetVersionExA into a zeroed extended record, then once more with the
// size of the basic record; false when both fail.
bool ReadVersion(OSVERSIONINFOEXA& version);

using SetLayeredAttributesCall = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
// SetLayeredWindowAttributes from USER32.DLL, or null where it is missing.
SetLayeredAttributesCall FindSetLayeredWindowAttributes();

// SetWindowLongA(GWL_EXSTYLE): the whole extended style becomes exStyle.
void ReplaceExtendedStyle(HWND hwnd, uint32_t exStyle);
