// OpenGL context creation and release, projection and the fixed render state.
#include "render/gl_context.h"

#include "host/alert.h"
#include "render/pixel_format.h"
#include "resources/resource_ids.h"
#include "scenes/texture_loader.h"

HDC g_hDC;
HGLRC g_hRC;
GLUquadricObj* g_pQuadric;
const float g_fFieldOfView = 50.0f;

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
    resize_gl_scene(client.right - client.left, client.bottom - client.top);
    if (!init_gl_state())
        return fail_creation("Initialization Failed.");
    return true;
}

void release_gl_context() {
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

void resize_gl_scene(int width, int height) {
    g_ViewSize = {width, height};
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(g_fFieldOfView, GLdouble(width) / GLdouble(height), 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void follow_client_size() {
    RECT client;
    if (!g_hRC || !GetClientRect(g_hGLWnd, &client))
        return;
    if (client.right != g_ViewSize.cx || client.bottom != g_ViewSize.cy)
        resize_gl_scene(client.right, client.bottom);
}

bool init_gl_state() {
    if (!LoadTGA(IDR_GLYPH_IMAGE, GLYPH_TEXTURE))
        return false;
    glBindTexture(GL_TEXTURE_2D, g_Textures[GLYPH_TEXTURE].texId);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // Fully transparent texels are discarded, so only the glyphs show on each shape.
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    g_pQuadric = gluNewQuadric();
    gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
    gluQuadricTexture(g_pQuadric, GL_TRUE);
    return true;
}
