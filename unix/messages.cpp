// The program's name in front of every line it says on standard error.
#include "unix/messages.h"

#include <cstdarg>
#include <cstdio>

const char* g_pProgramName = "velta2";

void say(const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "%s: %s\n", g_pProgramName, text);
}
