#include "about/AboutWindow_win.h"

#include "about/AboutSong.h"
#include "about/CreditsText.h"
#include "about/Typewriter.h"
#include "app/ProgramState.h"
#include "platform/player/ModulePlayer_win.h"

namespace {

CreditsState Credits() {
    return {CreditLines, LineCount, CurrentLine, TypedBytes, LineBytes};
}

class TimerControl : public CreditsTimer {
public:
    explicit TimerControl(const Window& window) : timer_(window.Control("时钟1")) {}
    void SetPeriod(int32_t milliseconds) override { SetTimerPeriod(timer_, milliseconds); }

private:
    HWND timer_;
};

class LabelControl : public CreditsLabel {
public:
    explicit LabelControl(const Window& window) : label_(window.Control("标签")) {}
    void SetCaption(const Text& caption) override { SetLabelCaption(label_, caption); }

private:
    HWND label_;
};

}  // namespace

void AboutWindow_Created(Window& window) {
    PlayModule(AboutSong, AboutSongLength, true);  // silent when there is no sound device
    TimerControl timer(window);
    StartCredits(Credits(), CreditsText, timer);
}

void 时钟1_Tick(Window& window) {
    TimerControl timer(window);
    LabelControl label(window);
    TypeCreditsTick(Credits(), timer, label);
}

void AboutWindow_Closing(Window&) {
    StopModule();
}
