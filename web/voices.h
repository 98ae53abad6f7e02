// The tune's three voices on the page. Main thread only.
#pragma once

#include <cstdint>

// A new copy of the tune on voice 0..2, after the copy that voice is playing, if any; nothing
// before the first click or key, when the browser allows sound.
void play_voice(int voice);
// Silences every voice at once.
void stop_voices();

// Decodes the embedded tune once with the core's Ogg Vorbis decoder; false when it cannot.
bool decode_tune();
// The decoded samples, channels interleaved: their count, the channel count and the rate.
const int16_t* tune_samples(int* count, int* channels, int* rate);
