#include <windows.h>

#include "app/Framework_win.h"
#include "app/StartProgram_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int32_t exitCode = StartProgram();
    ShutDownFramework();
    return exitCode;
}
