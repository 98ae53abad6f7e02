// TGA decoding on synthetic images and on the embedded glyph image.
#include "core/scenes/tga_decode.h"

#include "alert_recorder.h"
#include "core/platform.h"
#include "resources/resource_ids.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes header(uint8_t type, uint16_t width, uint16_t height, uint8_t depth) {
    return {0,
            0,
            type,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            uint8_t(width),
            uint8_t(width >> 8),
            uint8_t(height),
            uint8_t(height >> 8),
            depth,
            0x08};
}

void append(Bytes& b, std::initializer_list<uint8_t> more) {
    b.insert(b.end(), more);
}

struct Decoded {
    bool ok;
    TextureImage slot;
};

Decoded decode(const Bytes& data) {
    Decoded d = {false, {}};
    d.ok = ParseTGAHeader(d.slot, data.data(), data.size());
    return d;
}

std::string last_alert() {
    return recorded_alerts().empty() ? "" : recorded_alerts().back().text;
}

} // namespace

TEST(TgaDecode, RunAndRawPacketsStoreRgbaInFileOrder) {
    Bytes tga = header(10, 3, 2, 32);
    append(tga, {0x82, 1, 2, 3, 4}); // run of 3: B=1 G=2 R=3 A=4
    append(tga, {0x02, 10, 20, 30, 255, 11, 21, 31, 0, 12, 22, 32, 255}); // 3 raw pixels
    Decoded d = decode(tga);
    ASSERT_TRUE(d.ok) << last_alert();
    EXPECT_EQ(d.slot.width, 3u);
    EXPECT_EQ(d.slot.height, 2u);
    EXPECT_EQ(d.slot.bpp, 32u);
    EXPECT_EQ(d.slot.format, TGA_FORMAT_RGBA);
    const uint8_t expected[] = {3,  2,  1,  4,   3,  2,  1,  4, 3,  2,  1,  4,
                                30, 20, 10, 255, 31, 21, 11, 0, 32, 22, 12, 255};
    EXPECT_EQ(std::memcmp(d.slot.pixels, expected, sizeof expected), 0);
    EXPECT_TRUE(recorded_alerts().empty());
    free_tga_pixels(d.slot);
}

TEST(TgaDecode, TwentyFourBitGivesRgbInThreeBytes) {
    Bytes tga = header(10, 2, 1, 24);
    append(tga, {0x01, 1, 2, 3, 4, 5, 6});
    Decoded d = decode(tga);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.slot.format, TGA_FORMAT_RGB);
    const uint8_t expected[] = {3, 2, 1, 6, 5, 4};
    EXPECT_EQ(std::memcmp(d.slot.pixels, expected, sizeof expected), 0);
    free_tga_pixels(d.slot);
}

TEST(TgaDecode, RunsOfOneAndOfOneHundredTwentyEight) {
    Bytes tga = header(10, 129, 1, 24);
    append(tga, {0xFF, 7, 8, 9}); // 128 pixels
    append(tga, {0x80, 1, 2, 3}); // 1 pixel
    Decoded d = decode(tga);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.slot.pixels[127 * 3], 9);
    EXPECT_EQ(d.slot.pixels[128 * 3], 3);
    free_tga_pixels(d.slot);
}

TEST(TgaDecode, PacketPastTheLastPixelFailsWithoutWritingBeyondTheBuffer) {
    Bytes tga = header(10, 2, 2, 32);
    append(tga, {0x84, 1, 2, 3, 4}); // run of 5 into 4 pixels
    Decoded d = decode(tga);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(last_alert(), "Too many pixels read");
    EXPECT_EQ(recorded_alerts().back().caption, "ERROR");
    EXPECT_EQ(d.slot.pixels, nullptr);

    Bytes raw = header(10, 1, 1, 24);
    append(raw, {0x01, 1, 2, 3, 4, 5, 6}); // raw packet of 2 into 1 pixel
    EXPECT_FALSE(decode(raw).ok);
    EXPECT_EQ(last_alert(), "Too many pixels read");
}

