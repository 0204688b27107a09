#pragma once
// Window handles travel through the program as their 32-bit values; a
// 64-bit HWND is that value sign-extended.

#include <windows.h>

#include <cstdint>

inline HWND WindowFromHandle(int32_t handle) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(handle));
}

inline int32_t HandleOfWindow(HWND hwnd) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd));
}
