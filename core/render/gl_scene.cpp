// The projection and the fixed OpenGL state that every scene relies on, on any platform.
#include "core/render/gl_scene.h"

#include "core/render/shape_lists.h"
#include "core/scenes/texture_loader.h"
#include "resources/resource_ids.h"

GLUquadricObj* g_pQuadric;
const float g_fFieldOfView = 50.0f;

void resize_gl_scene(int width, int height, int x, int y) {
    if (height == 0)
        height = 1;
    glViewport(x, y, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(g_fFieldOfView, GLdouble(width) / GLdouble(height), 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool init_gl_state() {
    if (!LoadTGA(IDR_GLYPH_IMAGE, GLYPH_TEXTURE))
        return false;
    glBindTexture(GL_TEXTURE_2D, g_Textures[GLYPH_TEXTURE].texId);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // Fully transparent texels are discarded, so only the glyphs show on each shape.
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_TEXTURE_2D);
    g_pQuadric = gluNewQuadric();
    if (!g_pQuadric)
        return false; // out of memory, or no GLU
    gluQuadricNormals(g_pQuadric, GLU_SMOOTH);
    gluQuadricTexture(g_pQuadric, GL_TRUE);
    return true;
}

void release_gl_state() {
    release_shape_lists();
    if (g_pQuadric)
        gluDeleteQuadric(g_pQuadric);
    g_pQuadric = nullptr;
}
