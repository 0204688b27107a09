#include "platform/LayeredWindow_win.h"

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version record size");
static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version record size");

bool ReadVersion(OSVERSIONINFOEXA& version) {
    version = OSVERSIONINFOEXA{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return true;
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) != FALSE;
}

SetLayeredAttributesCall FindSetLayeredWindowAttributes() {
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (!user32) return nullptr;
    return reinterpret_cast<SetLayeredAttributesCall>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

void ReplaceExtendedStyle(HWND hwnd, uint32_t exStyle) {
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(exStyle));
}
