// The voice threads and their PulseAudio streams.
#include "linux/pulse_voices.h"

#include "core/music/decoder.h"
#include "core/platform.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

constexpr int VOICE_COUNT = 3;
constexpr int CHUNK_BYTES = 4096;     // decoded per write: about 46 ms of the mono tune
constexpr int STREAM_BUFFER_MS = 200; // what the server holds ahead, so a stop is heard soon

namespace {

struct Voice {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    int queued = 0;                // copies asked for and not yet begun
    std::atomic<bool> stop{false}; // the copy playing now ends at its next chunk
    bool quit = false;
};

Voice g_Voices[VOICE_COUNT];
bool g_bStarted;
std::atomic<bool> g_bNoServerTold{false};

// One copy of the tune from start to end, or until a stop or quit.
void play_copy(Voice& voice) {
    const EmbeddedData tune = find_embedded(EmbeddedKind::Tune, "TESTOGG", 0);
    Decoder dec;
    if (!tune.bytes || !decoder_open_bytes(&dec, tune.bytes, static_cast<uint32_t>(tune.size)))
        return;
    const pa_sample_spec format = {PA_SAMPLE_S16LE, static_cast<uint32_t>(dec.nRate),
                                   static_cast<uint8_t>(dec.nChannels)};
    pa_buffer_attr buffer;
    buffer.maxlength = buffer.prebuf = buffer.minreq = buffer.fragsize = uint32_t(-1);
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(STREAM_BUFFER_MS * 1000, &format));
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Velta II", PA_STREAM_PLAYBACK, nullptr, "tune",
                                      &format, nullptr, &buffer, &error);
    if (!stream) {
        if (!g_bNoServerTold.exchange(true))
            std::fprintf(stderr, "velta2: no sound (%s); the modules go on silently\n",
                         pa_strerror(error));
        decoder_close(&dec);
        return;
    }
    char chunk[CHUNK_BYTES];
    long got;
    while (!voice.stop && (got = decoder_read(&dec, chunk, sizeof chunk)) > 0)
        if (pa_simple_write(stream, chunk, static_cast<size_t>(got), &error) < 0)
            break;
    if (voice.stop)
        pa_simple_flush(stream, &error);
    else
        pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    decoder_close(&dec);
}

void voice_loop(Voice& voice) {
    for (;;) {
        {
            std::unique_lock<std::mutex> held(voice.lock);
            voice.wake.wait(held, [&] { return voice.quit || voice.queued > 0; });
            if (voice.quit)
                return;
            --voice.queued;
            voice.stop = false;
        }
        play_copy(voice);
    }
}

} // namespace

void start_voices() {
    if (g_bStarted)
        return;
    for (Voice& voice : g_Voices)
        voice.thread = std::thread(voice_loop, std::ref(voice));
    g_bStarted = true;
}

void play_voice(int index) {
    if (!g_bStarted || index < 0 || index >= VOICE_COUNT)
        return;
    Voice& voice = g_Voices[index];
    std::lock_guard<std::mutex> held(voice.lock);
    ++voice.queued;
    voice.wake.notify_one();
}

void stop_voices() {
    for (Voice& voice : g_Voices) {
        std::lock_guard<std::mutex> held(voice.lock);
        voice.queued = 0;
        voice.stop = true;
    }
}

void quit_voices() {
    if (!g_bStarted)
        return;
    for (Voice& voice : g_Voices) {
        std::lock_guard<std::mutex> held(voice.lock);
        voice.queued = 0;
        voice.stop = true;
        voice.quit = true;
        voice.wake.notify_one();
    }
    for (Voice& voice : g_Voices)
        voice.thread.join();
    g_bStarted = false;
}
