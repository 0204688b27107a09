#pragma once
// Counts the C++ allocations this program makes on threads other than the
// one that runs the tests: while a song plays, the mixing thread's.

#include <cstdint>

int64_t OffThreadAllocations();