TEST(TgaDecode, InputEndingBeforeTheLastPixelFails) {
    Bytes tga = header(10, 4, 1, 32);
    append(tga, {0x83, 1, 2}); // run pixel cut short
    EXPECT_FALSE(decode(tga).ok);
    EXPECT_EQ(last_alert(), "Image data ends before the last pixel");

    Bytes missingPackets = header(10, 4, 1, 24);
    append(missingPackets, {0x80, 1, 2, 3}); // one of four pixels
    EXPECT_FALSE(decode(missingPackets).ok);

    Bytes raw = header(2, 2, 2, 24);
    append(raw, {1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(decode(raw).ok);

    // A huge promised image is refused before any allocation.
    Bytes huge = header(10, 65535, 65535, 32);
    append(huge, {0xFF, 1, 2, 3, 4});
    EXPECT_FALSE(decode(huge).ok);
    EXPECT_EQ(last_alert(), "Image data ends before the last pixel");
}

TEST(TgaDecode, HeaderChecksUseTheFixedTexts) {
    Bytes withId = header(10, 1, 1, 24);
    withId[0] = 1;
    EXPECT_FALSE(decode(withId).ok);
    EXPECT_EQ(last_alert(), "TGA file be type 2 or type 10 ");
    EXPECT_EQ(recorded_alerts().back().caption, "Invalid Image");

    Bytes paletted = header(1, 1, 1, 24);
    EXPECT_FALSE(decode(paletted).ok);
    EXPECT_EQ(last_alert(), "TGA file be type 2 or type 10 ");

    Bytes depth16 = header(10, 1, 1, 16);
    append(depth16, {0x80, 0, 0});
    EXPECT_FALSE(decode(depth16).ok);
    EXPECT_EQ(last_alert(), "Invalid texture information");

    Bytes zeroWidth = header(10, 0, 1, 24);
    EXPECT_FALSE(decode(zeroWidth).ok);
    EXPECT_EQ(last_alert(), "Invalid texture information");

    Bytes shortHeader = {0, 0, 10, 0};
    EXPECT_FALSE(decode(shortHeader).ok);

    TextureImage slot = {};
    EXPECT_FALSE(ParseTGAHeader(slot, nullptr, 0));
    EXPECT_EQ(last_alert(), "Could not load image resource");
}

TEST(TgaDecode, UncompressedImagesDecodeToo) {
    Bytes tga = header(2, 2, 1, 32);
    append(tga, {1, 2, 3, 4, 5, 6, 7, 8});
    Decoded d = decode(tga);
    ASSERT_TRUE(d.ok);
    const uint8_t expected[] = {3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(std::memcmp(d.slot.pixels, expected, sizeof expected), 0);
    free_tga_pixels(d.slot);
}

TEST(TgaDecode, EmbeddedGlyphImageIsFullSizeWithHardAlpha) {
    const EmbeddedData found = find_embedded(EmbeddedKind::Image, nullptr, IDR_GLYPH_IMAGE);
    ASSERT_NE(found.bytes, nullptr);
    const auto* data = static_cast<const uint8_t*>(found.bytes);
    const size_t size = found.size;
    EXPECT_EQ(data[2], 10); // run-length encoded
    EXPECT_EQ(data[17], 0x08);
    TextureImage slot = {};
    ASSERT_TRUE(ParseTGAHeader(slot, data, size)) << last_alert();
    EXPECT_EQ(slot.width, 1024u);
    EXPECT_EQ(slot.height, 1024u);
    EXPECT_EQ(slot.format, TGA_FORMAT_RGBA);
    size_t opaque = 0, other = 0;
    for (size_t i = 3; i < size_t(1024) * 1024 * 4; i += 4) {
        opaque += slot.pixels[i] == 255;
        other += slot.pixels[i] != 255 && slot.pixels[i] != 0;
    }
    EXPECT_EQ(other, 0u);
    EXPECT_GT(opaque, 1024u * 1024 / 20); // the glyphs cover a fair part of the image
    free_tga_pixels(slot);
}
