// The mipmap chain GLU builds for a texture whose sides are powers of two: each level halves
// the one before it, every texel the rounded mean of the 2 x 2 (or, once a side is 1, the
// 2 x 1) texels it covers. Plain values only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MipLevel {
    int width, height;
    std::vector<uint8_t> texels; // width * height * components bytes, rows bottom first
};

// The level after a width x height image of components bytes per texel (1 x 1 has none: the
// result is then empty).
MipLevel halve_level(const uint8_t* texels, int width, int height, int components);

inline bool is_power_of_two(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}
