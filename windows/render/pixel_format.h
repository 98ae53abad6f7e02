// Rating and choice of the pixel format the OpenGL context is made with.
#pragma once

#include <windows.h>

// 0 for a format the saver cannot use; otherwise higher is better: double buffering, then
// fewer depth bits (from 16 up), and any hardware format above every software one.
unsigned rate_pixel_format(const PIXELFORMATDESCRIPTOR& pfd, int colorBits);

// Describes pixel format index (1-based) into pfd; false when it cannot.
using DescribeFormatFn = bool (*)(void* context, int index, PIXELFORMATDESCRIPTOR* pfd);

// The best-rated of count formats, scanning from the highest index down so that equal scores
// keep the highest index; systemChoice when none rates above 0 or count is 0; 0 when the
// system found nothing.
int pick_pixel_format(int count, int systemChoice, int colorBits, DescribeFormatFn describe,
                      void* context);

// The chosen format of a device context, 0 for none.
int choose_pixel_format_index(HDC hdc, int colorBits);

// The descriptor shape every request uses: size 40, version 1, window drawing with OpenGL and
// double buffering, RGBA.
PIXELFORMATDESCRIPTOR make_pixel_format_request(int colorBits, int depthBits);
