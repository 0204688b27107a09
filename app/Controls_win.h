#pragma once
// The framework's own controls: the label drawn by the program and the
// invisible timer. Used by Framework_win.cpp only.

#include <windows.h>

#include "app/Framework_win.h"

void RegisterControlClasses();
const char* ControlClassName(ControlKind kind);
void SetLabelColours(HWND label, COLORREF text, COLORREF back);
// Raised by a timer control when its period runs out (Framework_win.cpp).
void RaiseTick(HWND timerControl);
