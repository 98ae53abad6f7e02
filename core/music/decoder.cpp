// Binding of the Ogg Vorbis file-level decoder to its two sources: bytes in memory through our
// own callbacks, and files through the library's standard-file reading. No window-system
// calls, so it also builds natively for fuzzing.
#include "core/music/decoder.h"

#include <cstdio>

#include "core/music/resource_stream.h"

static const ov_callbacks RESOURCE_CALLBACKS = {resource_read, resource_seek, resource_close,
                                                resource_tell};

// Channel count and rate come from the stream; an unseekable one cannot be rewound and is
// refused.
static bool finish_open(Decoder* dec) {
    if (!ov_seekable(&dec->file)) {
        ov_clear(&dec->file);
        return false;
    }
    const vorbis_info* info = ov_info(&dec->file, -1);
    if (!info) {
        ov_clear(&dec->file);
        return false;
    }
    dec->nChannels = info->channels;
    dec->nRate = info->rate;
    dec->nLink = 0;
    return true;
}

bool decoder_open_bytes(Decoder* dec, const void* data, uint32_t size) {
    ResourceStream* stream = new ResourceStream{0, size, static_cast<const unsigned char*>(data)};
    if (ov_open_callbacks(stream, &dec->file, nullptr, 0, RESOURCE_CALLBACKS) < 0) {
        delete stream; // a failed open has not called the close callback
        return false;
    }
    return finish_open(dec);
}

bool decoder_open_file(Decoder* dec, const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    if (ov_open(file, &dec->file, nullptr, 0) < 0) {
        std::fclose(file);
        return false;
    }
    return finish_open(dec); // from here the decoder closes the file
}

long decoder_read(Decoder* dec, char* dst, int bytes) {
    return ov_read(&dec->file, dst, bytes, 0 /* little-endian */, 2 /* 16-bit */, 1 /* signed */,
                   &dec->nLink);
}

void decoder_close(Decoder* dec) {
    ov_clear(&dec->file);
}
