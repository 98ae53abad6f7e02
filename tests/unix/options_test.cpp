// The Linux program's command line: every option, XScreenSaver's window, and refusals that name
// the option.
// GoogleTest comes first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "unix/options.h"

#include <string>
#include <vector>

static bool parse(std::vector<const char*> args, Options* options, const char* env = nullptr,
                  std::string* message = nullptr) {
    args.insert(args.begin(), "velta2");
    char error[OPTION_ERROR_SIZE] = "";
    const bool ok = parse_options(static_cast<int>(args.size()), args.data(), env, options, error);
    if (message)
        *message = error;
    return ok;
}

static std::vector<int> enabled(const Options& options) {
    std::vector<int> modules;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        if (options.modules[k])
            modules.push_back(k);
    return modules;
}

TEST(LinuxOptions, DefaultsAndEveryOptionTheLastOneWinning) {
    Options o;
    ASSERT_TRUE(parse({}, &o));
    EXPECT_EQ(o.window, WindowKind::Own);
    EXPECT_EQ(enabled(o).size(), 20u);
    EXPECT_EQ(o.cycleSeconds, 15);
    EXPECT_FALSE(o.sound);
    EXPECT_FALSE(o.fps);

    ASSERT_TRUE(
        parse({"--root", "-modules", "7,1,3,5-7,20", "-cycle", "9999", "-sound", "-fps"}, &o));
    EXPECT_EQ(o.window, WindowKind::Root);
    EXPECT_EQ(enabled(o), (std::vector<int>{1, 3, 5, 6, 7, 20}));
    EXPECT_EQ(o.cycleSeconds, 9999);
    EXPECT_TRUE(o.sound);
    EXPECT_TRUE(o.fps);

    ASSERT_TRUE(
        parse({"-modules", "1-20", "-sound", "-module", "20", "-no-sound", "-cycle", "1"}, &o));
    EXPECT_EQ(enabled(o), std::vector<int>{20});
    EXPECT_FALSE(o.sound);
    EXPECT_EQ(o.cycleSeconds, 1);
}

TEST(LinuxOptions, WindowIdInDecimalOrHexOrFromXScreenSaver) {
    Options o;
    ASSERT_TRUE(parse({"-window-id", "0x1A00003"}, &o));
    EXPECT_EQ(o.window, WindowKind::Given);
    EXPECT_EQ(o.windowId, 0x1A00003u);
    ASSERT_TRUE(parse({"-window-id", "4294967295"}, &o));
    EXPECT_EQ(o.windowId, 0xFFFFFFFFu);

    // XScreenSaver runs "velta2 -root" with its window in the environment, in hexadecimal.
    for (auto args : {std::vector<const char*>{}, std::vector<const char*>{"-root"}}) {
        ASSERT_TRUE(parse(args, &o, "0x2C00005"));
        EXPECT_EQ(o.window, WindowKind::Given);
        EXPECT_EQ(o.windowId, 0x2C00005u);
    }
    // An explicit window of the program's own or by id comes first.
    ASSERT_TRUE(parse({"-window"}, &o, "0x2C00005"));
    EXPECT_EQ(o.window, WindowKind::Own);
    ASSERT_TRUE(parse({"-window-id", "77"}, &o, "0x2C00005"));
    EXPECT_EQ(o.windowId, 77u);
    ASSERT_TRUE(parse({"-root"}, &o, ""));
    EXPECT_EQ(o.window, WindowKind::Root);
}

TEST(LinuxOptions, RefusesBadOptionsAndValuesNamingThem) {
    struct Case {
        std::vector<const char*> args;
        const char* named; // what the one-line message must mention
    };
    const Case cases[] = {
        {{"-bogus"}, "-bogus"},
        {{"-root", "root"}, "root"},
        {{"-module", "21"}, "-module"},
        {{"-modules", "1,4-2"}, "-modules"},
        {{"-modules", "1,"}, "-modules"},
        {{"-modules", "5-21"}, "-modules"},
        {{"-cycle", "0"}, "-cycle"},
        {{"-cycle", "10000"}, "-cycle"},
        {{"-window-id", "0x"}, "-window-id"},
        {{"-window-id", "0x100000000"}, "-window-id"},
        {{"-window-id", "-root"}, "-window-id"},
        {{"-sound", "-cycle"}, "-cycle"},
    };
    for (const Case& c : cases) {
        Options o;
        std::string message;
        EXPECT_FALSE(parse(c.args, &o, nullptr, &message)) << c.args.back();
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    Options o;
    std::string message;
    EXPECT_FALSE(parse({}, &o, "window", &message));
    EXPECT_NE(message.find("XSCREENSAVER_WINDOW"), std::string::npos) << message;
}
