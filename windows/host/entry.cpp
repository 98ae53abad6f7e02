// Process entry of the screen saver: cuts the program name off the command line, runs the
// chosen mode and ends the process with its exit code.
#include "windows/host/command_line.h"
#include "windows/host/saver_main.h"

// The C runtime's own entry calls this; the switch is read from the raw command line
// because the runtime's idea of the tail differs from Windows' screen-saver convention.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int result = saver_main(GetModuleHandleA(nullptr), command_tail(GetCommandLineA()));
    ExitProcess(static_cast<UINT>(result));
}
