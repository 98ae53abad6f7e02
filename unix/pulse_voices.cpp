// The voice threads and their PulseAudio streams.
#include "unix/pulse_voices.h"

#include "core/music/decoder.h"
#include "core/platform.h"
#include "unix/messages.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

constexpr int VOICE_COUNT = 3;
constexpr int CHUNK_BYTES = 4096;     // decoded per write: about 46 ms of the mono tune
constexpr int STREAM_BUFFER_MS = 200; // what the server holds ahead, so a stop is heard soon
// How long quit_voices waits for the voices together. A server that hangs without closing its
// socket holds a voice inside a write for as long as it hangs; that voice is left behind.
constexpr auto QUIT_WAIT = std::chrono::milliseconds(500);

namespace {

struct Voice {
    std::thread thread;
    std::mutex lock;
    std::condition_variable wake;
    int queued = 0;                // copies asked for and not yet begun
    std::atomic<bool> stop{false}; // the copy playing now ends at its next chunk
    bool quit = false;
    bool ended = false; // the thread has left its loop; set under lock, told through wake
};

// Never destroyed: a voice left behind by quit_voices may still use its record until the
// process ends.
Voice* const g_Voices = new Voice[VOICE_COUNT];
bool g_bStarted;
// A warning about the sound has been printed and the sound has not come back since: one line
// each time the sound goes, however many copies then find no server.
std::atomic<bool> g_bSoundLostTold{false};

void tell_sound_lost(const char* what, int error) {
    if (!g_bSoundLostTold.exchange(true))
        say("%s (%s); the modules go on silently", what, pa_strerror(error));
}

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
        tell_sound_lost("no sound", error);
        decoder_close(&dec);
        return;
    }
    g_bSoundLostTold = false; // a server is there (again): its next loss is worth a line
    char chunk[CHUNK_BYTES];
    long got;
    bool lost = false;
    while (!voice.stop && (got = decoder_read(&dec, chunk, sizeof chunk)) > 0)
        if (pa_simple_write(stream, chunk, static_cast<size_t>(got), &error) < 0) {
            tell_sound_lost("the sound server went away", error);
            lost = true;
            break;
        }
    if (voice.stop && !lost)
        pa_simple_flush(stream, &error);
    else if (!lost)
        pa_simple_drain(stream, &error);
    pa_simple_free(stream);
    decoder_close(&dec);
}

void voice_loop(Voice& voice) {
    for (;;) {
        {
            std::unique_lock<std::mutex> held(voice.lock);
            voice.wake.wait(held, [&] { return voice.quit || voice.queued > 0; });
            if (voice.quit) {
                voice.ended = true;
                voice.wake.notify_all();
                return;
            }
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
    for (int k = 0; k < VOICE_COUNT; ++k)
        g_Voices[k].thread = std::thread(voice_loop, std::ref(g_Voices[k]));
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
    for (int k = 0; k < VOICE_COUNT; ++k) {
        Voice& voice = g_Voices[k];
        std::lock_guard<std::mutex> held(voice.lock);
        voice.queued = 0;
        voice.stop = true;
    }
}

bool quit_voices() {
    if (!g_bStarted)
        return true;
    for (int k = 0; k < VOICE_COUNT; ++k) {
        Voice& voice = g_Voices[k];
        std::lock_guard<std::mutex> held(voice.lock);
        voice.queued = 0;
        voice.stop = true;
        voice.quit = true;
        voice.wake.notify_all();
    }
    const auto deadline = std::chrono::steady_clock::now() + QUIT_WAIT;
    bool allEnded = true;
    for (int k = 0; k < VOICE_COUNT; ++k) {
        Voice& voice = g_Voices[k];
        std::unique_lock<std::mutex> held(voice.lock);
        const bool ended = voice.wake.wait_until(held, deadline, [&] { return voice.ended; });
        held.unlock();
        if (ended) {
            voice.thread.join();
        } else {
            voice.thread.detach();
            allEnded = false;
        }
    }
    g_bStarted = false;
    return allEnded;
}
