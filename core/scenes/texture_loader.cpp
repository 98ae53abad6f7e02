// Builds OpenGL textures from the run-length-encoded images embedded in the program.
#include "core/scenes/texture_loader.h"

#include "core/platform.h"

#include <GL/gl.h>
#include <GL/glu.h>

static_assert(TGA_FORMAT_RGB == GL_RGB && TGA_FORMAT_RGBA == GL_RGBA, "TGA formats are GL's");

TextureImage g_Textures[TEXTURE_SLOT_COUNT];

bool LoadTGA(int id, int slot) {
    if (slot < 0 || slot >= TEXTURE_SLOT_COUNT)
        return false;
    TextureImage& image = g_Textures[slot];
    const EmbeddedData found = find_embedded(EmbeddedKind::Image, nullptr, id);
    const auto* data = static_cast<const uint8_t*>(found.bytes);
    const size_t size = found.size;
    if (!data || size == 0) {
        alert("Could not locate image resource", "ERROR");
        return false;
    }
    if (!ParseTGAHeader(image, data, size))
        return false;
    glGenTextures(1, &image.texId);
    glBindTexture(GL_TEXTURE_2D, image.texId);
    gluBuild2DMipmaps(GL_TEXTURE_2D, image.format, image.width, image.height, image.format,
                      GL_UNSIGNED_BYTE, image.pixels);
    // Only the base level is sampled; the mipmaps exist but these filters never read them.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    free_tga_pixels(image);
    return true;
}
