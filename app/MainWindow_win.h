#pragma once
// MainWindow: the window list, the opacity slider, three buttons and the
// right-click menu with the two presets.

#include "app/Framework_win.h"

const WindowLayout& MainWindowLayout();
