// The Wayland connection, its outputs and surfaces, and the shared EGL context.
#include "wayland/display.h"

#include "core/platform.h"
#include "core/render/gl_scene.h"
#include "wayland/seat.h"

#include "viewporter-client-protocol.h"
// The layer-shell header names a parameter "namespace", a C++ keyword.
#define namespace name_space
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-shell-client-protocol.h"

#include <EGL/egl.h>
#include <poll.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;

struct Output {
    wl_output* output;
    uint32_t name; // the registry's name, which its removal gives
    int scale = 1;
    Surface* surface = nullptr;
};

struct Surface {
    Output* output = nullptr; // null for the window
    wl_surface* surface = nullptr;
    wp_viewport* viewport = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wl_egl_window* eglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    wl_callback* frame = nullptr; // the compositor has not yet asked for the next frame
    int width = 0, height = 0;    // in the compositor's logical units; 0 until configured
    int scale = 1;
    bool fullScreen = false;
};

static wl_display* g_pDisplay;
static std::string g_sName;
static WindowKind g_Kind;
static wl_registry* g_pRegistry;
static wl_compositor* g_pCompositor;
static wp_viewporter* g_pViewporter;
static zwlr_layer_shell_v1* g_pLayerShell;
static xdg_wm_base* g_pWmBase;
static std::vector<Output*> g_Outputs;
static std::vector<Surface*> g_Surfaces;
static bool g_bStarted;     // the first round trip is over: outputs get surfaces as they come
static bool g_bClosed;      // the window was closed, or the last surface went
static Surface* g_pCurrent; // the surface the context is current on

static EGLDisplay g_EglDisplay = EGL_NO_DISPLAY;
static EGLConfig g_EglConfig;
static EGLContext g_EglContext = EGL_NO_CONTEXT;

const char* display_name() {
    return g_sName.c_str();
}

static bool fail(const char* text) {
    std::fprintf(stderr, "velta2-wayland: %s\n", text);
    close_display();
    return false;
}

// ---- surfaces ----

// The buffer follows the surface's size in pixels: its logical size times its output's scale,
// shown at the logical size by the viewport (or the buffer scale where there is no viewporter).
static void size_surface(Surface* s, int width, int height) {
    s->width = width > 0 ? width : WINDOW_WIDTH;
    s->height = height > 0 ? height : WINDOW_HEIGHT;
    s->scale = s->output ? s->output->scale : 1;
    const int w = s->width * s->scale, h = s->height * s->scale;
    if (s->viewport)
        wp_viewport_set_destination(s->viewport, s->width, s->height);
    else
        wl_surface_set_buffer_scale(s->surface, s->scale);
    if (s->eglWindow) {
        wl_egl_window_resize(s->eglWindow, w, h, 0, 0);
        return;
    }
    s->eglWindow = wl_egl_window_create(s->surface, w, h);
    s->eglSurface = eglCreateWindowSurface(
        g_EglDisplay, g_EglConfig, reinterpret_cast<EGLNativeWindowType>(s->eglWindow), nullptr);
}

static void destroy_surface(Surface* s) {
    if (g_pCurrent == s) {
        eglMakeCurrent(g_EglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, g_EglContext);
        g_pCurrent = nullptr;
    }
    if (s->eglSurface != EGL_NO_SURFACE)
        eglDestroySurface(g_EglDisplay, s->eglSurface);
    if (s->eglWindow)
        wl_egl_window_destroy(s->eglWindow);
    if (s->frame)
        wl_callback_destroy(s->frame);
    if (s->layer)
        zwlr_layer_surface_v1_destroy(s->layer);
    if (s->toplevel)
        xdg_toplevel_destroy(s->toplevel);
    if (s->xdgSurface)
        xdg_surface_destroy(s->xdgSurface);
    if (s->viewport)
        wp_viewport_destroy(s->viewport);
    wl_surface_destroy(s->surface);
    if (s->output)
        s->output->surface = nullptr;
    for (size_t i = 0; i < g_Surfaces.size(); ++i)
        if (g_Surfaces[i] == s)
            g_Surfaces.erase(g_Surfaces.begin() + i);
    delete s;
}

static void layer_configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                            uint32_t width, uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    size_surface(static_cast<Surface*>(data), int(width), int(height));
}

