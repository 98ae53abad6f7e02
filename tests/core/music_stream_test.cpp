// Player URLs and the in-memory stream callbacks the decoder reads resources through.
#include <gtest/gtest.h>

#include <cstring>

#include "core/music/player_url.h"
#include "core/music/resource_stream.h"

TEST(PlayerUrl, ResourceNamesNumbersAndFiles) {
    PlayerUrl url;
    ASSERT_TRUE(parse_player_url("res://TESTOGG", &url));
    EXPECT_EQ(url.kind, URL_RESOURCE_NAME);
    EXPECT_STREQ(url.name, "TESTOGG");

    ASSERT_TRUE(parse_player_url("res://#16", &url));
    EXPECT_EQ(url.kind, URL_RESOURCE_ID);
    EXPECT_EQ(url.id, 16);
    ASSERT_TRUE(parse_player_url("res://#0x10", &url));
    EXPECT_EQ(url.id, 16);
    ASSERT_TRUE(parse_player_url("res://#020", &url)); // octal, as "%i" reads it
    EXPECT_EQ(url.id, 16);
    ASSERT_TRUE(parse_player_url("res://#65552", &url)); // only the low 16 bits name it
    EXPECT_EQ(url.id, 16);
    ASSERT_TRUE(parse_player_url("res://#-1", &url));
    EXPECT_EQ(url.id, 0xFFFF);

    // The prefix is case-sensitive: anything else is a file path, taken whole.
    ASSERT_TRUE(parse_player_url("RES://TESTOGG", &url));
    EXPECT_EQ(url.kind, URL_FILE);
    EXPECT_STREQ(url.name, "RES://TESTOGG");
    ASSERT_TRUE(parse_player_url("C:\\music\\tune.ogg", &url));
    EXPECT_EQ(url.kind, URL_FILE);
    ASSERT_TRUE(parse_player_url("res:/TESTOGG", &url));
    EXPECT_EQ(url.kind, URL_FILE);
}

TEST(PlayerUrl, NumberSignWithoutNumberFails) {
    PlayerUrl url;
    EXPECT_FALSE(parse_player_url("res://#abc", &url));
    EXPECT_FALSE(parse_player_url("res://#", &url));
    EXPECT_FALSE(parse_player_url("res://# ", &url));
}

namespace {
const unsigned char DATA[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
ResourceStream stream_at(uint32_t position) {
    return ResourceStream{position, sizeof DATA, DATA};
}
} // namespace

TEST(ResourceStream, ReadsCountBytesAndStopAtTheEnd) {
    ResourceStream s = stream_at(0);
    unsigned char out[16] = {};
    EXPECT_EQ(resource_read(out, 2, 3, &s), 6u); // a byte count, not an item count
    EXPECT_EQ(std::memcmp(out, DATA, 6), 0);
    EXPECT_EQ(s.position, 6u);

    std::memset(out, 0xEE, sizeof out);
    EXPECT_EQ(resource_read(out, 1, 8, &s), 4u); // straddles the end: only what is left
    EXPECT_EQ(std::memcmp(out, DATA + 6, 4), 0);
    EXPECT_EQ(out[4], 0xEE);
    EXPECT_EQ(s.position, 10u);
    EXPECT_EQ(resource_read(out, 1, 8, &s), 0u); // at the end
    EXPECT_EQ(s.position, 10u);

    // A request so large that position + size would wrap still stops at the end.
    s = stream_at(4);
    EXPECT_EQ(resource_read(out, 1, SIZE_MAX - 2, &s), 6u);
    s = stream_at(4);
    EXPECT_EQ(resource_read(out, SIZE_MAX / 2, 4, &s), 6u);
}

TEST(ResourceStream, SeekOriginsAndPastTheEnd) {
    ResourceStream s = stream_at(3);
    EXPECT_EQ(resource_seek(&s, 5, 0), 0);
    EXPECT_EQ(resource_tell(&s), 5);
    EXPECT_EQ(resource_seek(&s, 2, 1), 0);
    EXPECT_EQ(resource_tell(&s), 7);
    EXPECT_EQ(resource_seek(&s, -3, 1), 0);
    EXPECT_EQ(resource_tell(&s), 4);
    EXPECT_EQ(resource_seek(&s, -2, 2), 0);
    EXPECT_EQ(resource_tell(&s), 8);
    EXPECT_EQ(resource_seek(&s, 0, 2), 0);
    EXPECT_EQ(resource_tell(&s), 10);
    EXPECT_EQ(resource_seek(&s, 1, 3), -1); // unknown origin: position unchanged
    EXPECT_EQ(resource_tell(&s), 10);

    // Past the end is allowed; reads there deliver nothing and leave the position.
    unsigned char out[4];
    EXPECT_EQ(resource_seek(&s, 25, 0), 0);
    EXPECT_EQ(resource_read(out, 1, 4, &s), 0u);
    EXPECT_EQ(resource_tell(&s), 25);
    // Only the low 32 bits of the offset count.
    EXPECT_EQ(resource_seek(&s, (int64_t(1) << 32) + 2, 0), 0);
    EXPECT_EQ(resource_tell(&s), 2);
}

TEST(ResourceStream, NullStreamAndClose) {
    unsigned char out[4];
    EXPECT_EQ(resource_read(out, 1, 4, nullptr), 0u);
    EXPECT_EQ(resource_seek(nullptr, 0, 0), -1);
    EXPECT_EQ(resource_tell(nullptr), -1);
    EXPECT_EQ(resource_close(nullptr), -1);
    EXPECT_EQ(resource_close(new ResourceStream{0, sizeof DATA, DATA}), 0);
}
