#pragma once

#include <cstdint>

// Starts the framework and the program-wide state, shows MainWindow and
// runs the message loop until the last window is gone. Returns 0.
int32_t StartProgram();
