#include "app/StartProgram_win.h"

#include "app/ExitRoutine.h"
#include "app/Fatal.h"
#include "app/Framework_win.h"
#include "app/MainWindow_win.h"
#include "app/ProgramState.h"

int32_t StartProgram() {
    StartFramework();
    CreditLines = TextArray();
    RegisterExitRoutine(ReleaseGlobals);
    if (!CreateFromLayout(MainWindowLayout())) FatalError("MainWindow cannot be created.");
    RunMessageLoop();
    return 0;
}
