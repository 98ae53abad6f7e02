// Pixel-format rating: the saver prefers hardware, double buffering and a shallow depth buffer.
#include "windows/render/pixel_format.h"

unsigned rate_pixel_format(const PIXELFORMATDESCRIPTOR& pfd, int colorBits) {
    const DWORD needed = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW;
    if (pfd.cColorBits != colorBits || (pfd.dwFlags & needed) != needed || pfd.cDepthBits <= 8 ||
        pfd.iPixelType != PFD_TYPE_RGBA)
        return 0;
    unsigned score = (pfd.dwFlags & PFD_DOUBLEBUFFER) ? 2 : 1;
    if (pfd.cDepthBits >= 16)
        score += 128 - pfd.cDepthBits;
    if (pfd.dwFlags & PFD_GENERIC_FORMAT)
        return score;
    return score + 1024;
}

int pick_pixel_format(int count, int systemChoice, int colorBits, DescribeFormatFn describe,
                      void* context) {
    if (systemChoice == 0)
        return 0;
    int best = systemChoice;
    unsigned bestScore = 0;
    for (int index = count; index >= 1; --index) {
        PIXELFORMATDESCRIPTOR pfd = {};
        if (!describe(context, index, &pfd))
            continue;
        const unsigned score = rate_pixel_format(pfd, colorBits);
        if (score > bestScore) {
            bestScore = score;
            best = index;
        }
    }
    return best;
}

PIXELFORMATDESCRIPTOR make_pixel_format_request(int colorBits, int depthBits) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(colorBits);
    pfd.cDepthBits = static_cast<BYTE>(depthBits);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

static bool describe_dc_format(void* context, int index, PIXELFORMATDESCRIPTOR* pfd) {
    return DescribePixelFormat(static_cast<HDC>(context), index, sizeof *pfd, pfd) != 0;
}

int choose_pixel_format_index(HDC hdc, int colorBits) {
    const PIXELFORMATDESCRIPTOR request = make_pixel_format_request(32, 24);
    PIXELFORMATDESCRIPTOR first = {};
    const int count = DescribePixelFormat(hdc, 1, sizeof first, &first);
    const int systemChoice = ChoosePixelFormat(hdc, &request);
    return pick_pixel_format(count, systemChoice, colorBits, describe_dc_format, hdc);
}
