// TGA header check and pixel decoding (run-length encoded and uncompressed true colour).
#include "core/scenes/tga_decode.h"

#include "core/platform.h"

#include <cstring>
#include <new>

namespace {

const uint8_t TGA_TYPE2_HEADER[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const uint8_t TGA_TYPE10_HEADER[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Width, height, depth and descriptor follow the 12 checked bytes.
constexpr size_t IMAGE_SPEC_SIZE = 6;

bool fail(const char* text) {
    alert(text, "ERROR");
    return false;
}

const char* const TRUNCATED = "Image data ends before the last pixel";

// Reads the dimensions into the slot and allocates the pixel buffer. packetPixels and
// packetBytes bound what the rest of the input can describe at most (pixels per smallest
// packet), so a header that promises more than the data holds is refused before allocating.
bool begin_pixels(TextureImage& slot, const uint8_t* imageSpec, size_t specSize,
                  size_t packetPixels, size_t packetOverhead, size_t* pixelCount) {
    if (specSize < IMAGE_SPEC_SIZE)
        return fail("Invalid texture information");
    slot.width = imageSpec[0] | (imageSpec[1] << 8);
    slot.height = imageSpec[2] | (imageSpec[3] << 8);
    slot.bpp = imageSpec[4];
    if (slot.width == 0 || slot.height == 0 || (slot.bpp != 24 && slot.bpp != 32))
        return fail("Invalid texture information");
    slot.format = slot.bpp == 24 ? TGA_FORMAT_RGB : TGA_FORMAT_RGBA;
    *pixelCount = size_t(slot.width) * slot.height;
    const size_t packetBytes = packetOverhead + slot.bpp / 8;
    if (*pixelCount > packetPixels * ((specSize - IMAGE_SPEC_SIZE) / packetBytes))
        return fail(TRUNCATED);
    slot.pixels = new (std::nothrow) uint8_t[*pixelCount * (slot.bpp / 8)];
    if (!slot.pixels)
        return fail("Could not allocate memory for image");
    return true;
}

bool fail_and_free(TextureImage& slot, const char* text) {
    free_tga_pixels(slot);
    return fail(text);
}

// Stores one file pixel (B,G,R(,A)) as R,G,B(,A).
inline void store_pixel(uint8_t* out, const uint8_t* in, size_t b) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (b == 4)
        out[3] = in[3];
}

} // namespace

void free_tga_pixels(TextureImage& slot) {
    delete[] slot.pixels;
    slot.pixels = nullptr;
}

bool ParseTGAHeader(TextureImage& slot, const uint8_t* data, size_t size) {
    if (!data || size == 0)
        return fail("Could not load image resource");
    if (size >= 12 && std::memcmp(data, TGA_TYPE2_HEADER, 12) == 0)
        return DecodeTGARaw(slot, data + 12, size - 12);
    if (size < 12 || std::memcmp(data, TGA_TYPE10_HEADER, 12) != 0) {
        alert("TGA file be type 2 or type 10 ", "Invalid Image");
        return false;
    }
    return DecodeTGARLE(slot, data + 12, size - 12);
}

bool DecodeTGARLE(TextureImage& slot, const uint8_t* imageSpec, size_t specSize) {
    size_t n = 0;
    // A run packet of one header byte and one pixel stands for up to 128 pixels.
    if (!begin_pixels(slot, imageSpec, specSize, 128, 1, &n))
        return false;
    const size_t b = slot.bpp / 8;
    const uint8_t* in = imageSpec + IMAGE_SPEC_SIZE;
    const uint8_t* end = imageSpec + specSize;
    uint8_t* out = slot.pixels;
    size_t stored = 0;
    while (stored < n) {
        if (in == end)
            return fail_and_free(slot, TRUNCATED);
        const unsigned h = *in++;
        if (h < 128) {
            for (unsigned i = 0; i <= h; ++i, in += b) {
                if (stored == n)
                    return fail_and_free(slot, "Too many pixels read");
                if (size_t(end - in) < b)
                    return fail_and_free(slot, TRUNCATED);
                store_pixel(out + stored++ * b, in, b);
            }
        } else {
            if (size_t(end - in) < b)
                return fail_and_free(slot, TRUNCATED);
            for (unsigned i = 0; i < h - 127; ++i) {
                if (stored == n)
                    return fail_and_free(slot, "Too many pixels read");
                store_pixel(out + stored++ * b, in, b);
            }
            in += b;
        }
    }
    return true;
}

bool DecodeTGARaw(TextureImage& slot, const uint8_t* imageSpec, size_t specSize) {
    size_t n = 0;
    if (!begin_pixels(slot, imageSpec, specSize, 1, 0, &n))
        return false;
    const size_t b = slot.bpp / 8;
    const uint8_t* in = imageSpec + IMAGE_SPEC_SIZE;
    for (size_t i = 0; i < n; ++i)
        store_pixel(slot.pixels + i * b, in + i * b, b);
    return true;
}
