#pragma once
// Runs one step that touches a caller's memory with an exception handler around it: an exception
// raised inside the step (an access violation at a bad address, or the status that ProbeForRead,
// ProbeForWrite and MmProbeAndLockPages raise) ends the step, unwinds it, and becomes its result
// instead of ending the system. mingw-w64's g++ has no __try: the handler is written in assembly for
// each architecture, a frame-based handler on i686 (GuardedCall-i686.S) and a table-based one on x86_64
// (GuardedCall-x86_64.S). Freestanding: the driver and a user-mode test both link it.

extern "C" {

// The step's result (0 for success), or the code of the exception that ended it.
using GuardedStep = long (*)(void* context);
long RuvaGuardedCall(GuardedStep step, void* context);

}
