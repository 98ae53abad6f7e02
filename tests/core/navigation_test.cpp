// Finding the next and previous enabled module, with wrap-around.
#include "core/render/render_state.h"
#include "core/settings/module_params.h"

#include <gtest/gtest.h>

static void enable_only(std::initializer_list<int> modules) {
    init_module_defaults();
    for (int k = 1; k <= MODULE_COUNT; ++k)
        g_Mods[k].active = 0;
    for (int k : modules)
        g_Mods[k].active = 1;
}

TEST(Navigation, WrapsAroundBothEnds) {
    enable_only({1, 20});
    EXPECT_EQ(next_enabled_module(20), 1);
    EXPECT_EQ(prev_enabled_module(1), 20);
    EXPECT_EQ(next_enabled_module(0), 1);
    EXPECT_EQ(prev_enabled_module(0), 20);
    EXPECT_EQ(count_enabled_modules(), 2);
}

TEST(Navigation, SkipsDisabledAndReturnsTheOnlyEnabledModuleItself) {
    enable_only({3, 7});
    EXPECT_EQ(next_enabled_module(3), 7);
    EXPECT_EQ(next_enabled_module(7), 3);
    EXPECT_EQ(prev_enabled_module(3), 7);
    EXPECT_EQ(next_enabled_module(4), 7);
    enable_only({9});
    EXPECT_EQ(next_enabled_module(9), 9);
    EXPECT_EQ(prev_enabled_module(9), 9);
    EXPECT_EQ(next_enabled_module(0), 9);
}

TEST(Navigation, NoneEnabledGivesZeroAndEntryZeroNeverCounts) {
    enable_only({});
    g_Mods[0].active = 1;
    EXPECT_EQ(count_enabled_modules(), 0);
    EXPECT_EQ(next_enabled_module(5), 0);
    EXPECT_EQ(prev_enabled_module(0), 0);
}
