// The program's single pseudo-random generator, shared by the settings loader and the scenes.
// Main (user-interface) thread only.
#pragma once

#include <cstdint>

// The largest value draw_random returns.
constexpr int RANDOM_MAX = 32767;

void seed_random(uint32_t seed);
// Advances the state to state * 214013 + 2531011 (mod 2^32) and returns its bits 16..30.
int draw_random();
// One draw mapped into [-1, 1): (draw - 16384) / 16384.
float random_signed();
