// The fixed-ring modules: elements at fixed places on their rings, animated only by the
// turning of the rings and the spin of each element.
#include "core/scenes/fixed_ring_modules.h"

#include "core/scenes/element_transforms.h"

// ---- Dorje Drak: three interleaved rings, each tumbling about its own axis ----

constexpr int TUMBLING_ELEMENTS = 24;

namespace {

// Element e belongs to ring e mod 3: its tumble axis, radius and sphere size.
struct TumblingRing {
    float axisX, axisY, axisZ;
    float radius; // radius factor times TRACK_LIMIT, in single precision
    float size;
};

} // namespace

static const TumblingRing RINGS[3] = {
    {0.0f, 0.0f, 1.0f, 0.85f * TRACK_LIMIT, 2.0f},
    {0.0f, 1.0f, 0.0f, 0.5525f * TRACK_LIMIT, 1.3f},
    {1.0f, 0.0f, 0.0f, 0.357f * TRACK_LIMIT, 0.84f},
};

// Spheres every 45 degrees round each ring, the middle ring offset by half a step.
static void init_dorje_drak(ElementState* elements) {
    for (int e = 0; e < TUMBLING_ELEMENTS; ++e)
        elements[e].phase = static_cast<float>((e % 3) % 2) * 3.0f * 180.0f / 24.0f +
                            static_cast<float>(3 * e) * 360.0f / 24.0f;
}

static void draw_dorje_drak(const SceneState& s) {
    const ElementState* elements = s.elements;
    const float p = s.phase;
    const float back = -p;
    const float tumble[3] = {back * 0.45f, p * 0.78f, back * 0.72f};
    for (int e = 0; e < TUMBLING_ELEMENTS; ++e) {
        const TumblingRing& ring = RINGS[e % 3];
        const float t = tumble[e % 3];
        const float a = elements[e].phase;
        g_Draw.push_matrix();
        g_Draw.rotate(t, ring.axisX, ring.axisY, ring.axisZ);
        rotate_z(a);
        g_Draw.translate(ring.radius, 0.0f, 0.0f);
        rotate_z(-a);
        g_Draw.rotate(-t, ring.axisX, ring.axisY, ring.axisZ);
        face_viewer(s);
        rotate_y(element_spin(3.0f, p, e));
        scale_uniform(ring.size);
        rotate_x(-90.0f);
        draw_element_sphere();
        g_Draw.pop_matrix();
    }
}

// ---- Surmang: eight small spheres on the surface of a turning cylinder ----

constexpr int SURFACE_ELEMENTS = 8;
constexpr float SURFACE_SPHERE_SIZE = 0.38f;

// Heights and headings (degrees) of the eight spheres on the cylinder.
static const float SURFACE_PLACES[SURFACE_ELEMENTS][2] = {
    {-0.4f, 16.0f}, {6.75f, 64.0f},  {-2.0f, 93.0f},  {15.25f, 124.0f},
    {0.4f, 180.5f}, {-3.9f, 238.0f}, {2.75f, 296.0f}, {7.5f, 337.0f},
};

static void init_surmang(ElementState* elements) {
    for (int e = 0; e < SURFACE_ELEMENTS; ++e) {
        elements[e].y = SURFACE_PLACES[e][0];
        elements[e].turn = SURFACE_PLACES[e][1];
    }
}

// The spheres sit at distance 10 from the axis and turn with the cylinder of radius 10.
static void turn_with_cylinder(float p) {
    rotate_y(-p / 3.0f);
}

static void draw_surmang(const SceneState& s) {
    const ElementState* elements = s.elements;
    const float p = s.phase;
    for (int e = 0; e < SURFACE_ELEMENTS; ++e) {
        g_Draw.push_matrix();
        turn_with_cylinder(p);
        rotate_y(elements[e].turn);
        g_Draw.translate(10.0f, elements[e].y, 0.0f);
        rotate_y(element_spin(5.0f, p, e));
        scale_uniform(SURFACE_SPHERE_SIZE);
        rotate_x(-90.0f);
        draw_element_sphere();
        g_Draw.pop_matrix();
    }
    g_Draw.push_matrix();
    turn_with_cylinder(p);
    rotate_x(-90.0f);
    scale_uniform(5.0f);
    draw_centred_cylinder();
    g_Draw.pop_matrix();
}

// The elements stay at their places: only the phase moves them, and it is blended.
const SceneModule DORJE_DRAK_SCENE = {13, RotationOrder::XYZ, init_dorje_drak, draw_dorje_drak};
const SceneModule SURMANG_SCENE = {17, RotationOrder::XYZ, init_surmang, draw_surmang};

int DrawDorjeDrak() {
    return draw_scene_frame(DORJE_DRAK_SCENE);
}
int DrawSurmang() {
    return draw_scene_frame(SURMANG_SCENE);
}
