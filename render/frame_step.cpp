// The frame step: frames at least 31 ms apart, the module on screen drawn and presented.
#include "render/frame_step.h"

#include "render/gl_context.h"
#include "render/render_state.h"
#include "scenes/scene_frame.h"

void frame_step(HWND) {
    const DWORD now = GetTickCount();
    DWORD elapsed = now - g_dwLastFrame;
    if (g_dwLastFrame - now < elapsed)
        elapsed = g_dwLastFrame - now;
    if (elapsed < FRAME_INTERVAL_MS) {
        Sleep(FRAME_INTERVAL_MS - elapsed);
        if (g_bQuit)
            return;
    }
    g_dwLastFrame = GetTickCount();
    if (draw_module(g_nModule) && !g_bQuit)
        SwapBuffers(g_hDC);
}

void fade_reset() {
    g_fFadeAngle = 0.0f;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    g_nFadeState = 0;
}
