// Dorje Drak's three rings and Surmang's spheres on the turning cylinder.
#include "core/scenes/fixed_ring_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

TEST(FixedRingModules, DorjeDrakRingsAreUntiltedAtPhaseZero) {
    reset_scenes({13});
    DrawRecorder rec;
    ASSERT_EQ(DrawDorjeDrak(), 1);
    ASSERT_EQ(rec.shapes.size(), 24u);
    const float radius[3] = {21.935484f, 14.258065f, 9.212903f};
    const float size[3] = {2.0f, 1.3f, 0.84f};
    for (int e = 0; e < 24; ++e) {
        const RecordedShape& s = rec.shapes[e];
        EXPECT_EQ(s.kind, ShapeKind::Sphere);
        const Vec3 c = s.modelView.origin();
        EXPECT_NEAR(c.z, 0.0f, 1e-4f) << e;
        EXPECT_NEAR(length(c), radius[e % 3], 1e-4f) << e;
        EXPECT_NEAR(axis_scales(s.modelView).x, size[e % 3], 1e-5f);
        float angle = std::atan2(c.y, c.x) * 180.0f / 3.14159265f;
        const float expected = 45.0f * e + (e % 3 == 1 ? 22.5f : 0.0f);
        angle += 360.0f * std::round((expected - angle) / 360.0f);
        EXPECT_NEAR(angle, expected, 1e-3f) << e;
    }
}

TEST(FixedRingModules, DorjeDrakRingsTumbleAboutTheirOwnAxes) {
    reset_scenes({13});
    g_fPhase = 100.0f;
    DrawRecorder rec;
    DrawDorjeDrak();
    // Ring 0 turns about z and stays in the plane; ring 1 turns about y and leaves it; ring 2
    // turns about x, so its spheres keep their x.
    EXPECT_NEAR(rec.shapes[0].modelView.origin().z, 0.0f, 1e-4f);
    EXPECT_GT(std::fabs(rec.shapes[1].modelView.origin().z), 1.0f);
    const float a = 90.0f * 3.14159265f / 180.0f; // element 2 starts at 90 degrees
    EXPECT_NEAR(rec.shapes[2].modelView.origin().x, 9.212903f * std::cos(a), 1e-4f);
    EXPECT_GT(std::fabs(rec.shapes[2].modelView.origin().z), 1.0f);
}

TEST(FixedRingModules, SurmangSpheresSitOnTheTurningCylinder) {
    reset_scenes({17});
    DrawRecorder rec;
    ASSERT_EQ(DrawSurmang(), 1);
    ASSERT_EQ(rec.shapes.size(), 9u);
    const Vec3 top = rec.shapes[3].modelView.origin();
    EXPECT_NEAR(top.y, 15.25f, 1e-5f); // just above the cylinder's top at 15
    EXPECT_NEAR(std::sqrt(top.x * top.x + top.z * top.z), 10.0f, 1e-4f);
    EXPECT_NEAR(axis_scales(rec.shapes[3].modelView).x, 0.38f, 1e-6f);
    const Mat4& cylinder = rec.shapes[8].modelView;
    EXPECT_EQ(rec.shapes[8].kind, ShapeKind::Cylinder);
    EXPECT_VEC_NEAR(cylinder.point(0, 0, 0), 0, -15, 0, 1e-4f);
    EXPECT_VEC_NEAR(cylinder.point(0, 0, 6), 0, 15, 0, 1e-4f);
    EXPECT_NEAR(length(cylinder.point(2, 0, 3)), 10.0f, 1e-4f);
    // Spheres and cylinder turn together: after 30 frames both have turned by -phase / 3.
    g_fPhase = 30.0f;
    rec.clear_records();
    DrawSurmang();
    const Vec3 moved = rec.shapes[3].modelView.origin();
    const Vec3 mark = rec.shapes[8].modelView.point(2, 0, 3);
    const float sphereTurn = std::atan2(-moved.z, moved.x) - std::atan2(-top.z, top.x);
    EXPECT_NEAR(std::remainder(sphereTurn, 6.2831853f), -10.0f * 3.14159265f / 180.0f, 1e-4f);
    EXPECT_NEAR(std::atan2(-mark.z, mark.x), -10.0f * 3.14159265f / 180.0f, 1e-4f);
}
