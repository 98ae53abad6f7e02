// What the page supplies to the core: the embedded glyph image and tune, the clocks, the alert
// line, presenting a frame and the voices (the stored values are in stored_values.cpp). The
// JavaScript halves live in page.js; these reach them through the Module object.
#include "core/platform.h"

#include "resources/resource_ids.h"

#include <emscripten.h>

#include <cstring>

extern "C" const unsigned char velta_glyph_image[], velta_tune[];
extern "C" const size_t velta_glyph_image_size, velta_tune_size;

EmbeddedData find_embedded(EmbeddedKind kind, const char* name, int id) {
    if (kind == EmbeddedKind::Image && !name && id == IDR_GLYPH_IMAGE)
        return {velta_glyph_image, velta_glyph_image_size};
    if (kind == EmbeddedKind::Tune && name && std::strcmp(name, "TESTOGG") == 0)
        return {velta_tune, velta_tune_size};
    return {nullptr, 0};
}

// One clock, the page's high-resolution time in milliseconds, for the cycle, the voices and
// the pacing. The page paces its frames itself (page.js asks for a frame each time 31 ms have
// passed), so there is nothing to sleep away: the browser must never be blocked.
static uint32_t page_ms() {
    return static_cast<uint32_t>(static_cast<uint64_t>(emscripten_get_now()));
}

static void no_sleep(uint32_t) {}

uint32_t (*g_pfnTickCount)() = page_ms;
uint32_t (*g_pfnPacingClock)() = page_ms;
void (*g_pfnSleep)(uint32_t ms) = no_sleep;

EM_JS(void, js_alert, (const char* text, const char* caption),
      { Module.veltaShowLine(UTF8ToString(caption) + ": " + UTF8ToString(text), "error"); });

static void page_alert(const char* text, const char* caption, unsigned) {
    js_alert(text, caption);
}

AlertFn g_pfnAlert = page_alert;

// The browser shows what the canvas holds once the animation frame's callback returns.
void present_frame() {}
