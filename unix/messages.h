// The lines the Linux programs say on standard error, each opened with the name of the program
// that says it, also where the saying is done by code both programs share. Any thread.
#pragma once

// "velta2" or "velta2-wayland": set by each program's entry before anything is said.
extern const char* g_pProgramName;

// One line on standard error: the program's name, ": ", the formatted text and a line end,
// written at once so that lines of several threads do not mix.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
