// Menri, Kagyu and Ganden: the train's start on its curve, sizes, the wrap of the curve
// parameter and the turn towards the viewer.
#include "core/scenes/fixed_ring_modules.h"
#include "core/scenes/orbit_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <vector>

TEST(OrbitModules, FirstFramePlacesElementZeroAtTheStartOfEachCurve) {
    reset_scenes({11, 15, 18});
    DrawRecorder rec;
    ASSERT_EQ(DrawMenri(), 1);
    ASSERT_EQ(rec.shapes.size(), 20u); // 19 spheres and the central cylinder
    EXPECT_EQ(rec.shapes[0].kind, ShapeKind::Sphere);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 17, 0, 0, 1e-5f);
    EXPECT_NEAR(axis_scales(rec.shapes[0].modelView).x, 0.96f, 1e-6f);
    // The central cylinder, scaled by 16, spans -36 to 60 along its axis (the y axis).
    const Mat4& central = rec.shapes[19].modelView;
    EXPECT_EQ(rec.shapes[19].kind, ShapeKind::Cylinder);
    EXPECT_VEC_NEAR(central.point(0, 0, 0), 0, -36, 0, 1e-4f);
    EXPECT_VEC_NEAR(central.point(0, 0, 6), 0, 60, 0, 1e-4f);

    rec.clear_records();
    ASSERT_EQ(DrawKagyu(), 1);
    ASSERT_EQ(rec.shapes.size(), 22u);
    // (-4, 0, 0) inside the 26.5-degree tilt about z.
    const float a = 26.5f * 3.14159265f / 180.0f;
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), -4 * std::cos(a), -4 * std::sin(a), 0, 1e-5f);
    EXPECT_NEAR(axis_scales(rec.shapes[0].modelView).x, 0.4f, 1e-6f);
    EXPECT_VEC_NEAR(rec.shapes[21].modelView.point(0, 0, 0), 0, -55.5f, 0, 1e-4f);

    rec.clear_records();
    ASSERT_EQ(DrawGanden(), 1);
    ASSERT_EQ(rec.shapes.size(), 24u); // no central shape
    EXPECT_EQ(rec.shapes[0].kind, ShapeKind::Cylinder);
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.point(0, 0, 3), 3, 0, 0, 1e-5f);
    EXPECT_NEAR(axis_scales(rec.shapes[0].modelView).x, (0.05f * 3 + 0.02f) * 1.3f, 1e-6f);
    // The train starts evenly spread: element e at e * 6.283185 / 24, then one step on.
    EXPECT_FLOAT_EQ(module_elements(18)[6].param, 6 * 6.283185f / 24 + 0.00125f);
}

TEST(OrbitModules, CurveParameterStepsAndRestartsAtExactlyZero) {
    EXPECT_FLOAT_EQ(advance_curve_parameter(0.0f, 0.5f), 0.00125f);
    EXPECT_EQ(advance_curve_parameter(6.283f, 0.5f), 0.0f);
    EXPECT_EQ(advance_curve_parameter(6.28318f, 0.5f), 0.0f);
    // One full round at speed 0.5 takes about 5,027 frames.
    float t = 0.0f;
    int frames = 0;
    do {
        t = advance_curve_parameter(t, 0.5f);
        ++frames;
    } while (t != 0.0f);
    EXPECT_NEAR(frames, 5027, 2);
}

// The rotation part of every shape's matrix, frame drawn with the given view rotations.
static std::vector<Mat4> orientations(int (*draw)(), int module, float xr, float yr, float zr) {
    reset_scenes({module});
    g_fXrot = xr;
    g_fYrot = yr;
    g_fZrot = zr;
    g_fPhase = 40.0f; // rings and spins away from their start
    DrawRecorder rec;
    draw();
    std::vector<Mat4> out;
    for (const RecordedShape& s : rec.shapes)
        out.push_back(s.modelView);
    return out;
}

// Elements that face the viewer show the same side whatever the view rotations: their axes
// on screen do not change, only their positions.
static void expect_facing_viewer(int (*draw)(), int module, int elements) {
    const std::vector<Mat4> plain = orientations(draw, module, 0, 0, 0);
    const std::vector<Mat4> turned = orientations(draw, module, -46.5f, 118.0f, 52.5f);
    ASSERT_EQ(plain.size(), turned.size());
    bool moved = false;
    for (int e = 0; e < elements; ++e) {
        SCOPED_TRACE(testing::Message() << "module " << module << " element " << e);
        for (int axis = 0; axis < 3; ++axis) {
            const Vec3 a = plain[e].vector(axis == 0, axis == 1, axis == 2);
            EXPECT_VEC_NEAR(turned[e].vector(axis == 0, axis == 1, axis == 2), a.x, a.y, a.z,
                            1e-4f);
        }
        const Vec3 p = plain[e].origin(), q = turned[e].origin();
        moved = moved || length({p.x - q.x, p.y - q.y, p.z - q.z}) > 1.0f;
    }
    EXPECT_TRUE(moved);
}

TEST(OrbitModules, ElementsKeepFacingTheViewerWhateverTheViewRotations) {
    expect_facing_viewer(DrawMenri, 11, 19);
    expect_facing_viewer(DrawKagyu, 15, 21);
    expect_facing_viewer(DrawGanden, 18, 24);
    expect_facing_viewer(DrawDorjeDrak, 13, 24);
}
