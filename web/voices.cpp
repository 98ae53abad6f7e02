// The tune's voices on the page: the embedded Ogg Vorbis stream decoded once by the core's own
// decoder into 16-bit samples, which page.js plays through Web Audio on three voices.
#include "web/voices.h"

#include "core/music/decoder.h"
#include "core/platform.h"

#include <emscripten.h>

#include <vector>

namespace {

std::vector<int16_t> g_Samples;
int g_nChannels, g_nRate;

} // namespace

EM_JS(void, js_play_voice, (int voice), { Module.veltaVoices.play(voice); });
EM_JS(void, js_stop_voices, (), { Module.veltaVoices.stop(); });

void play_voice(int voice) {
    js_play_voice(voice);
}

void stop_voices() {
    js_stop_voices();
}

bool decode_tune() {
    if (!g_Samples.empty())
        return true;
    const EmbeddedData tune = find_embedded(EmbeddedKind::Tune, "TESTOGG", 0);
    Decoder dec;
    if (!tune.bytes || !decoder_open_bytes(&dec, tune.bytes, static_cast<uint32_t>(tune.size)))
        return false;
    std::vector<int16_t> samples;
    char chunk[4096];
    long got;
    while ((got = decoder_read(&dec, chunk, sizeof chunk)) > 0) {
        const int16_t* p = reinterpret_cast<const int16_t*>(chunk);
        samples.insert(samples.end(), p, p + got / 2);
    }
    g_nChannels = dec.nChannels;
    g_nRate = static_cast<int>(dec.nRate);
    decoder_close(&dec);
    if (got < 0 || samples.empty())
        return false;
    g_Samples.swap(samples);
    return true;
}

const int16_t* tune_samples(int* count, int* channels, int* rate) {
    *count = static_cast<int>(g_Samples.size());
    *channels = g_nChannels;
    *rate = g_nRate;
    return g_Samples.data();
}
