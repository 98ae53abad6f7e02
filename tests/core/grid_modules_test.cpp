// The grid modules: cell places, the records each cell spins from, the checkerboard ripple,
// and Samdrup's self-turning view that leaves its spheres' orientation alone.
#include "core/scenes/grid_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

namespace {

constexpr float TOL = 1e-4f;
constexpr float DEG = 3.14159265f / 180.0f;

const RecordedShape& cell(const DrawRecorder& rec, int i, int j) {
    return rec.shapes.at(i * 8 + j);
}

// The spin of an upright Tsurphu cylinder, degrees: its local x axis turned about the vertical.
float tsurphu_spin(const RecordedShape& s) {
    const Vec3 x = s.modelView.vector(1, 0, 0);
    return std::atan2(-x.z, x.x) / DEG;
}

} // namespace

TEST(GridModules, TsurphuLaysOutThreeRowsOfEightUprightCylindersShiftedDown) {
    reset_scenes({4});
    DrawRecorder rec;
    EXPECT_EQ(DrawTsurphu(), 1);
    ASSERT_EQ(rec.shapes.size(), 24u);
    EXPECT_VEC_NEAR(cell(rec, 0, 0).modelView.origin(), -18.9f, -10.2000003f, 0, 1e-5f);
    EXPECT_VEC_NEAR(cell(rec, 2, 7).modelView.origin(), 18.9f, 4.2000003f, 0, 1e-5f);
    for (const RecordedShape& s : rec.shapes) {
        EXPECT_EQ(s.kind, ShapeKind::Cylinder);
        EXPECT_EQ(s.height, 6.0);
        EXPECT_EQ(s.stacks, 32);
        EXPECT_VEC_NEAR(s.modelView.vector(0, 0, 1), 0, 1, 0, 1e-6f); // axis points up
        EXPECT_NEAR(s.modelView.origin().z, 0.0f, 0.0f); // flat on the very first frame
    }
}

TEST(GridModules, CellsSpinFromRecordIPlusJTimesIPlusOne) {
    reset_scenes({4});
    DrawRecorder rec;
    DrawTsurphu();
    for (int r = 0; r < 24; ++r)
        module_elements(4)[r].phase = static_cast<float>(r * 7);
    g_fPhase = 0.0f;
    rec.clear_records();
    DrawTsurphu();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 8; ++j)
            EXPECT_NEAR(tsurphu_spin(cell(rec, i, j)), (i + j * (i + 1)) * 7.0f, 1e-3f)
                << i << "," << j;
    // The phase turns every cell back.
    g_fPhase = 10.0f;
    rec.clear_records();
    DrawTsurphu();
    EXPECT_NEAR(tsurphu_spin(cell(rec, 1, 1)), 21.0f - 10.0f, 1e-3f);
}

TEST(GridModules, CheckerboardMovesAlternateCellsApart) {
    reset_scenes({4});
    DrawRecorder rec;
    g_fBob = 2.0f;
    g_fSpeed = 0.0625f;
    DrawTsurphu();
    EXPECT_NEAR(cell(rec, 0, 0).modelView.origin().z, 2.0f, TOL);
    EXPECT_NEAR(cell(rec, 0, 1).modelView.origin().z, -2.0f, TOL);
    EXPECT_NEAR(cell(rec, 1, 0).modelView.origin().z, -2.0f, TOL);
    EXPECT_NEAR(cell(rec, 1, 1).modelView.origin().z, 2.0f, TOL);
    EXPECT_FLOAT_EQ(g_fBob, 2.0f + 0.0625f * 0.02f);
}

TEST(GridModules, BobTurnsOnlyPastFiveAndIsHeldThere) {
    g_fBob = 4.995f;
    g_bBobUp = true;
    advance_bob(1.0f);
    EXPECT_EQ(g_fBob, 5.0f);
    EXPECT_FALSE(g_bBobUp);
    advance_bob(1.0f);
    EXPECT_FLOAT_EQ(g_fBob, 4.98f);
    g_fBob = 4.5f; // lands on exactly 5.0: not past it, so still rising
    g_bBobUp = true;
    advance_bob(25.0f);
    EXPECT_EQ(g_fBob, 5.0f);
    EXPECT_TRUE(g_bBobUp);
    g_fBob = -4.99f;
    g_bBobUp = false;
    advance_bob(1.0f);
    EXPECT_EQ(g_fBob, -5.0f);
    EXPECT_TRUE(g_bBobUp);
    // At speed 0.5 a whole swing from 0 up to 5 takes about 500 frames.
    g_fBob = 0.0f;
    int frames = 0;
    for (g_bBobUp = true; g_bBobUp && frames < 1000; ++frames)
        advance_bob(0.5f);
    EXPECT_NEAR(frames, 500, 1);
}

TEST(GridModules, TheRippleCarriesOverFromOneGridModuleToTheOther) {
    reset_scenes({4, 7});
    DrawRecorder rec;
    for (int n = 0; n < 100; ++n)
        DrawTsurphu();
    const float bob = g_fBob;
    EXPECT_NEAR(bob, 1.0f, 1e-4f);
    load_module_params(7);
    g_fDepth = 40.0f;
    g_fHorz = g_fVert = g_fXrot = g_fYrot = g_fZrot = 0.0f;
    rec.clear_records();
    DrawSamdrup();
    // Samdrup's own view offsets: 7 right, 12 down, 1 further away.
    EXPECT_VEC_NEAR(cell(rec, 0, 0).modelView.origin(), 7 - 18.9f, -12 - 7.2000003f, -41 + bob,
                    TOL);
    EXPECT_NEAR(cell(rec, 0, 1).modelView.origin().z, -41 - bob, TOL);
    EXPECT_EQ(cell(rec, 0, 0).kind, ShapeKind::Sphere);
    EXPECT_EQ(cell(rec, 0, 0).base, 2.0);
}

TEST(GridModules, SamdrupTurnsTheViewEachFrameButNotItsSpheres) {
    reset_scenes({7});
    DrawRecorder rec;
    g_fXrot = -90.0f;
    g_fYrot = 20.0f;
    g_fZrot = 10.0f;
    DrawSamdrup();
    EXPECT_FLOAT_EQ(g_fXrot, -90.25f);
    EXPECT_FLOAT_EQ(g_fYrot, 19.875f);
    EXPECT_FLOAT_EQ(g_fPhase, 0.5f);
    const Mat4 before = cell(rec, 1, 2).modelView;
    const Mat4 beforeLow = cell(rec, 0, 2).modelView;

    g_fXrot = -30.0f; // as if steered by keyboard
    g_fYrot = 20.0f;
    g_fPhase = 0.0f;
    rec.clear_records();
    DrawSamdrup();
    const Mat4 after = cell(rec, 1, 2).modelView;
    for (Vec3 axis : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}}) {
        const Vec3 a = before.vector(axis.x, axis.y, axis.z);
        const Vec3 b = after.vector(axis.x, axis.y, axis.z);
        EXPECT_VEC_NEAR(b, a.x, a.y, a.z, 1e-5f);
    }
    // ... while the grid itself has tilted: a cell off the middle row has moved.
    const Vec3 p = beforeLow.origin(), q = cell(rec, 0, 2).modelView.origin();
    EXPECT_GT(std::fabs(p.y - q.y) + std::fabs(p.z - q.z), 1.0f);
}
