// The view controls and the steps they move by.
#include "core/settings/view_controls.h"

#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/settings/module_params.h"

#include <climits>
#include <cmath>
#include <cstdio>

constexpr float ROTATE_STEP = 1.5f;
constexpr float SPEED_STEP = 0.125f;

// The depth truncated to a whole number, in whole fifties. A depth beyond the integer range
// counts as the largest one, so that zooming on and on keeps moving by large steps.
static int depth_fifties(float depth) {
    const double whole = std::trunc(static_cast<double>(depth));
    if (std::isnan(whole))
        return 0;
    if (whole >= INT_MAX)
        return INT_MAX / 50;
    if (whole <= INT_MIN)
        return INT_MIN / 50;
    return static_cast<int>(whole) / 50;
}

float zoom_step(float depth) {
    const int n = depth_fifties(depth);
    return n >= 1 ? static_cast<float>(n) : 0.3f;
}

float pan_step(float depth) {
    const int n = depth_fifties(depth);
    return n >= 1 ? static_cast<float>(n) : 0.1f;
}

float limit_speed(float speed) {
    if (speed > SPEED_MAX)
        return SPEED_MAX;
    if (speed < SPEED_MIN)
        return SPEED_MIN;
    return speed;
}

int format_view_params(char* text, size_t size) {
    return std::snprintf(text, size,
                         "g_fDepth %f\ng_fHorz  %f\ng_fVert  %f\ng_fXrot  %f\ng_fYrot  %f\n"
                         "g_fZrot  %f\ng_fSpeed %f\n",
                         g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed);
}

void show_module(int module) {
    store_module_params(g_nModule);
    g_nModule = module;
    load_module_params(g_nModule);
    g_dwCycleStart = g_pfnTickCount();
    fade_reset();
    if (!g_bSaverMode && g_pfnShowModule)
        g_pfnShowModule(g_nModule);
}

// Enter and Backspace.
static void switch_module(bool forward) {
    show_module(forward ? next_enabled_module(g_nModule) : prev_enabled_module(g_nModule));
}

void apply_view_control(ViewControl control) {
    switch (control) {
    case ViewControl::ZoomOut:
        g_fDepth += zoom_step(g_fDepth);
        break;
    case ViewControl::ZoomIn:
        g_fDepth -= zoom_step(g_fDepth);
        break;
    case ViewControl::PanUp:
        g_fVert += pan_step(g_fDepth);
        break;
    case ViewControl::PanDown:
        g_fVert -= pan_step(g_fDepth);
        break;
    case ViewControl::PanLeft:
        g_fHorz -= pan_step(g_fDepth);
        break;
    case ViewControl::PanRight:
        g_fHorz += pan_step(g_fDepth);
        break;
    case ViewControl::TiltBack:
        g_fXrot -= ROTATE_STEP;
        break;
    case ViewControl::TiltForward:
        g_fXrot += ROTATE_STEP;
        break;
    case ViewControl::TurnLeft:
        g_fYrot -= ROTATE_STEP;
        break;
    case ViewControl::TurnRight:
        g_fYrot += ROTATE_STEP;
        break;
    case ViewControl::RollLeft: // the z pair turns the other way round from the x and y pairs
        g_fZrot += ROTATE_STEP;
        break;
    case ViewControl::RollRight:
        g_fZrot -= ROTATE_STEP;
        break;
    case ViewControl::Slower:
        g_fSpeed = limit_speed(g_fSpeed - SPEED_STEP);
        break;
    case ViewControl::Faster:
        g_fSpeed = limit_speed(g_fSpeed + SPEED_STEP);
        break;
    case ViewControl::DefaultView:
        restore_module_defaults(g_nModule);
        break;
    case ViewControl::NextModule:
        switch_module(true);
        break;
    case ViewControl::PreviousModule:
        switch_module(false);
        break;
    }
}
