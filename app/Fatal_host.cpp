#include <cstdio>
#include <cstdlib>

#include "app/ExitRoutine.h"
#include "app/Fatal.h"

void FatalError(const Text& message) {
    DropExitRoutine();
    std::fprintf(stderr, "fatal: %s\n", message.c_str());
    std::_Exit(-1);
}
