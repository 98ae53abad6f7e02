// Command tail extraction and the screen-saver switch table.
#include "windows/host/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(CommandTail, SkipsQuotedOrPlainProgramNameAndFollowingBlanks) {
    EXPECT_STREQ(command_tail("\"C:\\Program Files\\Velta II\\velta2.scr\" /s"), "/s");
    EXPECT_STREQ(command_tail("C:\\WINDOWS\\velta2.scr /p 1234"), "/p 1234");
    EXPECT_STREQ(command_tail("velta2.scr \t  /c:99"), "/c:99");
    EXPECT_STREQ(command_tail("velta2.scr"), "");
    EXPECT_STREQ(command_tail("\"unterminated path /s"), "");
    // A closing quote directly followed by the switch still ends the program name.
    EXPECT_STREQ(command_tail("\"a b.scr\"/s"), "/s");
}

TEST(ParseWindowHandle, ReadsLeadingDecimalDigitsAndWrapsIn32Bits) {
    EXPECT_EQ(parse_window_handle("1234"), 1234u);
    EXPECT_EQ(parse_window_handle("1234abc"), 1234u);
    EXPECT_EQ(parse_window_handle(":1234"), 0u);
    EXPECT_EQ(parse_window_handle(" 12"), 0u);
    EXPECT_EQ(parse_window_handle("-5"), 0u);
    EXPECT_EQ(parse_window_handle("0x10"), 0u);
    EXPECT_EQ(parse_window_handle("4294967295"), 4294967295u);
    EXPECT_EQ(parse_window_handle("4294967296"), 0u);
    EXPECT_EQ(parse_window_handle("4294967297"), 1u);
}

static RunRequest parse(const char* tail) {
    return parse_switch(tail);
}

TEST(ParseSwitch, SeparatorsOnlyOpenTheSettingsDialogWithoutOwner) {
    for (const char* tail : {"", "/", "- /", "   ", "--//"})
        EXPECT_EQ(parse(tail).mode, RunMode::Settings) << '"' << tail << '"';
}

TEST(ParseSwitch, LettersInBothCasesAfterAnySeparators) {
    for (const char* tail : {"-S", "/s", "s", " / s", "sXYZ"})
        EXPECT_EQ(parse(tail).mode, RunMode::Saver) << tail;
    for (const char* tail : {"/c", "C", "/c:1234"})
        EXPECT_EQ(parse(tail).mode, RunMode::SettingsForeground) << tail;
    for (const char* tail : {"/x", "x", "\t/s", "1234", "\x80", "?"})
        EXPECT_EQ(parse(tail).mode, RunMode::Invalid) << tail;
}

TEST(ParseSwitch, PreviewAndPasswordReadTheHandleAfterSpaces) {
    struct Case {
        const char* tail;
        RunMode mode;
        uint32_t handle;
    };
    const Case cases[] = {
        {"/p 1234", RunMode::Preview, 1234},
        {"/P1234", RunMode::Preview, 1234},
        {"/l 1234", RunMode::Preview, 1234},
        {"L   77", RunMode::Preview, 77},
        {"/p:1234", RunMode::Preview, 0},
        {"/p 0", RunMode::Preview, 0},
        {"/p", RunMode::Preview, 0},
        {"/p\t12", RunMode::Preview, 0},
        {"/a 1234", RunMode::ChangePassword, 1234},
        {"a", RunMode::ChangePassword, 0},
    };
    for (const Case& c : cases) {
        const RunRequest r = parse(c.tail);
        EXPECT_EQ(r.mode, c.mode) << c.tail;
        EXPECT_EQ(r.handle, c.handle) << c.tail;
    }
}
