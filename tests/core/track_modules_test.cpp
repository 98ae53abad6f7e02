// Where the track modules put their elements and central shapes, and how the elements move.
#include "core/scenes/track_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr float TOL = 1e-4f;

// Draws one frame of a module whose table is already set up, with the phase at 0.
void draw_at_phase_zero(int (*draw)(), DrawRecorder& rec) {
    g_fPhase = 0.0f;
    rec.clear_records();
    draw();
}

} // namespace

TEST(TrackModules, LayoutPutsGroupsOfThreeAlongTheTrackAndTurnsEachGroupFurther) {
    ElementState e[TRACK_ELEMENTS] = {};
    init_track_layout(e);
    EXPECT_EQ(e[0].z, -25.806452f);
    EXPECT_EQ(e[2].z, -25.806452f);
    EXPECT_FLOAT_EQ(e[3].z, -19.354839f);
    EXPECT_EQ(e[12].z, 0.0f);
    EXPECT_FLOAT_EQ(e[23].z, 19.354839f);
    const float phases[] = {0, -120, -240, -30, -150, -270, -60};
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(e[c].phase, phases[c]) << c;
    EXPECT_EQ(e[23].phase, -(23 * 120 % 360 + 210));
}

TEST(TrackModules, WrapRestartsFromTheIntegerPartModulo25) {
    EXPECT_FLOAT_EQ(wrap_track_position(25.83f), -25.806452f);
    EXPECT_FLOAT_EQ(wrap_track_position(26.2f), -24.806452f);
    EXPECT_EQ(wrap_track_position(TRACK_LIMIT), TRACK_LIMIT); // only past the end
    EXPECT_EQ(wrap_track_position(-25.9f), -25.9f);           // no wrap at the start
}

TEST(TrackModules, ShechenFirstFrameHidesGroupZeroAndShowsGroupFourAtFullSize) {
    reset_scenes({1});
    DrawRecorder rec;
    EXPECT_EQ(DrawShechen(), 1);
    ASSERT_EQ(rec.shapes.size(), 25u);
    for (int c = 0; c < 3; ++c)
        EXPECT_VEC_NEAR(axis_scales(rec.shapes[c].modelView), 0, 0, 0, 1e-6f);
    for (int c = 12; c < 15; ++c) {
        const RecordedShape& s = rec.shapes[c];
        EXPECT_EQ(s.kind, ShapeKind::Cylinder);
        EXPECT_EQ(s.base, 2.0);
        EXPECT_EQ(s.height, 6.0);
        EXPECT_EQ(s.slices, 32);
        EXPECT_EQ(s.stackDepth, 1);
        // Size 1.2, then doubled; at the track's middle both hinges point the same way, so
        // the element stands at twice the orbit radius, pushed back 9 at its size.
        EXPECT_VEC_NEAR(axis_scales(s.modelView), 2.4f, 2.4f, 2.4f, TOL);
    }
    // Element 12 is 120 degrees back on its wheel.
    EXPECT_VEC_NEAR(rec.shapes[12].modelView.origin(), 2 * ORBIT_RADIUS * -0.5f,
                    2 * ORBIT_RADIUS * -0.8660254f, -10.8f, TOL);
    const RecordedShape& central = rec.shapes[24];
    EXPECT_EQ(central.base, 8.0);
    EXPECT_EQ(central.height, 24.0);
    EXPECT_VEC_NEAR(central.modelView.origin(), 0, 0, -12, TOL);
    EXPECT_EQ(central.stackDepth, 1);
}

TEST(TrackModules, ElementsStepBySpeedAndWrapOnTheSameFrame) {
    reset_scenes({1, 2});
    DrawRecorder rec;
    DrawShechen();
    DrawJokhang();
    EXPECT_FLOAT_EQ(module_elements(1)[12].z, 0.0125f);
    EXPECT_FLOAT_EQ(module_elements(2)[12].z, 0.025f);
    ElementState* e = module_elements(2);
    e[0].z = 25.80f;
    e[1].z = 26.17f;
    g_fSpeed = 0.6f; // a step of 0.03
    DrawJokhang();
    EXPECT_FLOAT_EQ(e[0].z, -25.806452f);
    EXPECT_FLOAT_EQ(e[1].z, -24.806452f);
}

