// libFuzzer target: any bytes as a tune resource, opened through our in-memory stream callbacks
// and decoded to the end as the players do (16-bit signed little-endian PCM).
#include "core/music/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Decoder dec = {};
    if (!decoder_open_bytes(&dec, data, static_cast<uint32_t>(size)))
        return 0;
    char pcm[4096];
    // A hostile stream may claim an endless length; the loop still ends because every read
    // consumes input or reports the end or an error.
    for (int reads = 0; reads < 100000; ++reads) {
        const long got = decoder_read(&dec, pcm, sizeof pcm);
        if (got == 0)
            break;
        if (got < 0 && got != OV_HOLE)
            break;
    }
    decoder_close(&dec);
    return 0;
}
