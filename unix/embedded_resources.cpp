// The embedded data of the Linux program: the glyph image and the tune, linked in by
// embedded_data.S under the names and numbers the Windows program's resources carry.
#include "core/platform.h"

#include "resources/resource_ids.h"

#include <cstring>

extern "C" const unsigned char velta_glyph_image[], velta_glyph_image_end[];
extern "C" const unsigned char velta_tune[], velta_tune_end[];

static const char TUNE_NAME[] = "TESTOGG";

EmbeddedData find_embedded(EmbeddedKind kind, const char* name, int id) {
    if (kind == EmbeddedKind::Image && !name && id == IDR_GLYPH_IMAGE)
        return {velta_glyph_image, size_t(velta_glyph_image_end - velta_glyph_image)};
    if (kind == EmbeddedKind::Tune && name && std::strcmp(name, TUNE_NAME) == 0)
        return {velta_tune, size_t(velta_tune_end - velta_tune)};
    return {nullptr, 0};
}
