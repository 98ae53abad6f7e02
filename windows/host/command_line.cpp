// Command tail extraction and switch parsing for the screen saver's run modes.
#include "windows/host/command_line.h"

#include <windows.h>

const char* command_tail(const char* p) {
    if (*p == '"') {
        // A quoted program path may hold spaces and multi-byte characters.
        do
            p = CharNextA(p);
        while (*p && *p != '"');
        if (*p == '"')
            ++p;
    } else {
        while (static_cast<unsigned char>(*p) > 0x20)
            ++p;
    }
    while (*p && static_cast<unsigned char>(*p) <= 0x20)
        ++p;
    return p;
}

uint32_t parse_window_handle(const char* text) {
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + uint32_t(*text - '0');
    return value;
}

// After P, L or A: skip the letter and the spaces after it, then read the handle.
static uint32_t handle_after_letter(const char* letter) {
    const char* p = letter + 1;
    while (*p == ' ')
        ++p;
    return parse_window_handle(p);
}

RunRequest parse_switch(const char* tail) {
    for (const char* p = tail;; ++p) {
        switch (*p) {
        case '\0':
            return {RunMode::Settings, 0};
        case ' ':
        case '-':
        case '/':
            continue;
        case 'S':
        case 's':
            return {RunMode::Saver, 0};
        case 'P':
        case 'p':
        case 'L':
        case 'l':
            return {RunMode::Preview, handle_after_letter(p)};
        case 'C':
        case 'c':
            return {RunMode::SettingsForeground, 0};
        case 'A':
        case 'a':
            return {RunMode::ChangePassword, handle_after_letter(p)};
        default:
            return {RunMode::Invalid, 0};
        }
    }
}
