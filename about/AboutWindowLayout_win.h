#pragma once
// AboutWindow's layout: black, topmost, the credits label and its timer.

#include "app/Framework_win.h"

const WindowLayout& AboutWindowLayout();
