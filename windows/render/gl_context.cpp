// The WGL context of a window: pixel format, creation and release, and presenting a frame.
#include "windows/render/gl_context.h"

#include "core/platform.h"
#include "core/scenes/draw_ops.h"
#include "windows/render/monitor_copies.h"
#include "windows/render/pixel_format.h"

HDC g_hDC;
HGLRC g_hRC;

static HWND g_hGLWnd;   // the window g_hDC belongs to
static SIZE g_ViewSize; // the client size the viewport and projection were last set for
static PIXELFORMATDESCRIPTOR g_Pfd;
static bool g_bPfdFilled;

static bool fail_creation(const char* text) {
    release_gl_context();
    alert(text, "ERROR", ALERT_EXCLAMATION);
    return false;
}

bool create_gl_context(HWND hwnd, int colorBits) {
    g_hGLWnd = hwnd;
    g_hDC = GetDC(hwnd);
    if (!g_hDC)
        return fail_creation("Can't Create A GL Device Context.");
    if (!g_bPfdFilled) {
        g_Pfd = make_pixel_format_request(colorBits, 32);
        g_bPfdFilled = true;
    }
    const int format = choose_pixel_format_index(g_hDC, colorBits);
    if (format == 0)
        return fail_creation("Can't Find A Suitable PixelFormat.");
    if (!SetPixelFormat(g_hDC, format, &g_Pfd))
        return fail_creation("Can't Set The PixelFormat.");
    g_hRC = wglCreateContext(g_hDC);
    if (!g_hRC)
        return fail_creation("Can't Create A GL Rendering Context.");
    if (!wglMakeCurrent(g_hDC, g_hRC))
        return fail_creation("Can't Activate The GL Rendering Context.");
    RECT client;
    GetClientRect(hwnd, &client);
    g_ViewSize = {client.right - client.left, client.bottom - client.top};
    resize_gl_scene(g_ViewSize.cx, g_ViewSize.cy);
    if (!init_gl_state())
        return fail_creation("Initialization Failed.");
    return true;
}

void release_gl_context() {
    release_gl_state(); // one quadric per context made, freed with it
    if (g_hRC) {
        if (!wglMakeCurrent(nullptr, nullptr))
            alert("Release Of DC And RC Failed.", "SHUTDOWN ERROR", ALERT_INFORMATION);
        if (!wglDeleteContext(g_hRC))
            alert("Release Rendering Context Failed.", "SHUTDOWN ERROR", ALERT_INFORMATION);
        g_hRC = nullptr;
    }
    // The device context is forgotten once released, so a second release does nothing.
    if (g_hDC) {
        if (!ReleaseDC(g_hGLWnd, g_hDC))
            alert("Release Device Context Failed.", "SHUTDOWN ERROR", ALERT_INFORMATION);
        g_hDC = nullptr;
    }
}

// The picture on the primary monitor is copied onto the others before the frame is shown.
void present_frame() {
    copy_to_other_monitors();
    SwapBuffers(g_hDC);
}

void follow_client_size() {
    RECT client;
    if (!g_hRC || !GetClientRect(g_hGLWnd, &client))
        return;
    if (client.right != g_ViewSize.cx || client.bottom != g_ViewSize.cy) {
        resize_gl_scene(client.right, client.bottom);
        g_ViewSize = {client.right, client.bottom};
    }
}
