// The X11 window and its GLX context, presenting frames and reading the window's events.
#include "linux/x11_window.h"

#include "core/platform.h"
#include "core/render/gl_scene.h"
#include "core/scenes/draw_ops.h"

#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

constexpr int OWN_WINDOW_WIDTH = 800;
constexpr int OWN_WINDOW_HEIGHT = 600;

static Display* g_pDisplay;
static Window g_Window;   // where the frames are drawn
static bool g_bOwnWindow; // made here, so destroyed here
static GLXContext g_Context;
static bool g_bDoubleBuffer; // else frames are drawn into the front buffer and flushed
static Atom g_DeleteWindow;  // the window manager's close request
static int g_nWidth, g_nHeight;
static bool g_bXError;

// A window id that names no window must end the program with a message, not with Xlib's.
static int note_x_error(Display*, XErrorEvent*) {
    g_bXError = true;
    return 0;
}

void (*g_pfnDisplayLost)(const char* display);

static int g_nDisplaySocket = -1; // the open display's connection, for note_crash
static char g_sDisplayGone[200];  // the line that tells of its loss

// The display's connection was closed or reset by the server's end. Safe in a signal handler.
static bool connection_broken() {
    if (g_nDisplaySocket < 0)
        return false;
    char byte;
    const ssize_t got = recv(g_nDisplaySocket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return got == 0 || (got < 0 && (errno == ECONNRESET || errno == EPIPE || errno == ENOTCONN));
}

// Mesa's GLX set-up reads some of the X server's answers without checking that they came: when
// the display goes away in the middle of it, it follows an answer that is not there. A crash
// while the connection is broken is that loss, told in one line and ended with code 1 as any
// loss of the display; any other crash stays a crash (the handler is reset on entry, so the
// fault happens again on return). Nothing but the line can be done safely here.
static void note_crash(int) {
    if (connection_broken()) {
        [[maybe_unused]] const ssize_t told =
            write(STDERR_FILENO, g_sDisplayGone, std::strlen(g_sDisplayGone));
        _exit(1);
    }
}

static void watch_connection(Display* display) {
    g_nDisplaySocket = ConnectionNumber(display);
    std::snprintf(g_sDisplayGone, sizeof g_sDisplayGone, "velta2: the display %s went away\n",
                  DisplayString(display));
    struct sigaction action = {};
    action.sa_handler = note_crash;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, nullptr);
}

static int note_display_lost(Display* display) {
    g_pDisplay = nullptr; // a broken connection must not be closed or asked anything
    g_nDisplaySocket = -1;
    if (g_pfnDisplayLost)
        g_pfnDisplayLost(DisplayString(display));
    return 0; // Xlib exits after this
}

static bool fail(const char* text) {
    // A step that failed because the display went away is told as that loss.
    if (g_pDisplay && connection_broken())
        note_display_lost(g_pDisplay);
    std::fprintf(stderr, "velta2: %s\n", text);
    close_gl_window();
    return false;
}

// Mesa's software GLX asks the X server for the window's size before each frame and takes the
// width and height without looking at whether the answer came. When the window velta2 was given
// is destroyed between two frames (XScreenSaver ending its hack), the request fails and Mesa
// reads whatever its stack held: a frame of some billion pixels, gigabytes cleared for seconds
// before the window's end is heard. This program's XGetGeometry, exported to the libraries it
// loads (linux/CMakeLists.txt), answers a failed request as a window of one pixel, which the
// frame is drawn into harmlessly until the DestroyNotify ends the run.
extern "C" Status XGetGeometry(Display* display, Drawable drawable, Window* root, int* x, int* y,
                               unsigned int* width, unsigned int* height, unsigned int* border,
                               unsigned int* depth) {
    using GetGeometry = Status (*)(Display*, Drawable, Window*, int*, int*, unsigned int*,
                                   unsigned int*, unsigned int*, unsigned int*);
    static const auto xlib = reinterpret_cast<GetGeometry>(dlsym(RTLD_NEXT, "XGetGeometry"));
    const Status answered = xlib(display, drawable, root, x, y, width, height, border, depth);
    if (!answered) {
        *x = *y = 0;
        *width = *height = 1;
        *border = 0;
    }
    return answered;
}