TEST(TrackModules, JokhangSwingsFromBehindToInFrontAlongItsArc) {
    reset_scenes({2});
    DrawRecorder rec;
    DrawJokhang();
    ElementState* e = module_elements(2);
    e[0].z = -TRACK_LIMIT; // start: 0 degrees about y, behind the centre
    e[3].z = 0.0f;         // middle: 90 degrees
    e[6].z = TRACK_LIMIT;  // end: 180 degrees, in front
    draw_at_phase_zero(DrawJokhang, rec);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 0, 0, -ORBIT_RADIUS, TOL);
    EXPECT_VEC_NEAR(rec.shapes[6].modelView.origin(), 0, 0, ORBIT_RADIUS, TOL);
    // Element 3 is 30 degrees back on its wheel, at full size and stretched along its axis.
    EXPECT_VEC_NEAR(rec.shapes[3].modelView.origin(), -ORBIT_RADIUS * 0.8660254f,
                    ORBIT_RADIUS * 0.5f, 0, TOL);
    EXPECT_VEC_NEAR(axis_scales(rec.shapes[3].modelView), 1.2f, 1.2f, 1.5f, TOL);
    const RecordedShape& central = rec.shapes[24];
    EXPECT_EQ(central.base, 6.4);
    EXPECT_EQ(central.height, 18.82352888377894);
    EXPECT_VEC_NEAR(central.modelView.origin(), 0, 0, -10.666667f, TOL);
}

TEST(TrackModules, MindrolingHoldsFullSizeOverTheMiddleHalfAt14Point4Out) {
    reset_scenes({3});
    DrawRecorder rec;
    DrawMindroling();
    ElementState* e = module_elements(3);
    e[0].z = 5.0f;
    e[1].z = -TRACK_HALF;
    e[2].z = 19.354839f; // a quarter from the end: half size
    draw_at_phase_zero(DrawMindroling, rec);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), -14.4f, 0, 6.0f, TOL);
    EXPECT_VEC_NEAR(axis_scales(rec.shapes[0].modelView), 1.2f, 1.2f, 1.5f, TOL);
    EXPECT_EQ(rec.shapes[0].kind, ShapeKind::Sphere);
    EXPECT_NEAR(length(rec.shapes[1].modelView.vector(1, 0, 0)), 1.2f, TOL);
    EXPECT_NEAR(length(rec.shapes[2].modelView.vector(1, 0, 0)), 0.6f, TOL);
    // The element is tilted 55 degrees back about its wheel's radius.
    const Vec3 axis = rec.shapes[0].modelView.vector(0, 0, 1);
    EXPECT_NEAR(axis.x, 0, TOL);
    EXPECT_NEAR(axis.y / length(axis), std::sin(55 * 3.14159265f / 180), TOL);
    EXPECT_EQ(rec.shapes[24].base, 7.0);
}

TEST(TrackModules, PalpungAndKathokSpheresRunTheirArcAndOrbit) {
    reset_scenes({5, 6});
    DrawRecorder rec;
    DrawPalpung();
    DrawKathok();
    for (int k : {5, 6}) {
        ElementState* e = module_elements(k);
        e[0].z = -TRACK_LIMIT;
        e[3].z = 0.0f;
    }
    draw_at_phase_zero(DrawPalpung, rec);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), -ORBIT_RADIUS, 0, 0, 1e-3f);
    // At the middle of the track the arc has swung 180 degrees: the far side, 30 degrees on.
    EXPECT_VEC_NEAR(rec.shapes[3].modelView.origin(), ORBIT_RADIUS * 0.8660254f,
                    -ORBIT_RADIUS * 0.5f, 0, TOL);
    EXPECT_EQ(rec.shapes[24].base, 8.0);
    EXPECT_EQ(rec.shapes[24].kind, ShapeKind::Sphere);
    // The wheels turn by a quarter of the phase, the central shape by a third against it.
    g_fPhase = 120.0f;
    module_elements(5)[0].z = -TRACK_LIMIT;
    rec.clear_records();
    DrawPalpung();
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), -ORBIT_RADIUS * 0.8660254f,
                    ORBIT_RADIUS * 0.5f, 0, 1e-3f);
    EXPECT_VEC_NEAR(rec.shapes[24].modelView.vector(1, 0, 0), 0.76604444f, -0.64278761f, 0, TOL);
    draw_at_phase_zero(DrawKathok, rec);
    // Both hinges straight at the middle: twice the orbit radius out.
    EXPECT_VEC_NEAR(rec.shapes[3].modelView.origin(), -2 * ORBIT_RADIUS * 0.8660254f,
                    2 * ORBIT_RADIUS * 0.5f, 0, TOL);
    EXPECT_VEC_NEAR(axis_scales(rec.shapes[3].modelView), 1.2f, 1.2f, 1.2f, TOL);
    // Near the start the second hinge folds back onto the centre.
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 0, 0, 0, 1e-2f);
}
