// Shared by the stand-in system libraries of the system tests: each writes one line of
// "key=value" words per event into a log file beside itself, where the tests read them.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

// The path of name in the folder that holds module.
inline void path_beside(HMODULE module, const char* name, char* path, size_t size) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(module, self, sizeof self);
    char* slash = std::strrchr(self, '\\');
    if (slash)
        slash[1] = '\0';
    std::snprintf(path, size, "%s%s", self, name);
}

// Appends one line; the file is closed at once so a test reads it while the program runs.
inline void log_line(HMODULE module, const char* logName, const char* format, ...) {
    char path[MAX_PATH];
    path_beside(module, logName, path, sizeof path);
    FILE* f = std::fopen(path, "a");
    if (!f)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    std::fclose(f);
}

inline unsigned long long handle_number(HWND hwnd) {
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd));
}
