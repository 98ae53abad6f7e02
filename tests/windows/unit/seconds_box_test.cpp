// The seconds box of the settings dialog: reading its text, the range, the text it shows and
// the spin's steps.
#include "windows/dialogs/seconds_box.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string shown(int seconds) {
    char text[SECONDS_TEXT_SIZE];
    format_seconds_text(seconds, text);
    return text;
}

// Replays what the up-down control does with its default range (minimum 100, maximum 0):
// the up arrow lowers its position and the down arrow raises it, both stopping at the ends.
struct Spin {
    int position = 0;
    int last = 0;
    int seconds;

    explicit Spin(int start) : seconds(start) {}

    void press(bool up) {
        position += up ? -1 : 1;
        if (position < 0)
            position = 0;
        if (position > 100)
            position = 100;
        bool recentre = false;
        ASSERT_TRUE(spin_seconds(seconds, SB_THUMBPOSITION, position, last, seconds, &recentre));
        if (recentre)
            position = SPIN_CENTRE;
    }
};

} // namespace

TEST(SecondsText, ReadsTheFirstNineCharactersAsADecimalNumber) {
    EXPECT_EQ(parse_seconds_text("15"), 15);
    EXPECT_EQ(parse_seconds_text("0"), 0);
    EXPECT_EQ(parse_seconds_text("9999"), 9999);
    EXPECT_EQ(parse_seconds_text("1234567890"), 123456789);
    EXPECT_EQ(parse_seconds_text("999999999"), 999999999);
    EXPECT_EQ(parse_seconds_text("  42"), 42);
    EXPECT_EQ(parse_seconds_text("12ab"), 12);
    EXPECT_EQ(parse_seconds_text("-5"), -5);
    // Text that is no number reads as 0, which the box then raises to 1.
    EXPECT_EQ(parse_seconds_text(""), 0);
    EXPECT_EQ(parse_seconds_text("abc"), 0);
    EXPECT_EQ(parse_seconds_text("         7"), 0); // the digit lies beyond the ninth place
    EXPECT_EQ(clamp_seconds(parse_seconds_text("abc")), 1);
}

TEST(SecondsText, ClampsToOneThrough9999) {
    EXPECT_EQ(clamp_seconds(0), 1);
    EXPECT_EQ(clamp_seconds(-3), 1);
    EXPECT_EQ(clamp_seconds(1), 1);
    EXPECT_EQ(clamp_seconds(9999), 9999);
    EXPECT_EQ(clamp_seconds(10000), 9999);
    EXPECT_EQ(clamp_seconds(123456789), 9999);
}

TEST(SecondsText, ShowsWhatReadsBackTheSame) {
    EXPECT_EQ(shown(15), "15");
    EXPECT_EQ(shown(0), "0"); // a stored 0 is shown, not corrected
    EXPECT_EQ(shown(123456), "123456");
    // Longer than the box's nine characters: the nearest number that fits.
    EXPECT_EQ(shown(1234567890), "999999999");
    EXPECT_EQ(shown(-2147483647 - 1), "-99999999");
    for (int v : {0, 1, 15, 9999, 10000, 999999999, -1, -99999999, 2147483647})
        EXPECT_EQ(parse_seconds_text(shown(v).c_str()), std::stoi(shown(v))) << v;
}

TEST(SecondsSpin, UpAddsAndDownTakesOneSecondWithinTheRange) {
    Spin spin(15);
    spin.press(true);
    EXPECT_EQ(spin.seconds, 16);
    spin.press(true); // the control is already at its end (0): still one more
    EXPECT_EQ(spin.seconds, 17);
    spin.press(false);
    EXPECT_EQ(spin.seconds, 16);
    spin.press(false);
    EXPECT_EQ(spin.seconds, 15);
    spin.press(true);
    EXPECT_EQ(spin.seconds, 16);

    Spin top(9999);
    top.press(true);
    EXPECT_EQ(top.seconds, 9999);
    top.press(false);
    EXPECT_EQ(top.seconds, 9998);

    Spin bottom(1);
    bottom.press(false);
    EXPECT_EQ(bottom.seconds, 1);
    bottom.press(true);
    EXPECT_EQ(bottom.seconds, 2);
}

TEST(SecondsSpin, KeepsItsMeaningAfterTheControlReachesItsLowerEnd) {
    // 150 presses of the down arrow run the control's position into 100 and beyond; every
    // press still takes a second away, and the up arrow still adds one afterwards.
    Spin spin(1000);
    for (int i = 0; i < 150; ++i)
        spin.press(false);
    EXPECT_EQ(spin.seconds, 850);
    spin.press(true);
    EXPECT_EQ(spin.seconds, 851);
    for (int i = 0; i < 150; ++i)
        spin.press(true);
    EXPECT_EQ(spin.seconds, 1001);
}

TEST(SecondsSpin, OtherRequests) {
    int last = 7, seconds = 42;
    bool recentre = true;
    EXPECT_FALSE(spin_seconds(30, SB_THUMBTRACK, 3, last, seconds, &recentre));
    EXPECT_FALSE(spin_seconds(30, SB_ENDSCROLL, 3, last, seconds, &recentre));
    EXPECT_EQ(seconds, 42);
    EXPECT_EQ(last, 7);
    EXPECT_TRUE(spin_seconds(30, SB_TOP, 0, last, seconds, &recentre));
    EXPECT_EQ(seconds, 9999);
    EXPECT_TRUE(spin_seconds(30, SB_BOTTOM, 0, last, seconds, &recentre));
    EXPECT_EQ(seconds, 1);
    // Any other request only clamps what was typed.
    EXPECT_TRUE(spin_seconds(0, SB_LINEUP, 0, last, seconds, &recentre));
    EXPECT_EQ(seconds, 1);
    EXPECT_TRUE(spin_seconds(12345, SB_PAGEDOWN, 0, last, seconds, &recentre));
    EXPECT_EQ(seconds, 9999);
    EXPECT_EQ(last, 7);
}
