// libFuzzer target: any bytes as the glyph image resource, through the header check and the
// pixel decoders. Built natively with the sanitizers by `make fuzz`.
#include "core/platform.h"
#include "core/scenes/tga_decode.h"

static void ignore_alert(const char*, const char*, unsigned) {}
AlertFn g_pfnAlert = ignore_alert;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextureImage slot = {};
    if (ParseTGAHeader(slot, data, size)) {
        // Touch every decoded byte so a short buffer shows up under AddressSanitizer.
        const size_t bytes = size_t(slot.width) * slot.height * (slot.bpp / 8);
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < bytes; ++i)
            sum = sum + slot.pixels[i];
        free_tga_pixels(slot);
    }
    return 0;
}