// The output went, or the compositor took the surface away (as it may for an output it
// disables): the other outputs go on, and this one is covered again when the compositor tells
// of it again (output_done).
static void layer_closed(void* data, zwlr_layer_surface_v1*) {
    destroy_surface(static_cast<Surface*>(data));
}

static const zwlr_layer_surface_v1_listener LAYER = {layer_configure, layer_closed};

static void xdg_configure(void* data, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    Surface* s = static_cast<Surface*>(data);
    size_surface(s, s->width, s->height);
}

static const xdg_surface_listener XDG_SURFACE = {xdg_configure};

static void toplevel_configure(void* data, xdg_toplevel*, int32_t width, int32_t height,
                               wl_array* states) {
    Surface* s = static_cast<Surface*>(data);
    s->width = width; // 0: ours to choose, taken in xdg_configure
    s->height = height;
    s->fullScreen = false;
    const uint32_t* state = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof *state; ++i)
        s->fullScreen |= state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN;
}

static void toplevel_close(void*, xdg_toplevel*) {
    g_bClosed = true;
}

// The events of later versions than the one bound never come.
static const xdg_toplevel_listener TOPLEVEL = {toplevel_configure, toplevel_close, nullptr,
                                               nullptr};

static Surface* new_surface(Output* output) {
    Surface* s = new Surface;
    s->output = output;
    s->surface = wl_compositor_create_surface(g_pCompositor);
    if (g_pViewporter)
        s->viewport = wp_viewporter_get_viewport(g_pViewporter, s->surface);
    g_Surfaces.push_back(s);
    return s;
}

// Over everything on the output for the saver, with the keyboard to itself; under everything
// for the wallpaper, which lets every click and key through to what lies above it.
static void cover_output(Output* output) {
    Surface* s = new_surface(output);
    output->surface = s;
    const bool saver = g_Kind == WindowKind::Saver;
    s->layer = zwlr_layer_shell_v1_get_layer_surface(g_pLayerShell, s->surface, output->output,
                                                     saver ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY
                                                           : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
                                                     saver ? "velta2-saver" : "velta2-wallpaper");
    zwlr_layer_surface_v1_set_anchor(
        s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1); // over panels too, not beside them
    zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, saver ? 1 : 0);
    if (!saver) {
        wl_region* none = wl_compositor_create_region(g_pCompositor);
        wl_surface_set_input_region(s->surface, none);
        wl_region_destroy(none);
    }
    zwlr_layer_surface_v1_add_listener(s->layer, &LAYER, s);
    wl_surface_commit(s->surface);
}

static void open_window() {
    Surface* s = new_surface(nullptr);
    s->xdgSurface = xdg_wm_base_get_xdg_surface(g_pWmBase, s->surface);
    xdg_surface_add_listener(s->xdgSurface, &XDG_SURFACE, s);
    s->toplevel = xdg_surface_get_toplevel(s->xdgSurface);
    xdg_toplevel_add_listener(s->toplevel, &TOPLEVEL, s);
    xdg_toplevel_set_title(s->toplevel, "Velta II");
    xdg_toplevel_set_app_id(s->toplevel, "velta2");
    wl_surface_commit(s->surface);
}

void toggle_full_screen() {
    for (Surface* s : g_Surfaces) {
        if (!s->toplevel)
            continue;
        if (s->fullScreen)
            xdg_toplevel_unset_fullscreen(s->toplevel);
        else
            xdg_toplevel_set_fullscreen(s->toplevel, nullptr);
    }
}

// ---- outputs and globals ----

static void output_geometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t,
                            const char*, const char*, int32_t) {}
static void output_mode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
// Sent after an output's state changed, as when a disabled output comes back: one whose
// surface the compositor closed gets a new one.
static void output_done(void* data, wl_output*) {
    Output* output = static_cast<Output*>(data);
    if (g_bStarted && g_Kind != WindowKind::Own && !output->surface)
        cover_output(output);
}
static void output_scale(void* data, wl_output*, int32_t factor) {
    static_cast<Output*>(data)->scale = factor > 0 ? factor : 1;
}

static const wl_output_listener OUTPUT = {output_geometry, output_mode, output_done,
                                          output_scale,    nullptr,     nullptr};

