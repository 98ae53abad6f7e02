// Drepung's spiral and Dzogchen's ring of circling groups, through the recording drawing table.
#include "core/scenes/spiral_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

// Centre of a cylinder of height 6 drawn after a shift of -3 along its axis.
static Vec3 cylinder_centre(const RecordedShape& s) {
    return s.modelView.point(0, 0, 3);
}

TEST(SpiralModules, DrepungStartsWithTwoSymmetricArmsGrowingOutwards) {
    reset_scenes({8});
    DrawRecorder rec;
    ASSERT_EQ(DrawDrepung(), 1);
    ASSERT_EQ(rec.shapes.size(), 24u);
    // Record 0 is born at the centre with nothing to show.
    EXPECT_NEAR(length(axis_scales(rec.shapes[0].modelView)), 0.0f, 1e-6f);
    // Record 11, 0.4 * 23.655914 out along its arm, is already shrinking towards the rim.
    const RecordedShape& r11 = rec.shapes[11];
    EXPECT_NEAR(axis_scales(r11.modelView).x, 0.2546f, 1e-4f);
    EXPECT_NEAR(length(cylinder_centre(r11)), 0.4f * 23.655914f, 1e-4f);
    for (int m = 1; m < 12; ++m) {
        const Vec3 a = cylinder_centre(rec.shapes[m]);
        const Vec3 b = cylinder_centre(rec.shapes[m + 12]);
        EXPECT_VEC_NEAR(b, -a.x, -a.y, -a.z, 1e-4f);
        // Every cylinder keeps the same orientation, whatever its heading.
        EXPECT_VEC_NEAR(rec.shapes[m].modelView.vector(0, 0, 1), 0, 0,
                        spiral_size(m * TRACK_LIMIT / 12), 1e-5f);
    }
    const ElementState* e = module_elements(8);
    EXPECT_FLOAT_EQ(e[11].z, 23.655914f + 0.02f);
    EXPECT_FLOAT_EQ(e[11].turn, 495.0f + 0.075f);
    EXPECT_EQ(e[11].phase, 0.0f);
}

TEST(SpiralModules, DrepungWrapsByWholeHundredths) {
    EXPECT_FLOAT_EQ(wrap_spiral_distance(25.875f), 0.07f);
    EXPECT_FLOAT_EQ(wrap_spiral_distance(25.8125f), 0.01f);
    EXPECT_EQ(wrap_spiral_distance(TRACK_LIMIT), TRACK_LIMIT); // not past the limit yet
    // Through a frame: a record that steps past the limit restarts on the same frame.
    reset_scenes({8});
    DrawRecorder rec;
    DrawDrepung();
    ElementState* e = module_elements(8);
    e[3].z = 25.8f;
    g_fSpeed = 1.625f; // a step of 0.065 takes it to 25.865
    DrawDrepung();
    EXPECT_NEAR(e[3].z, 0.06f, 1e-6f);
}

TEST(SpiralModules, DrepungIsNotZeroFilledOnItsFirstFrame) {
    reset_scenes({8});
    ElementState* e = module_elements(8);
    e[25].vx = 7.0f; // beyond the 24 records it uses
    e[4].phase = 30.0f;
    DrawRecorder rec;
    DrawDrepung();
    EXPECT_EQ(e[25].vx, 7.0f);
    EXPECT_EQ(e[4].phase, 30.0f);
}

TEST(SpiralModules, DzogchenDrawsEighteenSpheresAndTheCentralOne) {
    reset_scenes({10});
    DrawRecorder rec;
    ASSERT_EQ(DrawDzogchen(), 1);
    ASSERT_EQ(rec.shapes.size(), 19u);
    for (const RecordedShape& s : rec.shapes)
        EXPECT_EQ(s.kind, ShapeKind::Sphere);
    EXPECT_EQ(rec.shapes[0].base, 2.4000000953674316);
    EXPECT_EQ(rec.shapes[18].base, 11.199999809265137);
    EXPECT_VEC_NEAR(axis_scales(rec.shapes[18].modelView), 0.9f, 0.9f, 1.0f, 1e-6f);
    // Records 18 to 23 are initialised all the same.
    EXPECT_EQ(module_elements(10)[19].phase, -300.0f);
    EXPECT_EQ(g_fPhase, 0.5f);
}

TEST(SpiralModules, DzogchenBaseLayoutPutsEachGroupOnTheRing) {
    reset_scenes({10});
    DrawRecorder rec;
    DrawDzogchen();
    const float pi = 3.14159265f;
    for (int g = 0; g < 6; ++g) {
        // Group g sits 60 g degrees round, measured about the negative z axis.
        const float ex = 21.0f * std::cos(g * pi / 3), ey = -21.0f * std::sin(g * pi / 3);
        Vec3 mean = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            const Vec3 c = rec.shapes[3 * g + i].modelView.origin();
            EXPECT_NEAR(length({c.x - ex, c.y - ey, c.z}), 4.0f, 1e-4f);
            mean = {mean.x + c.x / 3, mean.y + c.y / 3, mean.z + c.z / 3};
        }
        EXPECT_VEC_NEAR(mean, ex, ey, 0.0f, 1e-4f);
    }
    // Sphere 0 of group 0 starts at its initial phase 0: straight out along z from its place.
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 21, 0, 4, 1e-5f);
}
