// The curve-orbit modules: each element's curve parameter, its place on the curve, its turn
// towards the viewer and its size, and the slowly turning central cylinder.
#include "core/scenes/orbit_modules.h"

#include "core/scenes/element_transforms.h"

#include <cmath>

namespace {

// A point of a module's curve in single precision.
struct CurvePoint {
    float x, y, z;
};

} // namespace

// The curves are evaluated in double precision on the single-precision parameter, and each
// coordinate is stored as single precision.
static CurvePoint single_point(double x, double y, double z) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

static double cosd(float a) {
    return std::cos(static_cast<double>(a));
}
static double sind(float a) {
    return std::sin(static_cast<double>(a));
}

static CurvePoint menri_curve(float t) {
    return single_point(15.0 * cosd(t) + 2.0 * cosd(3.0f * t), 6.5 * sind(2.0f * t), 0.0);
}

static CurvePoint kagyu_curve(float t) {
    return single_point(6.0 * cosd(t) - 10.0 * cosd(2.0f * t),
                        6.0 * sind(t) + 10.0 * sind(2.0f * t), 2.0 * sind(3.0f * t));
}

static CurvePoint ganden_curve(float t) {
    return single_point(5.0 * cosd(t) - 2.0 * cosd(7.0f * t), 5.0 * sind(t) + 2.0 * sind(7.0f * t),
                        4.0 * sind(8.0f * t));
}

// Distance of a curve point from the z axis, rounded to single precision.
static float curve_radius(CurvePoint p) {
    const double x = p.x, y = p.y;
    return static_cast<float>(std::sqrt(x * x + y * y));
}

float advance_curve_parameter(float t, float speed) {
    const float next = t + speed * 0.05f * 0.05f;
    return next > FULL_TURN ? 0.0f : next;
}

static float menri_size(CurvePoint p) {
    return 0.03f * std::fabs(p.x) + 0.45f;
}

static float kagyu_size(CurvePoint p) {
    return 0.05f * curve_radius(p) + 0.2f;
}

static float ganden_size(CurvePoint p) {
    const float base = 0.05f * curve_radius(p) + 0.02f;
    return base * 1.3f;
}

namespace {

// What sets one member apart: its element count, curve, size rule, the tilt of its curve
// about z, its element shape and its central cylinder (scale 0 for none).
struct OrbitMember {
    int count;
    CurvePoint (*curve)(float t);
    float (*size)(CurvePoint p);
    float tilt;
    bool cylinders; // cylinders rather than spheres
    float centralScale;
    float centralShift;
};

} // namespace

static const OrbitMember MENRI = {19, menri_curve, menri_size, 0.0f, false, 16.0f, -2.25f};
static const OrbitMember KAGYU = {21, kagyu_curve, kagyu_size, 26.5f, false, 18.5f, -3.0f};
static const OrbitMember GANDEN = {24, ganden_curve, ganden_size, 0.0f, true, 0.0f, 0.0f};

// The train starts evenly spread over the curve.
static void init_orbit(ElementState* elements, int count) {
    for (int e = 0; e < count; ++e)
        elements[e].param = static_cast<float>(e) * FULL_TURN / static_cast<float>(count);
}

static void draw_orbit(const SceneState& s, const OrbitMember& m) {
    const ElementState* elements = s.elements;
    const float p = s.phase;
    for (int e = 0; e < m.count; ++e) {
        const CurvePoint at = m.curve(elements[e].param);
        g_Draw.push_matrix();
        if (m.tilt != 0.0f)
            rotate_z(m.tilt);
        g_Draw.translate(at.x, at.y, at.z);
        if (m.tilt != 0.0f)
            rotate_z(-m.tilt);
        face_viewer(s);
        rotate_y(static_cast<float>(140 * e) - 1.5f * p);
        scale_uniform(m.size(at));
        rotate_x(-90.0f);
        if (m.cylinders)
            draw_centred_cylinder();
        else
            draw_element_sphere();
        g_Draw.pop_matrix();
    }
    if (m.centralScale == 0.0f)
        return;
    // A large cylinder of glyphs turning slowly about the vertical; the train shows through
    // it wherever the texture is transparent.
    g_Draw.push_matrix();
    rotate_y(-0.125f * p);
    scale_uniform(m.centralScale);
    rotate_x(-90.0f);
    g_Draw.translate(0.0f, 0.0f, m.centralShift);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
    g_Draw.pop_matrix();
}

static void advance_orbit(ElementState* elements, int count) {
    for (int e = 0; e < count; ++e)
        elements[e].param = advance_curve_parameter(elements[e].param, g_fSpeed);
}

// The parameter only grows; a smaller one is the wrap back to the curve's start.
static bool orbit_wrapped(const ElementState& before, const ElementState& after) {
    return after.param < before.param;
}

static void init_menri(ElementState* e) {
    init_orbit(e, MENRI.count);
}
static void init_kagyu(ElementState* e) {
    init_orbit(e, KAGYU.count);
}
static void init_ganden(ElementState* e) {
    init_orbit(e, GANDEN.count);
}
static void draw_menri(const SceneState& s) {
    draw_orbit(s, MENRI);
}
static void draw_kagyu(const SceneState& s) {
    draw_orbit(s, KAGYU);
}
static void draw_ganden(const SceneState& s) {
    draw_orbit(s, GANDEN);
}
static void advance_menri(ElementState* e) {
    advance_orbit(e, MENRI.count);
}
static void advance_kagyu(ElementState* e) {
    advance_orbit(e, KAGYU.count);
}
static void advance_ganden(ElementState* e) {
    advance_orbit(e, GANDEN.count);
}

const SceneModule MENRI_SCENE = {11,         RotationOrder::XYZ, init_menri,
                                 draw_menri, advance_menri,      orbit_wrapped};
const SceneModule KAGYU_SCENE = {15,         RotationOrder::XYZ, init_kagyu,
                                 draw_kagyu, advance_kagyu,      orbit_wrapped};
const SceneModule GANDEN_SCENE = {18,          RotationOrder::XYZ, init_ganden,
                                  draw_ganden, advance_ganden,     orbit_wrapped};

int DrawMenri() {
    return draw_scene_frame(MENRI_SCENE);
}
int DrawKagyu() {
    return draw_scene_frame(KAGYU_SCENE);
}
int DrawGanden() {
    return draw_scene_frame(GANDEN_SCENE);
}
