// Sera's random start inside its box, its bounce rules and its drift.
#include "core/scenes/drift_module.h"
#include "core/scenes/random_generator.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

TEST(DriftModule, FirstPositionsLieInsideTheirBoxesAfterSixDrawsPerRecord) {
    reset_scenes({9});
    seed_random(20261208);
    DrawRecorder rec;
    ASSERT_EQ(DrawSera(), 1);
    ASSERT_EQ(rec.shapes.size(), 18u);
    const int next = draw_random();
    seed_random(20261208);
    for (int n = 0; n < 144; ++n)
        draw_random();
    // Nobody started outside the box, so the first frame made no bounce draws.
    EXPECT_EQ(draw_random(), next);
    for (const RecordedShape& s : rec.shapes) {
        const Vec3 c = s.modelView.point(0, 0, 3); // drawn before the move
        const float w = drift_widening(c.z);
        EXPECT_LE(std::fabs(c.z), 40.0f);
        EXPECT_LE(std::fabs(c.x), 15.0f * w);
        EXPECT_LE(std::fabs(c.y), 10.0f * w);
        EXPECT_VEC_NEAR(s.modelView.vector(0, 0, 1), 0, 1, 0, 1e-6f); // upright
    }
    const ElementState* e = module_elements(9);
    EXPECT_EQ(e[23].phase, 690.0f);
    EXPECT_NE(e[23].vz, 0.0f); // initialised though never drawn
    EXPECT_EQ(g_fPhase, 0.5f * 0.65f);
}

TEST(DriftModule, BounceTurnsBackOnlyTheAxesThatAreStrictlyOutside) {
    EXPECT_EQ(drift_widening(-40.0f), 1.0f);
    EXPECT_EQ(drift_widening(40.0f), 3.0f);
    seed_random(7);
    for (int n = 0; n < 200; ++n) {
        ElementState e = {};
        e.x = 46.0f; // beyond 15 * 3 = 45 at z = 40
        e.z = 40.0f; // on the wall, not beyond it
        e.vx = 0.2f;
        e.vy = 0.1f;
        e.vz = 0.05f;
        bounce_in_box(e);
        EXPECT_LE(e.vx, 0.0f);
        EXPECT_GE(e.vx, -0.3f);
        EXPECT_EQ(e.vy, 0.1f);
        EXPECT_EQ(e.vz, 0.05f);
        ElementState f = {};
        f.x = -15.5f; // z = -40: bounds 15 and 10
        f.y = 10.5f;
        f.z = -40.5f;
        bounce_in_box(f);
        EXPECT_GE(f.vx, 0.0f);
        EXPECT_LE(f.vy, 0.0f);
        EXPECT_GE(f.vz, 0.0f);
        EXPECT_LE(f.vx, 0.3f);
    }
}

TEST(DriftModule, EachFrameTestsThenDrawsThenMoves) {
    reset_scenes({9});
    g_fSpeed = 1.0f;
    DrawRecorder rec;
    DrawSera();
    ElementState& e = module_elements(9)[0];
    e.x = 46.0f;
    e.y = 0.0f;
    e.z = 40.0f;
    e.vx = 0.3f;
    e.vy = 0.3f;
    e.vz = 0.0f;
    rec.clear_records();
    DrawSera();
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.point(0, 0, 3), 46.0f, 0.0f, 40.0f, 1e-5f);
    EXPECT_LE(e.vx, 0.0f);
    EXPECT_GE(e.x, 46.0f - 0.045f);
    EXPECT_LE(e.x, 46.0f);
    EXPECT_FLOAT_EQ(e.y, 0.3f * 0.15f);
    EXPECT_FLOAT_EQ(g_fPhase, 1.3f);
}
