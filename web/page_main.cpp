// The page's program: its options from the URL and a desktop host's calls, the views from
// localStorage, the WebGL context on the page's canvas and the core's frame step, driven by
// page.js through the functions exported here. Main thread only.
#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/gl_scene.h"
#include "core/render/render_state.h"
#include "core/render/smooth_frames.h"
#include "core/scenes/random_generator.h"
#include "core/settings/module_params.h"
#include "core/settings/options.h"
#include "core/settings/stored_settings.h"
#include "core/settings/view_controls.h"
#include "web/host_choices.h"
#include "web/keys.h"
#include "web/stored_values.h"
#include "web/url_options.h"
#include "web/voices.h"
#include "web/webgl_renderer.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <GL/glu.h>

namespace {

StoredChoices g_Held; // what the store holds for the choices the options make
ModuleOptions g_UrlOptions;
HostChoices g_Host; // kept from before the start too
bool g_bStarted;
int g_nWidth = 1, g_nHeight = 1;
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_hContext;
int g_nTuneSamples, g_nTuneChannels, g_nTuneRate;
SmoothPacer g_Pacer; // frames between steps, unless the URL asks for stepped ones

EM_JS(void, js_option_problem, (const char* text),
      { Module.veltaShowLine(UTF8ToString(text), "warn"); });

// The view on screen goes into its module's record and every record into the store, with the
// stored choices the URL stood in for.
void save_views() {
    store_module_params(g_nModule);
    const StoredChoices running = current_choices();
    restore_stored_choices(g_Held);
    save_settings();
    restore_stored_choices(running);
}

// The URL's options with the host's choices over them take the place of the stored choices. A
// module on screen that is no longer chosen gives way to the next chosen one at once.
void apply_choices() {
    apply_module_options(with_host_choices(g_UrlOptions, g_Host));
    const int next =
        g_nModule && g_Mods[g_nModule].active ? g_nModule : next_enabled_module(g_nModule);
    if (next != g_nModule)
        show_module(next);
}

} // namespace

