// The shapes drawn from their display lists give the same pixels as drawn in immediate mode, for
// frames of every module, on Mesa in an off-screen context of the test's own (no display).
#include "core/render/gl_scene.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/random_generator.h"
#include "core/settings/module_params.h"
#include "tests/core/scene_test_support.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace {

constexpr int WIDTH = 160, HEIGHT = 120;

void immediate_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks) {
    gluCylinder(g_pQuadric, base, top, height, slices, stacks);
}

void immediate_sphere(GLdouble radius, GLint slices, GLint stacks) {
    gluSphere(g_pQuadric, radius, slices, stacks);
}

// The first and the fourth frame of module k from its start, as RGBA bytes.
std::vector<unsigned char> frames_of(int k) {
    reset_scenes({k});
    load_module_params(k);
    seed_random(1704067200u);
    std::vector<unsigned char> pixels;
    for (int f = 0; f < 4; ++f) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        EXPECT_TRUE(draw_module(k)) << "module " << k << " frame " << f;
        if (f == 0 || f == 3) {
            pixels.resize(pixels.size() + WIDTH * HEIGHT * 4);
            glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE,
                         pixels.data() + pixels.size() - WIDTH * HEIGHT * 4);
        }
    }
    return pixels;
}

} // namespace

TEST(ShapeLists, DrawTheSamePixelsAsImmediateModeAndGoWithTheGlState) {
    auto get_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    ASSERT_TRUE(get_display);
    EGLDisplay display = get_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    ASSERT_TRUE(eglInitialize(display, nullptr, nullptr));
    const EGLint wanted[] = {EGL_SURFACE_TYPE,
                             EGL_PBUFFER_BIT,
                             EGL_RENDERABLE_TYPE,
                             EGL_OPENGL_BIT,
                             EGL_RED_SIZE,
                             8,
                             EGL_DEPTH_SIZE,
                             16,
                             EGL_NONE};
    const EGLint size[] = {EGL_WIDTH, WIDTH, EGL_HEIGHT, HEIGHT, EGL_NONE};
    EGLConfig config;
    EGLint found = 0;
    ASSERT_TRUE(eglChooseConfig(display, wanted, &config, 1, &found) && found == 1);
    EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    eglBindAPI(EGL_OPENGL_API);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    ASSERT_TRUE(eglMakeCurrent(display, surface, surface, context));
    resize_gl_scene(WIDTH, HEIGHT);
    ASSERT_TRUE(init_gl_state());

    for (int k = 1; k <= MODULE_COUNT; ++k) {
        // Modules 19 and 20 seed from the clock on their first frame: both runs in one second.
        std::vector<unsigned char> listed, immediate;
        for (int tries = 0; tries < 3; ++tries) {
            const std::time_t start = std::time(nullptr);
            listed = frames_of(k);
            g_Draw.cylinder = immediate_cylinder;
            g_Draw.sphere = immediate_sphere;
            immediate = frames_of(k);
            g_Draw = GL_DRAW_OPS;
            if (std::time(nullptr) == start)
                break;
        }
        size_t differing = 0, lit = 0;
        for (size_t i = 0; i < listed.size(); ++i) {
            differing += listed[i] != immediate[i];
            lit += listed[i] != 0 && i % 4 != 3;
        }
        EXPECT_EQ(differing, 0u) << "module " << k;
        EXPECT_GT(lit, listed.size() / 100) << "module " << k << " drew nearly nothing";
    }
    EXPECT_TRUE(glIsList(1)) << "no shape was compiled";
    release_gl_state();
    EXPECT_FALSE(glIsList(1)) << "the lists outlive the GL state";
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
    eglDestroySurface(display, surface);
    eglTerminate(display);
}
