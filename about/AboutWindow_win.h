#pragma once
// AboutWindow's handlers: the song starts and the credits are typed while
// the window is open; closing it stops the song.

#include "app/Framework_win.h"

void AboutWindow_Created(Window& window);
void 时钟1_Tick(Window& window);
void AboutWindow_Closing(Window& window);