// The visual of a window someone else made: XScreenSaver has already chosen a GL visual for it.
static XVisualInfo* visual_of(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(g_pDisplay, window, &attributes) || g_bXError)
        return nullptr;
    g_nWidth = attributes.width;
    g_nHeight = attributes.height;
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    return XGetVisualInfo(g_pDisplay, VisualIDMask, &wanted, &count);
}

static Window make_own_window(XVisualInfo* visual) {
    const Window root = RootWindow(g_pDisplay, visual->screen);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(g_pDisplay, root, visual->visual, AllocNone);
    attributes.background_pixel = BlackPixel(g_pDisplay, visual->screen);
    attributes.border_pixel = 0;
    g_nWidth = OWN_WINDOW_WIDTH;
    g_nHeight = OWN_WINDOW_HEIGHT;
    Window window =
        XCreateWindow(g_pDisplay, root, 0, 0, g_nWidth, g_nHeight, 0, visual->depth, InputOutput,
                      visual->visual, CWColormap | CWBackPixel | CWBorderPixel, &attributes);
    XStoreName(g_pDisplay, window, "Velta II");
    XClassHint hint = {const_cast<char*>("velta2"), const_cast<char*>("Velta2")};
    XSetClassHint(g_pDisplay, window, &hint);
    g_DeleteWindow = XInternAtom(g_pDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(g_pDisplay, window, &g_DeleteWindow, 1);
    XSelectInput(g_pDisplay, window, KeyPressMask | StructureNotifyMask);
    XMapRaised(g_pDisplay, window);
    return window;
}

bool open_gl_window(const char* display, WindowKind kind, Window given) {
    XSetIOErrorHandler(note_display_lost); // also for the display going away while it opens
    g_pDisplay = XOpenDisplay(display);
    if (!g_pDisplay)
        return fail("cannot open the display");
    XSetErrorHandler(note_x_error);
    watch_connection(g_pDisplay);
    XVisualInfo* visual = nullptr;
    if (kind == WindowKind::Own) {
        int wanted[] = {
            GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
            8,        GLX_DEPTH_SIZE,   16,           None};
        visual = glXChooseVisual(g_pDisplay, DefaultScreen(g_pDisplay), wanted);
        if (!visual)
            return fail("no double-buffered OpenGL visual on this display");
        g_Window = make_own_window(visual);
        g_bOwnWindow = true;
    } else {
        g_Window = kind == WindowKind::Root ? DefaultRootWindow(g_pDisplay) : given;
        visual = visual_of(g_Window);
        if (!visual)
            return fail("the window to draw into does not exist");
        // Its size changes and its end are all this program needs to hear of.
        XSelectInput(g_pDisplay, g_Window, StructureNotifyMask);
    }
    int doubleBuffer = 0;
    glXGetConfig(g_pDisplay, visual, GLX_DOUBLEBUFFER, &doubleBuffer);
    g_bDoubleBuffer = doubleBuffer != 0;
    g_Context = glXCreateContext(g_pDisplay, visual, nullptr, True);
    XFree(visual);
    if (!g_Context)
        return fail("cannot create an OpenGL context for the window");
    if (!glXMakeCurrent(g_pDisplay, g_Window, g_Context))
        return fail("cannot use an OpenGL context in the window");
    if (!g_bDoubleBuffer)
        glDrawBuffer(GL_FRONT);
    XSync(g_pDisplay, False);
    if (g_bXError)
        return fail("the window to draw into cannot take OpenGL");
    return true;
}

void close_gl_window() {
    if (!g_pDisplay)
        return;
    if (g_Context) {
        release_gl_state(); // the scenes' quadric goes with the context
        glXMakeCurrent(g_pDisplay, None, nullptr);
        glXDestroyContext(g_pDisplay, g_Context);
        g_Context = nullptr;
    }
    if (g_bOwnWindow)
        XDestroyWindow(g_pDisplay, g_Window);
    g_bOwnWindow = false;
    g_nDisplaySocket = -1;
    XCloseDisplay(g_pDisplay);
    g_pDisplay = nullptr;
}

void gl_window_size(int* width, int* height) {
    *width = g_nWidth;
    *height = g_nHeight;
}

double display_refresh_rate() {
    int event, error;
    if (!XRRQueryExtension(g_pDisplay, &event, &error))
        return 0.0;
    XRRScreenResources* screen = XRRGetScreenResourcesCurrent(g_pDisplay, g_Window);
    if (!screen)
        return 0.0;
    double hz = 0.0;
    for (int c = 0; c < screen->ncrtc && hz == 0.0; ++c) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(g_pDisplay, screen, screen->crtcs[c]);
        if (!crtc)
            continue;
        for (int m = 0; m < screen->nmode && crtc->mode != None; ++m) {
            const XRRModeInfo& mode = screen->modes[m];
            if (mode.id == crtc->mode && mode.hTotal && mode.vTotal)
                hz = static_cast<double>(mode.dotClock) / (mode.hTotal * mode.vTotal);
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(screen);
    return hz;
}

bool set_swap_interval(int n) {
    const char* offered = glXQueryExtensionsString(g_pDisplay, DefaultScreen(g_pDisplay));
    auto has = [offered](const char* name) {
        for (const char* p = offered; p && (p = std::strstr(p, name)); p += std::strlen(name)) {
            const char end = p[std::strlen(name)];
            if ((p == offered || p[-1] == ' ') && (end == ' ' || end == '\0'))
                return true;
        }
        return false;
    };
    const auto* name = reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT");
    if (has("GLX_EXT_swap_control")) {
        using SwapEXT = void (*)(Display*, GLXDrawable, int);
        const auto swap = reinterpret_cast<SwapEXT>(glXGetProcAddress(name));
        if (swap) {
            swap(g_pDisplay, g_Window, n);
            return true;
        }
    }
    if (has("GLX_MESA_swap_control")) {
        using SwapMESA = int (*)(unsigned);
        const auto swap = reinterpret_cast<SwapMESA>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        return swap && swap(static_cast<unsigned>(n)) == 0;
    }
    return false;
}

void present_frame() {
    if (g_bDoubleBuffer)
        glXSwapBuffers(g_pDisplay, g_Window);
    else
        glFlush();
}

bool next_window_event(WindowEvent* event) {
    while (XPending(g_pDisplay)) {
        XEvent e;
        XNextEvent(g_pDisplay, &e);
        switch (e.type) {
        case ConfigureNotify:
            if (e.xconfigure.window != g_Window ||
                (e.xconfigure.width == g_nWidth && e.xconfigure.height == g_nHeight))
                break;
            g_nWidth = e.xconfigure.width;
            g_nHeight = e.xconfigure.height;
            *event = {WindowEvent::Resized, g_nWidth, g_nHeight, NoSymbol};
            return true;
        case KeyPress:
            *event = {WindowEvent::Key, 0, 0, XLookupKeysym(&e.xkey, 0)};
            return true;
        case ClientMessage:
            if (static_cast<Atom>(e.xclient.data.l[0]) != g_DeleteWindow)
                break;
            *event = {WindowEvent::Closed, 0, 0, NoSymbol};
            return true;
        case DestroyNotify:
            if (e.xdestroywindow.window != g_Window)
                break;
            g_bOwnWindow = false; // gone already
            *event = {WindowEvent::Closed, 0, 0, NoSymbol};
            return true;
        }
    }
    return false;
}
