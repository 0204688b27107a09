#include "tests/wine/player/OffThreadAllocations.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

const DWORD TestThread = GetCurrentThreadId();  // static initialisation runs on the main thread
std::atomic<int64_t> Count{0};

}  // namespace

int64_t OffThreadAllocations() { return Count; }

// Every other form of new in libstdc++ comes through this one.
void* operator new(std::size_t size) {
    if (GetCurrentThreadId() != TestThread) ++Count;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
