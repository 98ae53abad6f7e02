// Hundredths encoding of the settings, with the read-side clamps.
#include "core/settings/value_codec.h"

#include "core/settings/module_params.h"

#include <cmath>
#include <limits>

int32_t encode_hundredths(float value) {
    const double scaled = std::trunc(static_cast<double>(value) * 100.0);
    if (std::isnan(scaled))
        return 0;
    if (scaled >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (scaled <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

float decode_hundredths(int32_t stored) {
    const float nearest = static_cast<float>(stored / 100.0);
    if (encode_hundredths(nearest) == stored)
        return nearest;
    // The nearest float fell on the zero side of the hundredth; the next one outwards lies
    // inside [stored, stored + 1) hundredths whenever floats are that dense (|value| < 80000).
    const float outward = std::nextafter(nearest, stored > 0 ? HUGE_VALF : -HUGE_VALF);
    return encode_hundredths(outward) == stored ? outward : nearest;
}

float speed_from_stored(int32_t stored) {
    const float speed = decode_hundredths(stored);
    if (speed < SPEED_MIN)
        return SPEED_MIN;
    if (speed > SPEED_MAX)
        return SPEED_MAX;
    return speed;
}
