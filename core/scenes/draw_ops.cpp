// The drawing table's OpenGL entries: the library functions themselves where the signatures
// match, two thin calls that supply the shared quadric to GLU, and the platform's present.
#include "core/scenes/draw_ops.h"

#include "core/platform.h"
#include "core/render/gl_scene.h"

static void draw_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices,
                          GLint stacks) {
    gluCylinder(g_pQuadric, base, top, height, slices, stacks);
}

static void draw_sphere(GLdouble radius, GLint slices, GLint stacks) {
    gluSphere(g_pQuadric, radius, slices, stacks);
}

const DrawOps GL_DRAW_OPS = {glClear,      glLoadIdentity, glPushMatrix, glPopMatrix,
                             glTranslatef, glRotatef,      glScalef,     glColor4f,
                             glGetError,   draw_cylinder,  draw_sphere,  present_frame};

DrawOps g_Draw = GL_DRAW_OPS;
