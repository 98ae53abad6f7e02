// Truevision TGA decoding of the embedded glyph image into RGB or RGBA bytes. Plain C++ with
// no window-system headers, so it also builds natively for fuzzing. Failures are reported
// through alert() with the program's fixed texts and return false; the slot then owns no
// pixel buffer. Not re-entrant; main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

// Same values as GL_RGB and GL_RGBA, kept here so this file needs no OpenGL header.
constexpr uint32_t TGA_FORMAT_RGB = 0x1907;
constexpr uint32_t TGA_FORMAT_RGBA = 0x1908;

struct TextureImage {
    uint8_t* pixels; // rows in file order, R,G,B(,A); owned by the loader, freed once uploaded
    uint32_t bpp;    // 24 or 32
    uint32_t width;
    uint32_t height;
    uint32_t texId;  // OpenGL texture object name
    uint32_t format; // TGA_FORMAT_RGB or TGA_FORMAT_RGBA
};

// Checks the 12-byte header against the type 2 and type 10 templates and decodes the pixels
// into slot.pixels (allocated with new[]). Both image types are decoded.
bool ParseTGAHeader(TextureImage& slot, const uint8_t* data, size_t size);

// Decodes run-length-encoded pixels; imageSpec is the resource from offset 12 and specSize the
// number of bytes from there to the end. Never reads or writes out of bounds.
bool DecodeTGARLE(TextureImage& slot, const uint8_t* imageSpec, size_t specSize);

// Decodes uncompressed pixels laid out like DecodeTGARLE's input.
bool DecodeTGARaw(TextureImage& slot, const uint8_t* imageSpec, size_t specSize);

// Releases slot.pixels.
void free_tga_pixels(TextureImage& slot);
