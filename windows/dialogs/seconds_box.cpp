// Seconds box and spin arithmetic of the settings dialog.
#include "windows/dialogs/seconds_box.h"

#include <windows.h>

#include <cstdio>

int parse_seconds_text(const char* text) {
    int i = 0;
    while (i < SECONDS_TEXT_CHARS && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < SECONDS_TEXT_CHARS && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Nine digits at most: the value cannot overflow.
    int value = 0;
    for (; i < SECONDS_TEXT_CHARS && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

int clamp_seconds(int v) {
    if (v < SECONDS_MIN)
        return SECONDS_MIN;
    if (v > SECONDS_MAX)
        return SECONDS_MAX;
    return v;
}

void format_seconds_text(int seconds, char (&text)[SECONDS_TEXT_SIZE]) {
    if (seconds > 999999999)
        seconds = 999999999;
    else if (seconds < -99999999)
        seconds = -99999999;
    std::snprintf(text, sizeof text, "%d", seconds);
}

bool spin_seconds(int typed, int request, int position, int& lastPosition, int& seconds,
                  bool* recentre) {
    *recentre = false;
    int v = typed;
    switch (request) {
    case SB_THUMBPOSITION:
        if (position <= lastPosition)
            v += 1;
        else
            v -= 1;
        lastPosition = position;
        if (position >= 100) {
            *recentre = true;
            lastPosition = SPIN_CENTRE;
        }
        break;
    case SB_THUMBTRACK:
    case SB_ENDSCROLL:
        return false;
    case SB_TOP:
        v = SECONDS_MAX;
        break;
    case SB_BOTTOM:
        v = SECONDS_MIN;
        break;
    default:
        break;
    }
    seconds = clamp_seconds(v);
    return true;
}
