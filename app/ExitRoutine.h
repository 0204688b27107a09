#pragma once
// The program's exit routine: at most one, run at most once at termination,
// dropped on the fatal path.

using ExitRoutine = void (*)();

// Replaces any routine registered before.
void RegisterExitRoutine(ExitRoutine routine);
// Runs the registered routine, if any, and forgets it.
void RunExitRoutine();
void DropExitRoutine();
