// Opening and decoding the embedded tune, test streams, files and broken data.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>

#include "core/music/decoder.h"

namespace {

const long TUNE_SAMPLES = 358797; // 8.136 s at 44,100 Hz

std::vector<unsigned char> resource_bytes(const char* name) {
    HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));
    if (!found)
        return {};
    const auto* data =
        static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<unsigned char>(data, data + SizeofResource(nullptr, found));
}

// Decodes to the end the way a play-out does, in buffer-sized reads; returns the bytes
// delivered and the largest sample seen.
long decode_all(Decoder* dec, int* peak = nullptr) {
    std::vector<char> buffer(4096);
    long total = 0;
    int largest = 0;
    for (;;) {
        const long got = decoder_read(dec, buffer.data(), static_cast<int>(buffer.size()));
        if (got <= 0)
            break;
        for (long i = 0; i + 1 < got; i += 2) {
            const int sample = static_cast<short>((buffer[i] & 0xFF) | (buffer[i + 1] << 8));
            largest = std::max(largest, std::abs(sample));
        }
        total += got;
    }
    if (peak)
        *peak = largest;
    return total;
}

std::string write_temp_file(const std::vector<unsigned char>& bytes) {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "vlt", 0, path);
    FILE* f = std::fopen(path, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

} // namespace

TEST(Decoder, EmbeddedTuneIsSeekableMonoAndDecodesWhole) {
    Decoder dec;
    ASSERT_TRUE(decoder_open(&dec, "res://TESTOGG"));
    EXPECT_EQ(dec.nChannels, 1);
    EXPECT_EQ(dec.nRate, 44100);
    EXPECT_NE(ov_seekable(&dec.file), 0);
    EXPECT_EQ(ov_pcm_total(&dec.file, -1), TUNE_SAMPLES);
    int peak = 0;
    EXPECT_EQ(decode_all(&dec, &peak), TUNE_SAMPLES * 2);
    EXPECT_GT(peak, 4000);  // audible, not silence
    EXPECT_LT(peak, 12000); // one copy leaves room for three at once
    decoder_close(&dec);
}

TEST(Decoder, NumberedResourcesAndOtherFormats) {
    for (const char* url : {"res://#16", "res://#0x10", "res://SHORTOGG"}) {
        Decoder dec;
        ASSERT_TRUE(decoder_open(&dec, url)) << url;
        EXPECT_EQ(decode_all(&dec), 882 * 2) << url;
        decoder_close(&dec);
    }
    Decoder dec;
    ASSERT_TRUE(decoder_open(&dec, "res://STEREOOGG"));
    EXPECT_EQ(dec.nChannels, 2);
    EXPECT_EQ(dec.nRate, 22050);
    EXPECT_EQ(decode_all(&dec), 11025 * 2 * 2);
    decoder_close(&dec);
}

TEST(Decoder, MissingOrUnusableResourcesFail) {
    Decoder dec;
    EXPECT_FALSE(decoder_open(&dec, "res://NOSUCHTUNE"));
    EXPECT_FALSE(decoder_open(&dec, "res://#999"));
    EXPECT_FALSE(decoder_open(&dec, "res://#abc"));
    HRSRC empty = FindResourceA(nullptr, "EMPTYRES", MAKEINTRESOURCEA(10));
    ASSERT_TRUE(empty);
    ASSERT_EQ(SizeofResource(nullptr, empty), 0u);
    EXPECT_FALSE(decoder_open(&dec, "res://EMPTYRES"));
    EXPECT_FALSE(decoder_open(&dec, "res://NOTVORBIS"));
    EXPECT_FALSE(decoder_open(&dec, "res://BADLINKOGG"));
    EXPECT_FALSE(decoder_open(&dec, "RES://TESTOGG")); // a file of that name, which is missing
}

TEST(Decoder, FilePathsOpenAndMissingFilesFail) {
    const std::string path = write_temp_file(resource_bytes("TESTOGG"));
    Decoder dec;
    ASSERT_TRUE(decoder_open(&dec, path.c_str()));
    EXPECT_EQ(dec.nChannels, 1);
    EXPECT_EQ(decode_all(&dec), TUNE_SAMPLES * 2);
    decoder_close(&dec);
    DeleteFileA(path.c_str());
    EXPECT_FALSE(decoder_open(&dec, path.c_str()));

    const std::string text = write_temp_file(resource_bytes("NOTVORBIS"));
    EXPECT_FALSE(decoder_open(&dec, text.c_str()));
    EXPECT_TRUE(DeleteFileA(text.c_str())) << "the failed open left the file open";
}

TEST(Decoder, TruncatedAndCorruptStreams) {
    const std::vector<unsigned char> tune = resource_bytes("TESTOGG");
    ASSERT_GT(tune.size(), 60000u);
    Decoder dec;
    EXPECT_FALSE(decoder_open_bytes(&dec, tune.data(), 0));
    EXPECT_FALSE(decoder_open_bytes(&dec, tune.data(), 3000)); // inside the headers

    // Cut in the middle of the audio: what is there decodes, then the stream ends.
    ASSERT_TRUE(decoder_open_bytes(&dec, tune.data(), static_cast<uint32_t>(tune.size() / 2)));
    const long half = decode_all(&dec);
    EXPECT_GT(half, TUNE_SAMPLES / 2);
    EXPECT_LT(half, TUNE_SAMPLES * 2);
    decoder_close(&dec);

    // Scribbled pages in the middle: decoding stops or skips, but always comes to an end.
    std::vector<unsigned char> corrupt = tune;
    for (size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 3000; ++i)
        corrupt[i] = static_cast<unsigned char>(i * 37);
    ASSERT_TRUE(decoder_open_bytes(&dec, corrupt.data(), static_cast<uint32_t>(corrupt.size())));
    EXPECT_LE(decode_all(&dec), TUNE_SAMPLES * 2);
    decoder_close(&dec);
}
