// The shapes drawn from their display lists give the same pixels as drawn in immediate mode, for
// frames of every module, on Mesa in an off-screen context of the test's own (no display).
#include "core/render/gl_scene.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/flip_module.h"
#include "core/scenes/random_generator.h"
#include "core/settings/module_params.h"
#include "tests/core/scene_test_support.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr int WIDTH = 160, HEIGHT = 120, FRAME_BYTES = WIDTH * HEIGHT * 3;

// The first and the fourth frame of module k from its start, drawn through ops.
std::vector<unsigned char> frames_of(int k, const DrawOps& ops) {
    g_Draw = ops;
    reset_scenes({k});
    g_Flip = {}; // kept for the life of the process
    load_module_params(k);
    seed_random(1704067200u);
    std::vector<unsigned char> pixels(2 * FRAME_BYTES);
    for (int f = 0; f < 4; ++f) {
        EXPECT_TRUE(draw_module(k)) << "module " << k << " frame " << f;
        if (f % 3 == 0)
            glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE,
                         &pixels[f / 3 * FRAME_BYTES]);
    }
    g_Draw = GL_DRAW_OPS;
    return pixels;
}

} // namespace

TEST(ShapeLists, DrawTheSamePixelsAsImmediateMode) {
    auto platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    EGLDisplay display =
        platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    // clang-format off
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, 8, EGL_DEPTH_SIZE, 16, EGL_NONE};
    // clang-format on
    const EGLint size[] = {EGL_WIDTH, WIDTH, EGL_HEIGHT, HEIGHT, EGL_NONE};
    EGLConfig config;
    EGLint found = 0;
    ASSERT_TRUE(eglInitialize(display, nullptr, nullptr) && eglBindAPI(EGL_OPENGL_API) &&
                eglChooseConfig(display, wanted, &config, 1, &found) && found == 1);
    EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    ASSERT_TRUE(eglMakeCurrent(display, surface, surface,
                               eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr)));
    resize_gl_scene(WIDTH, HEIGHT);
    ASSERT_TRUE(init_gl_state());

    DrawOps immediate_ops = GL_DRAW_OPS; // the shapes straight through GLU, as before lists
    immediate_ops.cylinder = [](GLdouble b, GLdouble t, GLdouble h, GLint sl, GLint st) {
        gluCylinder(g_pQuadric, b, t, h, sl, st);
    };
    immediate_ops.sphere = [](GLdouble r, GLint sl, GLint st) { gluSphere(g_pQuadric, r, sl, st); };
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        std::vector<unsigned char> listed, immediate;
        // Modules 19 and 20 seed from the clock on their first frame: both runs in one second.
        for (std::time_t start = 0; start != std::time(nullptr);) {
            start = std::time(nullptr);
            listed = frames_of(k, GL_DRAW_OPS);
            immediate = frames_of(k, immediate_ops);
        }
        EXPECT_TRUE(listed == immediate) << "module " << k;
        EXPECT_LT(std::count(listed.begin(), listed.end(), 0), long(listed.size()) * 99 / 100)
            << "module " << k << " drew nearly nothing";
    }
    EXPECT_TRUE(glIsList(1)) << "no shape was compiled";
    release_gl_state();
    eglTerminate(display);
}
