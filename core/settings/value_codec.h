// How settings become 32-bit registry integers and back: hundredths, the missing-value
// sentinel and the clamps applied on reading. Plain values only, no registry calls.
#pragma once

#include <cstdint>

// A stored value equal to this counts as absent, exactly like a value that is not there.
constexpr int32_t REG_MISSING = -9999;

constexpr int DEFAULT_CYCLE_TIME = 15;

// The float widened to double, times 100, truncated toward zero: 12.15f is stored as 1214 and
// -157.7f as -15769. Values beyond the 32-bit range are held at its ends; NaN stores as 0.
int32_t encode_hundredths(float value);

// The stored hundredths as a float that encodes back to the same integer, so a value survives
// any number of save and load cycles once stored. That is the nearest float to stored / 100
// unless it lies just inside the hundredth (27.89f is 27.889999...), in which case the float
// one step further out is taken.
float decode_hundredths(int32_t stored);

// A stored speed, held between SPEED_MIN and SPEED_MAX.
float speed_from_stored(int32_t stored);
// Any stored switch above 0 counts as on.
inline bool switch_from_stored(int32_t stored) {
    return stored > 0;
}
// A negative cycle time means the default; 0 and large values stay as they are.
inline int cycle_time_from_stored(int32_t stored) {
    return stored < 0 ? DEFAULT_CYCLE_TIME : stored;
}
