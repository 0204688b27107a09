#include "app/ExitRoutine.h"

namespace {
ExitRoutine Registered = nullptr;
}

void RegisterExitRoutine(ExitRoutine routine) { Registered = routine; }

void RunExitRoutine() {
    ExitRoutine routine = Registered;
    Registered = nullptr;
    if (routine) routine();
}

void DropExitRoutine() { Registered = nullptr; }
