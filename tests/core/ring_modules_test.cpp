// Samye, Nyingma, Sakya and Palyul: track positions mapped to angles, heights and sizes, and
// the wraps of their tracks.
#include "core/scenes/random_generator.h"
#include "core/scenes/ring_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <ctime>

static Vec3 cylinder_centre(const RecordedShape& s) {
    return s.modelView.point(0, 0, 3);
}

static float degrees_round_z(Vec3 v) {
    return std::atan2(v.y, v.x) * 180.0f / 3.14159265f;
}

TEST(RingModules, SamyeOddAndEvenElementsMirrorEachOther) {
    reset_scenes({12});
    DrawRecorder rec;
    ASSERT_EQ(DrawSamye(), 1);
    ASSERT_EQ(rec.shapes.size(), 17u);
    EXPECT_EQ(rec.shapes[16].kind, ShapeKind::Sphere);
    EXPECT_EQ(rec.shapes[16].base, 12.0);
    // Element 1 starts at -22.5 on the ring, element 2 at +45; the ring is laid 11.25 back.
    EXPECT_NEAR(degrees_round_z(cylinder_centre(rec.shapes[1])), -22.5f - 11.25f, 1e-3f);
    EXPECT_NEAR(degrees_round_z(cylinder_centre(rec.shapes[2])), 45.0f - 11.25f, 1e-3f);
    EXPECT_NEAR(length(cylinder_centre(rec.shapes[5])), 23.225805f, 1e-4f);
    // Even elements point one way along the ring's normal, odd ones the other.
    EXPECT_GT(rec.shapes[0].modelView.vector(0, 0, 1).y, 0.0f);
    EXPECT_LT(rec.shapes[1].modelView.vector(0, 0, 1).y, 0.0f);
    // Element 0 at angle 0: sin 0 gives size 1.3.
    EXPECT_NEAR(axis_scales(rec.shapes[0].modelView).x, 1.3f, 1e-6f);
}

TEST(RingModules, RingTracksStepAndRestartAtExactlyZero) {
    EXPECT_EQ(ring_track_step(0.5f), 0.5f * 0.05f * 0.35f);
    EXPECT_NEAR(ring_track_step(0.5f), 0.00875f, 1e-9f);
    for (int module : {12, 14}) {
        reset_scenes({module});
        DrawRecorder rec;
        draw_module(module);
        ElementState* e = module_elements(module);
        EXPECT_FLOAT_EQ(e[1].y, TRACK_LIMIT / 16 + 0.00875f);
        e[3].y = TRACK_LIMIT - 0.001f;
        draw_module(module);
        EXPECT_EQ(e[3].y, 0.0f) << module;
    }
}

TEST(RingModules, NyingmaRingWavesFourTimesRound) {
    reset_scenes({14});
    DrawRecorder rec;
    DrawNyingma();
    ASSERT_EQ(rec.shapes.size(), 17u);
    EXPECT_VEC_NEAR(cylinder_centre(rec.shapes[0]), 20, 3.5f, 0, 1e-5f);
    EXPECT_NEAR(cylinder_centre(rec.shapes[2]).y, -3.5f, 1e-4f); // 45 degrees round
    EXPECT_NEAR(cylinder_centre(rec.shapes[4]).y, 3.5f, 1e-4f);  // 90 degrees round
    EXPECT_NEAR(axis_scales(rec.shapes[16].modelView).x, 5.5f, 1e-5f);
}

TEST(RingModules, SakyaSpindleIsEmptyAtItsEndsAndWrapsOnlyBelowTheBottom) {
    reset_scenes({16});
    DrawRecorder rec;
    DrawSakya();
    ASSERT_EQ(rec.shapes.size(), 23u);
    // Element 0 starts at the bottom end: no size, on the axis.
    EXPECT_NEAR(length(axis_scales(rec.shapes[0].modelView)), 0.0f, 1e-6f);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 0, -0.5f * TRACK_LIMIT, 0, 1e-5f);
    EXPECT_FLOAT_EQ(module_elements(16)[22].y, 23.562412f - 0.00875f);
    EXPECT_FLOAT_EQ(sakya_size(0.0f), 1.0f);
    // Full size in the middle, at radius T / 2.5 from the axis.
    ElementState* e = module_elements(16);
    e[4].y = 0.0f;
    g_fSpeed = 0.0f;
    e[5].y = -TRACK_LIMIT; // exactly at the end: stays for this frame
    rec.clear_records();
    DrawSakya();
    const Vec3 c = rec.shapes[4].modelView.origin();
    EXPECT_NEAR(std::sqrt(c.x * c.x + c.z * c.z), TRACK_LIMIT / 2.5f, 1e-4f);
    EXPECT_EQ(e[5].y, -TRACK_LIMIT);
    g_fSpeed = 0.5f;
    DrawSakya();
    EXPECT_EQ(e[5].y, TRACK_LIMIT);
}

TEST(RingModules, PalyulMiddleElementsStartAtFullSizeAndWrapWithARandomSpin) {
    reset_scenes({19});
    const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
    DrawRecorder rec;
    ASSERT_EQ(DrawPalyul(), 1);
    const uint32_t after = static_cast<uint32_t>(std::time(nullptr));
    const int drawn = draw_random();
    // The first frame reseeded the generator with the time in seconds.
    seed_random(before);
    const int fromBefore = draw_random();
    seed_random(after);
    EXPECT_TRUE(drawn == fromBefore || drawn == draw_random());
    ASSERT_EQ(rec.shapes.size(), 24u);
    EXPECT_EQ(palyul_size(0.0f), 0.5806452f);
    for (int e = 3; e < 24; e += 6) {
        const Mat4& m = rec.shapes[e].modelView;
        EXPECT_NEAR(axis_scales(m).x, 0.5806452f, 1e-6f);
        // Height 0 at the spindle's widest point, turned a full 360 degrees back to its start.
        EXPECT_NEAR(cylinder_centre(rec.shapes[e]).y, 0.0f, 1e-5f);
        EXPECT_NEAR(length(cylinder_centre(rec.shapes[e])), 5.0f, 1e-4f);
    }
    EXPECT_VEC_NEAR(rec.shapes[3].modelView.vector(1, 0, 0), 0.5806452f, 0, 0, 1e-5f);
    ElementState* el = module_elements(19);
    EXPECT_EQ(el[9].turn, 0.0f);
    el[9].y = TRACK_LIMIT - 0.01f;
    seed_random(99);
    const int expected = draw_random();
    seed_random(99);
    DrawPalyul();
    EXPECT_EQ(el[9].y, -TRACK_LIMIT);
    EXPECT_EQ(el[9].turn, static_cast<float>(expected));
    EXPECT_EQ(el[10].turn, 0.0f);
}
