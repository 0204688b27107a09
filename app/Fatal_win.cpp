#include <windows.h>

#include "app/ExitRoutine.h"
#include "app/Fatal.h"

void FatalError(const Text& message) {
    DropExitRoutine();
    MessageBoxA(nullptr, message.c_str(), "Vellumar", MB_OK | MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}
