// Last-resort handling of a fault (access violation and the like) that nothing else handles.
#pragma once

// Runs body(arg) and returns its result. When a fault escapes every other handler, the
// system's own fault report is asked first (UnhandledExceptionFilter); when it lets the
// program handle the fault, on_fault() runs and the process ends with exit code -1 at once,
// the result the run would have returned. Installs a process-wide filter for the duration.
int run_guarded(int (*body)(void*), void* arg, void (*on_fault)());
