#pragma once
// The one way a fatal error ends the program: on Windows an error box with
// no owner, then exit code -1, skipping the exit routine; on the host a
// line on stderr and the same exit code, so tests can see it raised.

#include "app/Text.h"

[[noreturn]] void FatalError(const Text& message);
