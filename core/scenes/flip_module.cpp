// Gelug's flip control, its ring of cylinders and the swing of a flipping group.
#include "core/scenes/flip_module.h"

#include "core/scenes/element_transforms.h"
#include "core/scenes/random_generator.h"

#include <ctime>

constexpr int FLIP_RING_ELEMENTS = 12;
constexpr int FLIP_GROUPS = 3;

FlipControl g_Flip = {false, 0.0f, 0.0f, 0, {0, 0, 0}};

// A group other than the last: the draw repeats until it differs, so no group flips twice in
// a row.
static void choose_group(FlipControl& flip) {
    int g;
    do {
        g = FLIP_GROUPS * draw_random() / (RANDOM_MAX + 1);
    } while (g == flip.group);
    flip.group = g;
    for (int i = 0; i < 3; ++i)
        flip.members[i] = g + FLIP_GROUPS * (i + 1);
}

void advance_flip(FlipControl& flip, float speed) {
    if (flip.turning) {
        if (flip.angle <= 176.0f)
            flip.angle += speed * 0.5f;
        else
            flip.angle += (181.0f - flip.angle) * (speed * 0.1f);
        if (flip.angle >= 180.0f) {
            flip.angle = 0.0f;
            flip.turning = false;
        }
        return;
    }
    flip.timer += speed * 5.0f;
    if (flip.timer > 100.0f) {
        flip.timer = 0.0f;
        flip.turning = true;
        choose_group(flip);
    }
}

bool is_flipping(const FlipControl& flip, int e) {
    if (!flip.turning)
        return false;
    return e == flip.group || e == flip.members[0] || e == flip.members[1] || e == flip.members[2];
}

// Reseeding happens once, on the module's first frame after program start; it changes what
// every later user of the generator draws as well.
static void init_gelug(ElementState*) {
    seed_random(static_cast<uint32_t>(std::time(nullptr)));
    g_Flip.group = 0;
}

// The flip control runs before the frame's state is taken: the frame shows the flip as it
// stands after this step's advance.
static void begin_gelug() {
    advance_flip(g_Flip, g_fSpeed);
}

static void draw_gelug(const SceneState& s) {
    const FlipControl& flip = s.flip;
    const float p = s.phase;
    for (int e = 0; e < FLIP_RING_ELEMENTS; ++e) {
        g_Draw.push_matrix();
        rotate_y(static_cast<float>(360 * e) / 12.0f - 0.25f * p);
        if (is_flipping(flip, e)) {
            // Over the top of the ring: through the point 8 above its centre at 90 degrees to
            // the place opposite, turning half round about the vertical on the way.
            const float a = flip.angle;
            rotate_z(a);
            g_Draw.translate(8.0f, 0.0f, 0.0f);
            rotate_z(-a);
            rotate_y(-a);
        } else {
            g_Draw.translate(8.0f, 0.0f, 0.0f);
        }
        rotate_y(-p);
        scale_uniform(0.6f);
        rotate_x(-90.0f);
        draw_centred_cylinder();
        g_Draw.pop_matrix();
    }
}

// A flip that goes on, or has just begun from rest at angle 0, is blended; one that ended lands
// its group on the far side at once, where the after state has it.
static void blend_gelug(const SceneState& before, const SceneState& after, float f,
                        SceneState& out) {
    if (!after.flip.turning)
        return;
    if (!before.flip.turning)
        out.flip.angle = blend_value(0.0f, after.flip.angle, f);
    else if (before.flip.group == after.flip.group && before.flip.angle <= after.flip.angle)
        out.flip.angle = blend_value(before.flip.angle, after.flip.angle, f);
}

static SceneModule gelug_scene() {
    SceneModule m = {20, RotationOrder::XYZ, init_gelug, draw_gelug};
    m.begin_step = begin_gelug;
    m.blend = blend_gelug;
    return m;
}
const SceneModule GELUG_SCENE = gelug_scene();

int DrawGelug() {
    return draw_scene_frame(GELUG_SCENE);
}
