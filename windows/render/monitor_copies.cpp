// Planning and drawing the copies of the primary monitor's picture on the other monitors.
#include "windows/render/monitor_copies.h"

#include <GL/gl.h>

#include <algorithm>

MonitorLayout g_MonitorLayout;

MonitorLayout plan_monitor_layout(ScreenRect window, const ScreenRect* monitors, int count,
                                  int primary) {
    // OpenGL counts rows from the window's bottom edge.
    auto to_gl = [&](int x, int y, int w, int h) {
        return GlRect{x - window.x, window.y + window.h - (y + h), w, h};
    };
    MonitorLayout layout = {};
    layout.width = window.w;
    layout.height = window.h;
    const ScreenRect& p = monitors[primary];
    layout.primary = to_gl(p.x, p.y, p.w, p.h);
    if (p.w <= 0 || p.h <= 0)
        return layout;
    for (int i = 0; i < count && layout.copyCount < MAX_MONITOR_COPIES; ++i) {
        const ScreenRect& m = monitors[i];
        if (i == primary || m.w <= 0 || m.h <= 0)
            continue;
        const float zoom = std::min(static_cast<float>(m.w) / static_cast<float>(p.w),
                                    static_cast<float>(m.h) / static_cast<float>(p.h));
        const int w = std::min(m.w, static_cast<int>(static_cast<float>(p.w) * zoom));
        const int h = std::min(m.h, static_cast<int>(static_cast<float>(p.h) * zoom));
        const GlRect spot = to_gl(m.x + (m.w - w) / 2, m.y + (m.h - h) / 2, w, h);
        layout.copies[layout.copyCount++] = {spot.x, spot.y, zoom};
    }
    return layout;
}

void copy_to_other_monitors() {
    const MonitorLayout& layout = g_MonitorLayout;
    if (layout.copyCount == 0)
        return;
    // The copies are plain pixels: no texture, depth or alpha test may touch them on the way.
    glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_PIXEL_MODE_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glViewport(0, 0, layout.width, layout.height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, layout.width, 0.0, layout.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const GlRect& from = layout.primary;
    for (int i = 0; i < layout.copyCount; ++i) {
        const MonitorCopy& copy = layout.copies[i];
        glPixelZoom(copy.zoom, copy.zoom);
        glRasterPos2i(copy.x, copy.y);
        glCopyPixels(from.x, from.y, from.w, from.h, GL_COLOR);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
