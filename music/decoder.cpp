// Binding of the Ogg Vorbis file-level decoder to player URLs: resources through our own
// in-memory callbacks, files through the library's standard-file reading.
#include "music/decoder.h"

#include <cstdio>
#include <windows.h>

#include "music/player_url.h"
#include "music/resource_stream.h"

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

static bool open_resource(Decoder* dec, const PlayerUrl& url) {
    HMODULE module = GetModuleHandleA(nullptr);
    const char* name = url.kind == URL_RESOURCE_ID ? MAKEINTRESOURCEA(url.id) : url.name;
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!found)
        return false;
    const DWORD size = SizeofResource(module, found);
    if (size == 0)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return false;
    const void* data = LockResource(loaded);
    if (!data)
        return false;
    return decoder_open_bytes(dec, data, size);
}

static bool open_file(Decoder* dec, const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    if (ov_open(file, &dec->file, nullptr, 0) < 0) {
        std::fclose(file);
        return false;
    }
    return finish_open(dec); // from here the decoder closes the file
}

bool decoder_open(Decoder* dec, const char* url) {
    PlayerUrl parsed;
    if (!parse_player_url(url, &parsed))
        return false;
    if (parsed.kind == URL_FILE)
        return open_file(dec, parsed.name);
    return open_resource(dec, parsed);
}

long decoder_read(Decoder* dec, char* dst, int bytes) {
    return ov_read(&dec->file, dst, bytes, 0 /* little-endian */, 2 /* 16-bit */, 1 /* signed */,
                   &dec->nLink);
}

void decoder_close(Decoder* dec) {
    ov_clear(&dec->file);
}
