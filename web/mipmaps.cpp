// Halving a texture level by a rounded box filter.
#include "web/mipmaps.h"

MipLevel halve_level(const uint8_t* texels, int width, int height, int components) {
    MipLevel next{width > 1 ? width / 2 : 1, height > 1 ? height / 2 : 1, {}};
    if (width <= 1 && height <= 1)
        return {0, 0, {}};
    // Along a side of 1 texel the same texel is counted twice, which gives the 2 x 1 mean.
    const int dx = width > 1 ? components : 0;
    const int dy = height > 1 ? width * components : 0;
    next.texels.resize(static_cast<size_t>(next.width) * next.height * components);
    uint8_t* out = next.texels.data();
    for (int y = 0; y < next.height; ++y) {
        const uint8_t* row =
            texels + static_cast<size_t>(height > 1 ? 2 * y : y) * width * components;
        for (int x = 0; x < next.width; ++x) {
            const uint8_t* p = row + static_cast<size_t>(width > 1 ? 2 * x : x) * components;
            for (int c = 0; c < components; ++c)
                *out++ =
                    static_cast<uint8_t>((p[c] + p[c + dx] + p[c + dy] + p[c + dx + dy] + 2) / 4);
        }
    }
    return next;
}
