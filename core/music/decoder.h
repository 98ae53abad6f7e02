// The Ogg Vorbis decoder of one play-out, opened from a player's URL: a resource of the
// program's own module read from memory, or a file. One Decoder per player thread; it is used
// only on that thread, from a successful decoder_open to its decoder_close.
#pragma once

#include <cstdint>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

struct Decoder {
    OggVorbis_File file;
    int nChannels; // of the current logical stream, known once open
    long nRate;    // samples per second, per channel
    int nLink;     // logical-stream index that ov_read reports into; set to 0 before reading
};

// Opens the URL ("res://NAME", "res://#N" or a file path) as a seekable Vorbis stream and
// reads its channel count and rate. On failure (bad URL, missing or empty resource, file not
// found, not Vorbis, not seekable) everything acquired is released again and false returned;
// on success the caller must call decoder_close.
bool decoder_open(Decoder* dec, const char* url);
// Opens a Vorbis stream over bytes in memory that outlive the decoder (the resource path of
// decoder_open, usable on its own for any data). Same results as decoder_open.
bool decoder_open_bytes(Decoder* dec, const void* data, uint32_t size);
// Opens a file as a Vorbis stream; from then on the decoder owns and closes the file. Same
// results as decoder_open.
bool decoder_open_file(Decoder* dec, const char* path);
// Decodes up to bytes bytes of 16-bit signed little-endian PCM, channels interleaved. Returns
// the bytes delivered, 0 at the end of the stream, or a negative decoder error.
long decoder_read(Decoder* dec, char* dst, int bytes);
// Releases the decoder and its stream record or file.
void decoder_close(Decoder* dec);
