#pragma once
// What this test process holds, to see that the player gives back what it takes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>

std::set<DWORD> ThreadIds();   // this process's threads
DWORD HandleCount();           // this process's open handles
int32_t VisibleWindowCount();  // this process's visible top-level windows

// The threads in after that are not in before.
std::set<DWORD> NewThreads(const std::set<DWORD>& before, const std::set<DWORD>& after);

// Those of the threads whose start routine lies in this program's own
// image rather than in a system library: the player's, not winmm's.
std::set<DWORD> ThreadsOfThisProgram(const std::set<DWORD>& ids);

// Waits up to timeoutMs for this process to hold count threads again
// (winmm's threads for a closed device end shortly after it). False: it does not.
bool ThreadCountReturnsTo(size_t count, DWORD timeoutMs);

// Repeats attempt until a run of it leaves this process's threads as it
// found them, at most tries times: winmm starts threads of its own over its
// first few device openings, and the tests count threads and handles after those.
void RepeatUntilThreadsSettle(const std::function<void()>& attempt, int32_t tries);

// User plus kernel time of a thread so far, in seconds; negative when it
// cannot be read.
double ThreadCpuSeconds(DWORD threadId);
