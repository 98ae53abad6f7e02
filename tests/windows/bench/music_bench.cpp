// Prints how fast the embedded tune decodes: seconds of audio per second of CPU, and the
// time to open the decoder (medians of repeated runs on one thread).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/music/decoder.h"

namespace {

double thread_cpu_seconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double wall_seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    const int RUNS = 25;
    std::vector<double> open_ms, wall_s;
    double cpu_total = 0, audio_total = 0;
    long samples = 0;
    int rate = 0;
    for (int run = 0; run < RUNS; ++run) {
        Decoder dec;
        const double cpu0 = thread_cpu_seconds(), t0 = wall_seconds();
        if (!decoder_open(&dec, "res://TESTOGG"))
            return 1;
        const double t1 = wall_seconds();
        char buffer[4096];
        long bytes = 0, got;
        while ((got = decoder_read(&dec, buffer, sizeof buffer)) > 0)
            bytes += got;
        decoder_close(&dec);
        const double t2 = wall_seconds(), cpu1 = thread_cpu_seconds();
        rate = static_cast<int>(dec.nRate);
        samples = bytes / (2 * dec.nChannels);
        open_ms.push_back(1000 * (t1 - t0));
        wall_s.push_back(t2 - t0);
        cpu_total += cpu1 - cpu0;
        audio_total += double(samples) / rate;
    }
    const double audio = double(samples) / rate;
    std::printf("tune decode: %ld samples (%.3f s) at %d Hz; open median %.2f ms; whole tune "
                "median %.1f ms wall\n",
                samples, audio, rate, median(open_ms), 1000 * median(wall_s));
    std::printf("tune decode speed: %.0f s of audio per CPU second (%.0f per wall second, "
                "%d runs); a 4096-byte buffer (46 ms of sound) decodes in about %.3f ms\n",
                audio_total / cpu_total, audio / median(wall_s), RUNS,
                1000 * median(wall_s) / (audio * 44100 * 2 / 4096));
    return 0;
}
