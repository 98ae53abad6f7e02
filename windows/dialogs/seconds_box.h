// The arithmetic of the settings dialog's seconds box and its spin, on plain values: reading
// the box's text, the 1..9999 range, the text shown for a cycle time and the spin's steps.
#pragma once

constexpr int SECONDS_MIN = 1;
constexpr int SECONDS_MAX = 9999;
// The box is read through a buffer of nine characters and a terminator.
constexpr int SECONDS_TEXT_CHARS = 9;
constexpr int SECONDS_TEXT_SIZE = SECONDS_TEXT_CHARS + 1;

// The first nine characters of text read as a decimal integer: leading blanks and one sign
// allowed, reading stops at the first other character; text that is no number reads as 0.
int parse_seconds_text(const char* text);

// v raised to 1 and lowered to 9999.
int clamp_seconds(int v);

// The text the box shows for a cycle time: the number in decimal. A number too long for the
// box's nine characters (only an edited registry holds one) is shown as the nearest one that
// fits, 999999999 or -99999999, so that reading the box back gives the number it shows.
void format_seconds_text(int seconds, char (&text)[SECONDS_TEXT_SIZE]);

// One spin request (the low word of WM_VSCROLL's wParam). typed is what the box reads now, position
// the spin's position for a thumb-position request, lastPosition the position the spin reported
// last (updated here). Returns false when the request changes nothing (thumb tracking, end of
// scroll); otherwise seconds is the box's new value, already within 1..9999.
//
// The spin keeps its default range, whose maximum (0) lies below its minimum (100): the up
// arrow lowers its position and the down arrow raises it, so a position at or below the last
// one adds a second and a higher one takes a second away. At the lower end the down arrow can
// no longer raise the position; *recentre is then set and the caller moves the spin to
// SPIN_CENTRE, which becomes the last position, so the arrows keep their meaning for good.
constexpr int SPIN_CENTRE = 50;
bool spin_seconds(int typed, int request, int position, int& lastPosition, int& seconds,
                  bool* recentre);
