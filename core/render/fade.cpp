// Fade steps: brightness as the signed square of the cosine (out) or the square of the sine
// (in) of an angle that grows by FADE_STEP per frame.
#include "core/render/fade.h"

#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"

#include <cmath>

float g_fBrightness = 1.0f;
static float g_fColourBrightness = 1.0f; // of the current colour, whoever set it

static void set_brightness(float b) {
    g_fBrightness = g_fColourBrightness = b;
    g_Draw.color(b, b, b, 1.0f);
}

void show_brightness(float b) {
    if (b == g_fColourBrightness)
        return;
    g_fColourBrightness = b;
    g_Draw.color(b, b, b, 1.0f);
}

// The sum is formed in double precision and stored as single.
static float advance_fade_angle() {
    g_fFadeAngle = static_cast<float>(static_cast<double>(g_fFadeAngle) + FADE_STEP);
    return g_fFadeAngle;
}

void fade_reset() {
    g_fFadeAngle = 0.0f;
    set_brightness(1.0f);
    g_nFadeState = 0;
}

float fade_out_step() {
    const float c = static_cast<float>(std::cos(static_cast<double>(advance_fade_angle())));
    float b = c * std::fabs(c);
    if (b <= 0.0f) {
        b = 0.0f;
        g_fFadeAngle = 0.0f;
    }
    set_brightness(b);
    return b;
}

float fade_in_step() {
    const float s = static_cast<float>(std::sin(static_cast<double>(advance_fade_angle())));
    float b = s * s;
    if (b >= 1.0f) {
        b = 1.0f;
        g_fFadeAngle = 0.0f;
    }
    set_brightness(b);
    return b;
}