// From version 3 on, the compositor keeps an output's object for the client until the client
// releases it, even after the output is unplugged; before that, forgetting the proxy is all there
// is to do.
static void release_output(Output* output) {
    if (wl_output_get_version(output->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output->output);
    else
        wl_output_destroy(output->output);
    delete output;
}

static void global(void*, wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    auto bind = [&](const wl_interface* wanted, uint32_t most) {
        return wl_registry_bind(registry, name, wanted, version < most ? version : most);
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        g_pCompositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0) {
        g_pViewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        g_pLayerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        g_pWmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        if (g_Kind != WindowKind::Wallpaper)
            bind_seat(registry, name, version, g_Kind == WindowKind::Saver);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        // Version 3 adds only the release; version 4's name and description have no handler.
        Output* output = new Output{static_cast<wl_output*>(bind(&wl_output_interface, 3)), name};
        wl_output_add_listener(output->output, &OUTPUT, output);
        g_Outputs.push_back(output);
        // An output plugged in while the program runs gets a surface of its own at once.
        if (g_bStarted && g_Kind != WindowKind::Own)
            cover_output(output);
    }
}

// An output unplugged loses its surface; the others are not touched.
static void global_remove(void*, wl_registry*, uint32_t name) {
    for (size_t i = 0; i < g_Outputs.size(); ++i) {
        Output* output = g_Outputs[i];
        if (output->name != name)
            continue;
        g_Outputs.erase(g_Outputs.begin() + i);
        if (output->surface)
            destroy_surface(output->surface);
        release_output(output);
        return;
    }
}

static const wl_registry_listener REGISTRY = {global, global_remove};

static void ping(void*, xdg_wm_base* base, uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}

static const xdg_wm_base_listener WM_BASE = {ping};

// ---- EGL ----

static bool open_egl() {
    g_EglDisplay = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(g_pDisplay));
    if (g_EglDisplay == EGL_NO_DISPLAY || !eglInitialize(g_EglDisplay, nullptr, nullptr))
        return fail("no EGL for this Wayland display");
    if (!eglBindAPI(EGL_OPENGL_API))
        return fail("EGL offers no OpenGL here");
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_WINDOW_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_GREEN_SIZE,
                             8,
                             EGL_BLUE_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             16,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(g_EglDisplay, wanted, &g_EglConfig, 1, &count) || count < 1)
        return fail("EGL has no double-buffered OpenGL configuration with depth");
    g_EglContext = eglCreateContext(g_EglDisplay, g_EglConfig, EGL_NO_CONTEXT, nullptr);
    if (g_EglContext == EGL_NO_CONTEXT)
        return fail("cannot create an OpenGL context");
    // The scenes' texture and state are made once, in a context with no surface yet.
    if (!eglMakeCurrent(g_EglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, g_EglContext))
        return fail("cannot use the OpenGL context without a surface");
    return true;
}

bool open_display(const char* display, WindowKind kind) {
    g_Kind = kind;
    const char* name = display ? display : std::getenv("WAYLAND_DISPLAY");
    g_sName = name ? name : "wayland-0";
    g_pDisplay = wl_display_connect(display);
    if (!g_pDisplay) {
        std::fprintf(stderr, "velta2-wayland: cannot connect to the Wayland display %s\n",
                     g_sName.c_str());
        return false;
    }
    g_pRegistry = wl_display_get_registry(g_pDisplay);
    wl_registry_add_listener(g_pRegistry, &REGISTRY, nullptr);
    if (wl_display_roundtrip(g_pDisplay) < 0 || wl_display_roundtrip(g_pDisplay) < 0)
        return fail("the Wayland display went away while starting");
    if (!g_pCompositor)
        return fail("the Wayland display offers no compositor interface");
    if (kind == WindowKind::Own && !g_pWmBase)
        return fail("the compositor offers no xdg-shell for a window");
    if (kind != WindowKind::Own && !g_pLayerShell)
        return fail(kind == WindowKind::Saver
                        ? "the compositor offers no layer-shell to cover the screen; "
                          "run velta2-wayland -window for a window instead"
                        : "the compositor offers no layer-shell for a wallpaper; "
                          "run velta2-wayland -window for a window instead");
    if (g_pWmBase)
        xdg_wm_base_add_listener(g_pWmBase, &WM_BASE, nullptr);
    if (!open_egl())
        return false;
    if (!init_gl_state())
        return fail("cannot set up the scenes' OpenGL state");
    g_bStarted = true;
    if (kind == WindowKind::Own)
        open_window();
    else
        for (Output* output : g_Outputs)
            cover_output(output);
    return true;
}

