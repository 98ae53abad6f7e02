// Pixel-format rating and the choice among a device context's formats.
#include "windows/render/pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

PIXELFORMATDESCRIPTOR format(int depthBits, bool doubleBuffer, bool software, int colorBits = 32) {
    PIXELFORMATDESCRIPTOR pfd = make_pixel_format_request(colorBits, depthBits);
    if (!doubleBuffer)
        pfd.dwFlags &= ~PFD_DOUBLEBUFFER;
    if (software)
        pfd.dwFlags |= PFD_GENERIC_FORMAT;
    return pfd;
}

bool describe_list(void* context, int index, PIXELFORMATDESCRIPTOR* pfd) {
    auto& list = *static_cast<std::vector<PIXELFORMATDESCRIPTOR>*>(context);
    if (index < 1 || index > int(list.size()))
        return false;
    *pfd = list[index - 1];
    return true;
}

int pick(std::vector<PIXELFORMATDESCRIPTOR> list, int systemChoice) {
    return pick_pixel_format(int(list.size()), systemChoice, 32, describe_list, &list);
}

} // namespace

TEST(RatePixelFormat, PrefersHardwareDoubleBufferingAndShallowDepth) {
    EXPECT_EQ(rate_pixel_format(format(16, true, false), 32), 1138u);
    EXPECT_EQ(rate_pixel_format(format(24, true, false), 32), 1130u);
    EXPECT_EQ(rate_pixel_format(format(32, true, false), 32), 1122u);
    EXPECT_EQ(rate_pixel_format(format(16, true, true), 32), 114u);
    EXPECT_EQ(rate_pixel_format(format(24, false, false), 32), 1129u);
    // Depth of 9 to 15 bits adds nothing beyond the buffering score.
    EXPECT_EQ(rate_pixel_format(format(12, true, true), 32), 2u);
}

TEST(RatePixelFormat, UnusableFormatsScoreZero) {
    EXPECT_EQ(rate_pixel_format(format(24, true, false, 16), 32), 0u); // colour bits differ
    EXPECT_EQ(rate_pixel_format(format(8, true, false), 32), 0u);
    EXPECT_EQ(rate_pixel_format(format(0, true, false), 32), 0u);
    PIXELFORMATDESCRIPTOR palette = format(24, true, false);
    palette.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(rate_pixel_format(palette, 32), 0u);
    PIXELFORMATDESCRIPTOR bitmapOnly = format(24, true, false);
    bitmapOnly.dwFlags &= ~PFD_DRAW_TO_WINDOW;
    EXPECT_EQ(rate_pixel_format(bitmapOnly, 32), 0u);
    PIXELFORMATDESCRIPTOR noGl = format(24, true, false);
    noGl.dwFlags &= ~PFD_SUPPORT_OPENGL;
    EXPECT_EQ(rate_pixel_format(noGl, 32), 0u);
}

TEST(PickPixelFormat, BestScoreWinsAndTiesKeepTheHighestIndex) {
    // 1: hw 24-bit, 2: hw 16-bit, 3: sw 16-bit, 4: hw single-buffered 16-bit
    EXPECT_EQ(pick({format(24, true, false), format(16, true, false), format(16, true, true),
                    format(16, false, false)},
                   1),
              2);
    EXPECT_EQ(pick({format(16, true, false), format(16, true, false)}, 1), 2);
    // Any hardware format beats software, even single-buffered.
    EXPECT_EQ(pick({format(16, true, true), format(32, false, false)}, 1), 2);
}

TEST(PickPixelFormat, FallsBackToTheSystemChoice) {
    EXPECT_EQ(pick({format(8, true, false), format(24, true, false, 16)}, 2), 2);
    EXPECT_EQ(pick({}, 5), 5);                        // no formats counted
    EXPECT_EQ(pick({format(24, true, false)}, 0), 0); // the system found nothing
}
