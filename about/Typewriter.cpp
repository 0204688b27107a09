#include "about/Typewriter.h"

void StartCredits(CreditsState state, const Text& credits, CreditsTimer& timer) {
    timer.SetPeriod(kFirstTickPeriod);
    state.lines = SplitAtBar(credits);
    state.lineCount = state.lines.Count();
    state.currentLine = 1;
    state.typedBytes = 0;
    state.lineBytes = ByteLength(state.lines.At(1));
}

void TypeCreditsTick(CreditsState state, CreditsTimer& timer, CreditsLabel& label) {
    if (state.typedBytes < state.lineBytes) {
        timer.SetPeriod(kTypingPeriod);
        const Text& line = state.lines.At(state.currentLine);
        state.typedBytes = TypeOneMore(line, state.typedBytes);
        label.SetCaption(Join(LeftPart(line, state.typedBytes), "_"));
        return;
    }
    // The line is complete: choose the next one and leave the caption up
    // through the pause.
    state.typedBytes = 0;
    state.currentLine = state.currentLine < state.lineCount ? state.currentLine + 1 : 1;
    state.lineBytes = ByteLength(state.lines.At(state.currentLine));
    timer.SetPeriod(kLinePause);
}

int32_t TypeOneMore(const Text& line, int32_t typed) {
    // Read as a signed byte, 0x80..0xFE is below -1; 0xFF (-1) stays one byte.
    const int32_t value = ByteValue(Substring(line, typed + 1, 1));
    return typed + (value < -1 ? 2 : 1);
}
