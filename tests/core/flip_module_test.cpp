// Gelug's flip control and the swing of a flipping group over its ring.
#include "core/scenes/flip_module.h"
#include "core/scenes/random_generator.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

// Frames until the flip control's turning flag becomes want.
static int frames_until(FlipControl& f, bool want, float speed) {
    int n = 0;
    while (f.turning != want && n < 100000) {
        advance_flip(f, speed);
        ++n;
    }
    return n;
}

TEST(FlipModule, AtHalfSpeedAFlipStartsAfter41FramesAndLasts736) {
    seed_random(3);
    FlipControl f = {};
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(frames_until(f, true, 0.5f), 41);
        EXPECT_EQ(f.timer, 0.0f);
        EXPECT_EQ(f.angle, 0.0f);
        for (int n = 0; n < 705; ++n)
            advance_flip(f, 0.5f);
        EXPECT_EQ(f.angle, 176.25f); // steady at 0.25 a frame, then easing in
        EXPECT_EQ(frames_until(f, false, 0.5f), 31);
        EXPECT_EQ(f.angle, 0.0f);
    }
}

TEST(FlipModule, NoGroupFlipsTwiceInARow) {
    seed_random(11);
    FlipControl f = {};
    int last = f.group;
    int seen[3] = {};
    for (int flip = 0; flip < 300; ++flip) {
        frames_until(f, true, 10.0f);
        ASSERT_NE(f.group, last);
        ASSERT_GE(f.group, 0);
        ASSERT_LE(f.group, 2);
        EXPECT_EQ(f.members[0], f.group + 3);
        EXPECT_EQ(f.members[2], f.group + 9);
        ++seen[f.group];
        last = f.group;
        frames_until(f, false, 10.0f);
    }
    EXPECT_GT(seen[0], 50);
    EXPECT_GT(seen[1], 50);
    EXPECT_GT(seen[2], 50);
}

TEST(FlipModule, FlippingGroupSwingsOverTheTopOfTheRing) {
    reset_scenes({20});
    g_Flip = {};
    DrawRecorder rec;
    ASSERT_EQ(DrawGelug(), 1);
    ASSERT_EQ(rec.shapes.size(), 12u);
    for (int e = 0; e < 12; ++e) {
        const Vec3 c = rec.shapes[e].modelView.point(0, 0, 3);
        EXPECT_NEAR(c.y, 0.0f, 1e-5f);
        EXPECT_NEAR(length(c), 8.0f, 1e-4f);
        EXPECT_NEAR(std::atan2(-c.z, c.x), std::remainder(30.0f * e, 360.0f) * 3.14159265f / 180,
                    1e-4f);
    }
    // Half-way through a flip of group 1 its four members meet above the ring's centre.
    g_Flip = {true, 89.75f, 0.0f, 1, {4, 7, 10}};
    rec.clear_records();
    DrawGelug();
    EXPECT_EQ(g_Flip.angle, 90.0f);
    for (int e = 0; e < 12; ++e) {
        const Vec3 c = rec.shapes[e].modelView.point(0, 0, 3);
        if (e % 3 == 1)
            EXPECT_VEC_NEAR(c, 0, 8, 0, 1e-4f);
        else
            EXPECT_NEAR(c.y, 0.0f, 1e-4f);
    }
}
