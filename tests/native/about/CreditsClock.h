#pragma once
// A timer and a label for driving the typewriter on a simulated clock: the
// timer keeps the countdown semantics of the window's timer control, the
// label records every caption with the time it was set.

#include <cstdint>
#include <vector>

#include "about/Typewriter.h"

struct Shown {
    int64_t at;  // ms after the window opened
    Text caption;
    bool operator==(const Shown&) const = default;
};

class CountdownTimer : public CreditsTimer {
public:
    void SetPeriod(int32_t milliseconds) override {
        periods.push_back({now_, milliseconds});
        if (milliseconds <= 0) {
            period_ = 0;
        } else if (milliseconds != period_) {
            period_ = milliseconds;
            due_ = now_ + milliseconds;
        }
    }
    // Moves the clock to the next tick and reloads the countdown; false
    // when the timer is stopped or the next tick would come after limit.
    bool NextTick(int64_t limit) {
        if (period_ <= 0 || due_ > limit) return false;
        now_ = due_;
        due_ += period_;
        return true;
    }
    int64_t Now() const { return now_; }

    struct PeriodSet { int64_t at; int32_t milliseconds; };
    std::vector<PeriodSet> periods;

private:
    int64_t now_ = 0;
    int64_t due_ = 0;
    int32_t period_ = 0;
};

class RecordingLabel : public CreditsLabel {
public:
    explicit RecordingLabel(const CountdownTimer& clock) : clock_(clock) {}
    void SetCaption(const Text& caption) override { shown.push_back({clock_.Now(), caption}); }
    std::vector<Shown> shown;

private:
    const CountdownTimer& clock_;
};

// The five values as the program holds them, and one opened window.
struct CreditsRun {
    TextArray lines;
    int32_t lineCount = 0, currentLine = 0, typedBytes = 0, lineBytes = 0;
    CountdownTimer timer;
    RecordingLabel label{timer};

    CreditsState State() { return {lines, lineCount, currentLine, typedBytes, lineBytes}; }
    void Open(const Text& credits) { StartCredits(State(), credits, timer); }
    void RunUntil(int64_t limit) {
        while (timer.NextTick(limit)) TypeCreditsTick(State(), timer, label);
    }
};
