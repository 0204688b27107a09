#include "tests/wine/player/ProcessProbe.h"

#include <tlhelp32.h>

std::set<DWORD> ThreadIds() {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

namespace {

BOOL CALLBACK CountOwnVisible(HWND hwnd, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(hwnd)) ++*reinterpret_cast<int32_t*>(counter);
    return TRUE;
}

// The start routine CreateThread was given, through ntdll's thread query
// ThreadQuerySetWin32StartAddress.
uintptr_t StartAddress(DWORD threadId) {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    constexpr int kWin32StartAddress = 9;
    static const Query query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return 0;
    uintptr_t start = 0;
    if (!query || query(thread, kWin32StartAddress, &start, sizeof start, nullptr) != 0) start = 0;
    CloseHandle(thread);
    return start;
}

bool InThisProgram(uintptr_t address) {
    auto base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    uintptr_t begin = reinterpret_cast<uintptr_t>(base);
    return address >= begin && address < begin + nt->OptionalHeader.SizeOfImage;
}

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return value.QuadPart / 1e7;
}

}  // namespace

int32_t VisibleWindowCount() {
    int32_t count = 0;
    EnumWindows(CountOwnVisible, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::set<DWORD> NewThreads(const std::set<DWORD>& before, const std::set<DWORD>& after) {
    std::set<DWORD> fresh;
    for (DWORD id : after) {
        if (!before.count(id)) fresh.insert(id);
    }
    return fresh;
}

std::set<DWORD> ThreadsOfThisProgram(const std::set<DWORD>& ids) {
    std::set<DWORD> own;
    for (DWORD id : ids) {
        if (InThisProgram(StartAddress(id))) own.insert(id);
    }
    return own;
}

bool ThreadCountReturnsTo(size_t count, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 10) {
        if (ThreadIds().size() == count) return true;
        if (waited >= timeoutMs) return false;
        Sleep(10);
    }
}

void RepeatUntilThreadsSettle(const std::function<void()>& attempt, int32_t tries) {
    for (int32_t i = 0; i < tries; ++i) {
        std::set<DWORD> before = ThreadIds();
        attempt();
        if (ThreadIds() == before) return;
    }
}

double ThreadCpuSeconds(DWORD threadId) {
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return -1;
    FILETIME created, exited, kernel, user;
    BOOL ok = GetThreadTimes(thread, &created, &exited, &kernel, &user);
    CloseHandle(thread);
    return ok ? Seconds(kernel) + Seconds(user) : -1;
}
