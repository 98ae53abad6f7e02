// The hundredths encoding of the settings and the clamps applied when they are read.
#include "core/settings/module_params.h"
#include "core/settings/value_codec.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

TEST(RegistryCodec, TruncatesTheWidenedFloatTowardZero) {
    EXPECT_EQ(encode_hundredths(12.15f), 1214); // 12.15f lies just below 12.15
    EXPECT_EQ(encode_hundredths(27.9f), 2789);
    EXPECT_EQ(encode_hundredths(-157.7f), -15769);
    EXPECT_EQ(encode_hundredths(0.5f), 50);
    EXPECT_EQ(encode_hundredths(-0.004f), 0);
}

TEST(RegistryCodec, HoldsHugeAndInvalidValuesInsideTheIntegerRange) {
    EXPECT_EQ(encode_hundredths(1e30f), INT_MAX);
    EXPECT_EQ(encode_hundredths(-1e30f), INT_MIN);
    EXPECT_EQ(encode_hundredths(HUGE_VALF), INT_MAX);
    EXPECT_EQ(encode_hundredths(std::nanf("")), 0);
}

TEST(RegistryCodec, DecodesToTheHundredth) {
    EXPECT_FLOAT_EQ(decode_hundredths(1214), 12.14f);
    EXPECT_FLOAT_EQ(decode_hundredths(2789), 27.89f);
    EXPECT_FLOAT_EQ(decode_hundredths(-9998), -99.98f);
    EXPECT_EQ(decode_hundredths(0), 0.0f);
    EXPECT_EQ(decode_hundredths(1000), 10.0f);
}

// Every stored number a user can reach reads back as a float that stores as the same number,
// so the settings do not creep by a hundredth on every run.
TEST(RegistryCodec, StoredValuesSurviveAnyNumberOfCycles) {
    int unstable = 0;
    for (int32_t v = -10000000; v <= 10000000; ++v)
        unstable += encode_hundredths(decode_hundredths(v)) != v;
    EXPECT_EQ(unstable, 0);
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        init_module_defaults();
        const float fields[] = {g_ModDefaults[k].depth, g_ModDefaults[k].horz,
                                g_ModDefaults[k].vert,  g_ModDefaults[k].xrot,
                                g_ModDefaults[k].yrot,  g_ModDefaults[k].zrot,
                                g_ModDefaults[k].speed};
        for (float f : fields) {
            const int32_t first = encode_hundredths(f);
            EXPECT_EQ(encode_hundredths(decode_hundredths(first)), first) << "module " << k;
        }
    }
}

TEST(RegistryCodec, ReadRules) {
    EXPECT_EQ(speed_from_stored(0), SPEED_MIN);
    EXPECT_EQ(speed_from_stored(6), SPEED_MIN);
    EXPECT_EQ(speed_from_stored(5000), SPEED_MAX);
    EXPECT_EQ(speed_from_stored(1000), SPEED_MAX);
    EXPECT_FLOAT_EQ(speed_from_stored(43), 0.43f);
    EXPECT_FALSE(switch_from_stored(-3));
    EXPECT_FALSE(switch_from_stored(0));
    EXPECT_TRUE(switch_from_stored(7));
    EXPECT_EQ(cycle_time_from_stored(-1), 15);
    EXPECT_EQ(cycle_time_from_stored(0), 0);
    EXPECT_EQ(cycle_time_from_stored(123456), 123456);
}
