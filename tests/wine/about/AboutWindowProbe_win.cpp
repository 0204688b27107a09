#include "tests/wine/about/AboutWindowProbe.h"

#include <tlhelp32.h>
#include <winternl.h>

namespace {

const char kAboutCaption[] = "关于程序";
const char kFrameworkClass[] = "VellumarWindow";
const char kLabelClass[] = "VellumarLabel";
const int kAboutButtonX = 264, kAboutButtonY = 216;  // 按钮3 in MainWindow

HWND LabelOf(HWND about) {
    for (HWND child : ChildrenOf(about)) {
        if (ClassNameOf(child) == kLabelClass) return child;
    }
    return nullptr;
}

struct AboutSearch {
    DWORD processId;
    HWND found;
};

// Visible or not: the window exists from its creation, before its created
// handler runs. GetWindowTextA reads another process's caption without a
// message, so the search does not wait for the window's thread.
BOOL CALLBACK MatchAbout(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<AboutSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char caption[64] = "";
    GetWindowTextA(hwnd, caption, sizeof(caption));
    if (owner != search->processId || ClassNameOf(hwnd) != kFrameworkClass) return TRUE;
    if (std::string(caption) != kAboutCaption) return TRUE;
    search->found = hwnd;
    return FALSE;
}

HWND AboutOf(DWORD processId) {
    AboutSearch search{processId, nullptr};
    EnumWindows(MatchAbout, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<std::pair<DWORD, int>*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->first) return TRUE;
    ++search->second;
    EnumChildWindows(hwnd, CountChild, reinterpret_cast<LPARAM>(&search->second));
    return TRUE;
}

// Where the thread began, as the system recorded it; null when unknown.
void* ThreadStartOf(DWORD threadId) {
    using Query = NTSTATUS(NTAPI*)(HANDLE, THREADINFOCLASS, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!query || !thread) return nullptr;
    const auto kStartAddress = static_cast<THREADINFOCLASS>(9);  // ThreadQuerySetWin32StartAddress
    void* start = nullptr;
    if (query(thread, kStartAddress, &start, sizeof(start), nullptr) != 0) start = nullptr;
    CloseHandle(thread);
    return start;
}

double FiletimeMs(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return value.QuadPart / 10000.0;
}

}  // namespace

double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

bool AboutWindowProbe::Open() {
    HWND button = app_.ControlAt("Button", kAboutButtonX, kAboutButtonY);
    if (!button) return false;
    window_ = label_ = nullptr;
    PostMessageA(button, BM_CLICK, 0, 0);
    const double start = NowMs();
    // Polled tightly: the opening time is the reference for the first tick.
    while (!(window_ = AboutOf(app_.ProcessId()))) {
        if (NowMs() - start > 5000) return false;
        Sleep(1);
    }
    openedAt_ = NowMs();
    // The controls follow the window within the same creation.
    while (!(label_ = LabelOf(window_))) {
        if (NowMs() - openedAt_ > 2000) return false;
        Sleep(1);
    }
    // Read before anything else: the first tick is only 100 ms away.
    atOpening_ = {0, TextOf(label_)};
    atOpening_.at = NowMs() - openedAt_;
    if (!WaitUntil([this] { return IsWindowVisible(window_) != FALSE; })) return false;
    shownAfter_ = NowMs() - openedAt_;
    return true;
}

bool AboutWindowProbe::Close() {
    HWND closing = window_;
    PostMessageA(closing, WM_CLOSE, 0, 0);
    window_ = label_ = nullptr;
    return WaitUntil([&] { return !IsWindow(closing); }) &&
           WaitUntil([&] { return IsWindowEnabled(app_.MainWindow()) != FALSE; });
}

CaptionLog AboutWindowProbe::Record(size_t stop, double untilMs) const {
    CaptionLog log;
    log.changes.push_back(atOpening_);
    double previous = NowMs();
    while (log.changes.size() < stop) {
        std::string caption = TextOf(label_);
        const double now = NowMs();
        if (caption != log.changes.back().caption) {
            log.changes.push_back({now - openedAt_, caption});
        }
        if (now - previous > log.longestGap) log.longestGap = now - previous;
        previous = now;
        if (now - openedAt_ > untilMs || !IsWindow(label_)) break;
        Sleep(1);
    }
    return log;
}

bool AboutWindowProbe::WaitForCaption(const std::string& caption, DWORD milliseconds) const {
    return WaitUntil([&] { return TextOf(label_) == caption; }, milliseconds);
}

std::set<DWORD> ThreadsOf(DWORD processId) {
    std::set<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) threads.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return threads;
}

DWORD GuiObjectsOf(DWORD processId, DWORD kind) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return 0;
    DWORD count = GetGuiResources(process, kind);
    CloseHandle(process);
    return count;
}

int WindowsOf(DWORD processId) {
    std::pair<DWORD, int> search{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

DWORD HandlesOf(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) return 0;
    DWORD count = 0;
    if (!GetProcessHandleCount(process, &count)) count = 0;
    CloseHandle(process);
    return count;
}

bool StartsInProgram(DWORD processId, DWORD threadId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    MODULEENTRY32 program = {};
    program.dwSize = sizeof(program);
    const bool listed = Module32First(snapshot, &program);  // the executable comes first
    CloseHandle(snapshot);
    const auto* start = static_cast<const BYTE*>(ThreadStartOf(threadId));
    return listed && start >= program.modBaseAddr && start < program.modBaseAddr + program.modBaseSize;
}

double ThreadCpuMs(DWORD threadId) {
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return -1;
    FILETIME created, exited, kernel, user;
    const bool read = GetThreadTimes(thread, &created, &exited, &kernel, &user);
    CloseHandle(thread);
    return read ? FiletimeMs(kernel) + FiletimeMs(user) : -1;
}

int ThreadPriorityOf(DWORD threadId) {
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
    const int priority = GetThreadPriority(thread);
    CloseHandle(thread);
    return priority;
}
