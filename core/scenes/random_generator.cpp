// The linear congruential generator every random choice of the program draws from.
#include "core/scenes/random_generator.h"

static uint32_t g_dwRandomState = 1;

void seed_random(uint32_t seed) {
    g_dwRandomState = seed;
}

int draw_random() {
    g_dwRandomState = g_dwRandomState * 214013u + 2531011u;
    return static_cast<int>((g_dwRandomState >> 16) & 0x7FFF);
}

float random_signed() {
    return static_cast<float>(draw_random() - 16384) / 16384.0f;
}
