#include "app/ProgramState.h"

TextArray CreditLines;
int32_t LineCount = 0;
int32_t CurrentLine = 0;
int32_t TypedBytes = 0;
int32_t LineBytes = 0;

void ReleaseGlobals() {
    CreditLines = TextArray();
}