extern "C" {

// Starts the page on its canvas of width x height pixels with the URL's query and the host's
// choices made so far. A bad option is named on the page and the URL's defaults used instead.
// Returns 1 when the canvas can be drawn on, with 2 added for the frame-rate corner and 4 for
// stepped frames.
EMSCRIPTEN_KEEPALIVE int web_start(const char* query, int width, int height) {
    ModuleOptions& options = g_UrlOptions;
    char error[OPTION_ERROR_SIZE];
    if (!parse_url_options(query, &options, error)) {
        js_option_problem(error);
        parse_url_options("", &options, error);
    }
    read_settings();
    learn_stored_values();
    g_Held = apply_module_options(with_host_choices(options, g_Host));
    start_with_first_module();

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false; // the picture is opaque, as a window's is
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false; // the desktop programs draw without multisampling
    attributes.majorVersion = 1;
    g_hContext = emscripten_webgl_create_context("#canvas", &attributes);
    if (g_hContext <= 0 ||
        emscripten_webgl_make_context_current(g_hContext) != EMSCRIPTEN_RESULT_SUCCESS)
        return 0;
    g_nWidth = width;
    g_nHeight = height;
    resize_gl_scene(width, height);
    if (!init_gl_state())
        return 0;
    g_bSaverMode = true; // the modules cycle
    g_bFullScreen = true;
    g_dwCycleStart = g_pfnTickCount();
    g_pfnPlayVoice = play_voice; // the frame step starts voices only while the sound is on
    g_pfnStopVoices = stop_voices;
    g_Pacer.capped = !options.everyRefresh;
    g_bStarted = true;
    return 1 | (options.fps ? 2 : 0) | (options.stepped ? 4 : 0);
}

// A host's setting (see host_choices.h), before the start or while the page runs. Returns 1 when
// taken, 0 for a setting that is not the page's, and -1 for a bad value, which is named on the
// page and leaves the choice as it was.
EMSCRIPTEN_KEEPALIVE int web_host_choice(const char* name, double value) {
    char error[OPTION_ERROR_SIZE];
    switch (read_host_choice(&g_Host, name, value, error)) {
    case HostChoiceRead::Unknown:
        return 0;
    case HostChoiceRead::Refused:
        js_option_problem(error);
        return -1;
    case HostChoiceRead::Taken:
        break;
    }
    if (g_bStarted)
        apply_choices();
    return 1;
}

// One frame of the core, paced by page.js to one per 31 ms step.
EMSCRIPTEN_KEEPALIVE void web_step() {
    frame_step();
}

// An animation frame at time now (ms): 1 when it got a frame, drawn at now between the last two
// steps; 0 when the cap of frames a second passes it by.
EMSCRIPTEN_KEEPALIVE int web_frame(double now) {
    return frame_at_refresh(g_Pacer, now) ? 1 : 0;
}

// The moment the last frame showed, in ms on the steps' own time line.
EMSCRIPTEN_KEEPALIVE double web_scene_time() {
    return g_Pacer.sceneTime;
}

EMSCRIPTEN_KEEPALIVE void web_resize(int width, int height) {
    g_nWidth = width;
    g_nHeight = height;
    resize_gl_scene(width, height);
}

// A key by its KeyboardEvent.code: 1 when it steers the view (the page then keeps it from the
// browser), 0 for a key left to the browser. A steered view is stored at once.
EMSCRIPTEN_KEEPALIVE int web_key(const char* code) {
    ViewControl control;
    if (!key_control(code, &control))
        return 0;
    apply_view_control(control);
    save_views();
    return 1;
}

// The page is hidden (1) or shown again (0): no frames and no voices while hidden, and the
// time hidden does not count towards the module's time on screen. Hiding stores the views.
EMSCRIPTEN_KEEPALIVE void web_pause(int paused) {
    if (paused) {
        sleep_frames(g_pfnTickCount());
        save_views();
    } else {
        wake_frames(g_pfnTickCount());
        restart_steps(g_Pacer);
    }
}

// Stores the views, as the page is left.
EMSCRIPTEN_KEEPALIVE void web_save() {
    save_views();
}

// The WebGL context was lost: what was made in it is gone.
EMSCRIPTEN_KEEPALIVE void web_context_lost() {
    renderer_forget();
}

// The context is back: the texture, the fixed state and the projection are made again, and the
// module goes on where it was. Returns 1 on success.
EMSCRIPTEN_KEEPALIVE int web_context_restored() {
    renderer_forget();
    release_gl_state();
    resize_gl_scene(g_nWidth, g_nHeight);
    return init_gl_state() ? 1 : 0;
}

// The first click or key allows sound: the tune is decoded and the voices' rhythm starts with
// a copy on voice 0. Returns the decoded samples, or null when the tune cannot be decoded.
EMSCRIPTEN_KEEPALIVE const int16_t* web_sound_start() {
    if (!decode_tune())
        return nullptr;
    g_dwVoiceTick = g_pfnTickCount();
    g_nVoice = 0;
    return tune_samples(&g_nTuneSamples, &g_nTuneChannels, &g_nTuneRate);
}

// The decoded tune's sample count (all channels), channel count and rate.
EMSCRIPTEN_KEEPALIVE int web_tune_samples() {
    return g_nTuneSamples;
}

EMSCRIPTEN_KEEPALIVE int web_tune_channels() {
    return g_nTuneChannels;
}

EMSCRIPTEN_KEEPALIVE int web_tune_rate() {
    return g_nTuneRate;
}

EMSCRIPTEN_KEEPALIVE int web_module() {
    return g_nModule;
}

EMSCRIPTEN_KEEPALIVE int web_cycle_seconds() {
    return g_nCycleTime;
}

EMSCRIPTEN_KEEPALIVE int web_sound_on() {
    return g_bSound ? 1 : 0;
}

// The live view value i (0 depth, 1 horz, 2 vert, 3 xrot, 4 yrot, 5 zrot, 6 speed).
EMSCRIPTEN_KEEPALIVE float web_view_value(int i) {
    const float values[] = {g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed};
    return i >= 0 && i < 7 ? values[i] : 0.0f;
}

} // extern "C"
