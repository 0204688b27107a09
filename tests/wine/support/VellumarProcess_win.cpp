#include "tests/wine/support/VellumarProcess.h"

#include <cstdio>

#include "TestPaths.h"

namespace {

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM list) {
    auto* children = reinterpret_cast<std::vector<HWND>*>(list);
    if (GetParent(hwnd) == children->front()) children->push_back(hwnd);
    return TRUE;
}

struct TopLevelSearch {
    DWORD processId;
    const char* caption;
    const char* windowClass;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<TopLevelSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    if (TextOf(hwnd) != search->caption) return TRUE;
    if (search->windowClass && ClassNameOf(hwnd) != search->windowClass) return TRUE;
    search->found = hwnd;
    return FALSE;
}

void SendOne(INPUT input) { SendInput(1, &input, sizeof(INPUT)); }

INPUT KeyInput(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(20);
    }
    return true;
}

std::string ClassNameOf(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

std::string TextOf(HWND hwnd) {
    char text[1024] = "";
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

RECT ChildPlace(HWND parent, HWND child) {
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children{parent};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    children.erase(children.begin());
    return children;
}

HWND TopLevelOf(DWORD processId, const char* caption, const char* windowClass) {
    TopLevelSearch search{processId, caption, windowClass, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PressKey(WORD key, bool shift) {
    if (shift) SendOne(KeyInput(VK_SHIFT, false));
    SendOne(KeyInput(key, false));
    SendOne(KeyInput(key, true));
    if (shift) SendOne(KeyInput(VK_SHIFT, true));
    Sleep(150);
}

void ClickAt(int screenX, int screenY, bool right) {
    SetCursorPos(screenX, screenY);
    Sleep(50);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    SendOne(input);
    input.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendOne(input);
    Sleep(150);
}

HWND FocusOf(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info);
    return info.hwndFocus;
}

bool SaveScreenshot(HWND hwnd, const std::string& name) {
    RECT place;
    GetWindowRect(hwnd, &place);
    const int width = place.right - place.left, height = place.bottom - place.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = ((width * 3 + 3) / 4) * 4, imageBytes = rowBytes * height;
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageBytes),
                             0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    CreateDirectoryA(VELLUMAR_SCREENSHOTS, nullptr);
    const std::string path = std::string(VELLUMAR_SCREENSHOTS) + "\\" + name + ".bmp";
    FILE* out = std::fopen(path.c_str(), "wb");
    bool saved = out && std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                 std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
                 std::fwrite(pixels, imageBytes, 1, out) == 1;
    if (out) std::fclose(out);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

VellumarProcess::~VellumarProcess() {
    if (!info_.hProcess) return;
    if (Running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool VellumarProcess::Start() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    char commandLine[] = VELLUMAR_EXE;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
        return false;
    }
    WaitForInputIdle(info_.hProcess, 10000);
    const bool shown = WaitUntil([this] {
        mainWindow_ = TopLevelOf(info_.dwProcessId, "Vellumar", "VellumarWindow");
        return mainWindow_ != nullptr;
    }, 15000);
    if (shown) Activate();
    return shown;
}

HWND VellumarProcess::ControlAt(const char* windowClass, int x, int y) const {
    for (HWND child : ChildrenOf(mainWindow_)) {
        RECT place = ChildPlace(mainWindow_, child);
        if (ClassNameOf(child) == windowClass && place.left == x && place.top == y) return child;
    }
    return nullptr;
}

void VellumarProcess::Activate() const {
    SetForegroundWindow(mainWindow_);
    WaitUntil([this] { return GetForegroundWindow() == mainWindow_; }, 2000);
    Sleep(100);
}

DWORD VellumarProcess::WaitForExit(DWORD milliseconds) {
    WaitForSingleObject(info_.hProcess, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool VellumarProcess::Running() const {
    DWORD code = 0;
    return GetExitCodeProcess(info_.hProcess, &code) && code == STILL_ACTIVE;
}
