#include "about/AboutWindowLayout_win.h"

#include "about/AboutWindow_win.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);

WindowLayout MakeAboutWindowLayout() {
    WindowLayout layout;
    layout.name = "AboutWindow";
    layout.caption = "关于程序";
    layout.width = 349;
    layout.height = 103;
    layout.style = WS_CAPTION | WS_SYSMENU;
    layout.backgroundSysColour = -1;
    layout.background = kBlack;
    layout.visibleAtCreation = true;
    layout.topmost = true;
    layout.keyboardNavigation = false;  // Esc does not close it
    layout.controls = {
        {"时钟1", ControlKind::Timer, 56, 88, 26, 26, "", 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
         时钟1_Tick},
        {"标签", ControlKind::Label, 8, 8, 328, 61, "", 0, 0, 0, 0, 0, kGreen, kBlack, nullptr, nullptr,
         nullptr, nullptr},
    };
    layout.created = AboutWindow_Created;
    layout.destroying = AboutWindow_Closing;
    return layout;
}

}  // namespace

const WindowLayout& AboutWindowLayout() {
    static const WindowLayout layout = MakeAboutWindowLayout();
    return layout;
}
