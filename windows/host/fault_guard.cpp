// A top-level exception filter standing in for a structured exception guard around the run.
#include "windows/host/fault_guard.h"

#include <windows.h>

static LPTOP_LEVEL_EXCEPTION_FILTER g_pfnPreviousFilter;
static void (*g_pfnOnFault)();

static LONG WINAPI guard_filter(EXCEPTION_POINTERS* info) {
    // Let the system's fault report (and any filter installed before ours) decide first.
    SetUnhandledExceptionFilter(g_pfnPreviousFilter);
    const LONG verdict = UnhandledExceptionFilter(info);
    if (verdict != EXCEPTION_EXECUTE_HANDLER)
        return verdict;
    if (g_pfnOnFault)
        g_pfnOnFault();
    ExitProcess(static_cast<UINT>(-1));
}

int run_guarded(int (*body)(void*), void* arg, void (*on_fault)()) {
    g_pfnOnFault = on_fault;
    g_pfnPreviousFilter = SetUnhandledExceptionFilter(guard_filter);
    const int result = body(arg);
    SetUnhandledExceptionFilter(g_pfnPreviousFilter);
    return result;
}
