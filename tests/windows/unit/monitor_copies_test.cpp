// Where the module is drawn and where its copies go on several monitors.
#include "windows/render/monitor_copies.h"

#include <gtest/gtest.h>

TEST(MonitorLayout, PrimaryKeepsItsOwnSizeAndCopiesFitTheOthersCentredInOpenGlRows) {
    // A 640 x 360 monitor left of an 800 x 600 primary, 120 pixels down: the window starts at
    // -640, and OpenGL counts rows from its bottom edge.
    const ScreenRect monitors[] = {{0, 0, 800, 600}, {-640, 120, 640, 360}};
    const MonitorLayout layout = plan_monitor_layout({-640, 0, 1440, 600}, monitors, 2, 0);
    EXPECT_EQ(layout.width, 1440);
    EXPECT_EQ(layout.height, 600);
    EXPECT_EQ(layout.primary.x, 640);
    EXPECT_EQ(layout.primary.y, 0);
    EXPECT_EQ(layout.primary.w, 800);
    EXPECT_EQ(layout.primary.h, 600);
    ASSERT_EQ(layout.copyCount, 1);
    // 0.6 fits the height; 480 x 360 leaves 80-pixel bars left and right.
    EXPECT_FLOAT_EQ(layout.copies[0].zoom, 0.6f);
    EXPECT_EQ(layout.copies[0].x, 80);
    EXPECT_EQ(layout.copies[0].y, 120);
}

TEST(MonitorLayout, TallMonitorsGetBarsAboveAndBelowAndEmptyOnesNoCopy) {
    const ScreenRect monitors[] = {{1024, 0, 600, 800}, {0, 0, 1024, 768}, {1624, 0, 0, 0}};
    const MonitorLayout layout = plan_monitor_layout({0, 0, 1624, 800}, monitors, 3, 1);
    EXPECT_EQ(layout.primary.y, 32);
    ASSERT_EQ(layout.copyCount, 1);
    // 600 / 1024 wide, so 600 x 450 in the middle of 800 rows: 175 free below and above.
    EXPECT_FLOAT_EQ(layout.copies[0].zoom, 600.0f / 1024.0f);
    EXPECT_EQ(layout.copies[0].x, 1024);
    EXPECT_EQ(layout.copies[0].y, 175);
}

TEST(MonitorLayout, OneMonitorHasNothingToCopy) {
    const ScreenRect monitor = {0, 0, 640, 480};
    const MonitorLayout layout = plan_monitor_layout(monitor, &monitor, 1, 0);
    EXPECT_EQ(layout.copyCount, 0);
    EXPECT_EQ(layout.primary.w, 640);
}