void close_display() {
    if (!g_pDisplay)
        return;
    while (!g_Surfaces.empty())
        destroy_surface(g_Surfaces.back());
    if (g_EglContext != EGL_NO_CONTEXT) {
        release_gl_state(); // the scenes' quadric goes with the context
        eglMakeCurrent(g_EglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(g_EglDisplay, g_EglContext);
        g_EglContext = EGL_NO_CONTEXT;
    }
    if (g_EglDisplay != EGL_NO_DISPLAY)
        eglTerminate(g_EglDisplay);
    g_EglDisplay = EGL_NO_DISPLAY;
    release_seat();
    for (Output* output : g_Outputs)
        release_output(output);
    g_Outputs.clear();
    if (g_pLayerShell)
        zwlr_layer_shell_v1_destroy(g_pLayerShell);
    if (g_pWmBase)
        xdg_wm_base_destroy(g_pWmBase);
    if (g_pViewporter)
        wp_viewporter_destroy(g_pViewporter);
    if (g_pCompositor)
        wl_compositor_destroy(g_pCompositor);
    wl_registry_destroy(g_pRegistry);
    g_pLayerShell = nullptr;
    g_pWmBase = nullptr;
    g_pViewporter = nullptr;
    g_pCompositor = nullptr;
    wl_display_disconnect(g_pDisplay);
    g_pDisplay = nullptr;
}

// ---- the frame loop's side ----

bool wait_display(int timeoutMs) {
    while (wl_display_prepare_read(g_pDisplay) != 0)
        if (wl_display_dispatch_pending(g_pDisplay) < 0)
            return false;
    if (wl_display_flush(g_pDisplay) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(g_pDisplay);
        return false;
    }
    pollfd fd = {wl_display_get_fd(g_pDisplay), POLLIN, 0};
    const int polled = poll(&fd, 1, timeoutMs);
    if (polled > 0 && (fd.revents & POLLIN)) {
        if (wl_display_read_events(g_pDisplay) < 0)
            return false;
    } else {
        wl_display_cancel_read(g_pDisplay);
        if (polled > 0 && (fd.revents & (POLLHUP | POLLERR)))
            return false;
    }
    return wl_display_dispatch_pending(g_pDisplay) >= 0;
}

bool display_closed() {
    return g_bClosed;
}

std::vector<Surface*> ready_surfaces() {
    std::vector<Surface*> ready;
    for (Surface* s : g_Surfaces)
        if (s->eglSurface != EGL_NO_SURFACE && !s->frame)
            ready.push_back(s);
    return ready;
}

bool use_surface(Surface* s) {
    if (!eglMakeCurrent(g_EglDisplay, s->eglSurface, s->eglSurface, g_EglContext))
        return false;
    g_pCurrent = s;
    resize_gl_scene(s->width * s->scale, s->height * s->scale);
    return true;
}

static void frame_done(void* data, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    static_cast<Surface*>(data)->frame = nullptr;
}

static const wl_callback_listener FRAME_DONE = {frame_done};

void skip_refresh(Surface* s) {
    s->frame = wl_surface_frame(s->surface);
    wl_callback_add_listener(s->frame, &FRAME_DONE, s);
    wl_surface_commit(s->surface);
}

// The next frame of this surface is drawn when the compositor asks for it, so a surface it does
// not show (output off, covered) costs nothing. The interval 0 keeps EGL from waiting for that
// request itself inside the swap.
void present_frame() {
    Surface* s = g_pCurrent;
    if (!s)
        return;
    s->frame = wl_surface_frame(s->surface);
    wl_callback_add_listener(s->frame, &FRAME_DONE, s);
    eglSwapInterval(g_EglDisplay, 0);
    eglSwapBuffers(g_EglDisplay, s->eglSurface);
}
