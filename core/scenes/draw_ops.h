// The drawing calls the scenes and the fades make, gathered in one table so that a test can
// put a recorder in place of OpenGL. Main thread only, with the OpenGL context current.
#pragma once

#include <GL/gl.h>

// Each entry has the meaning of the OpenGL or GLU call it stands for. The shapes are drawn with
// the shared quadric g_pQuadric, from display lists where the context can keep them
// (core/render/shape_lists.h); swap_buffers shows the finished frame.
struct DrawOps {
    void(APIENTRY* clear)(GLbitfield mask);
    void(APIENTRY* load_identity)();
    void(APIENTRY* push_matrix)();
    void(APIENTRY* pop_matrix)();
    void(APIENTRY* translate)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* rotate)(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* scale)(GLfloat x, GLfloat y, GLfloat z);
    void(APIENTRY* color)(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
    GLenum(APIENTRY* get_error)();
    void (*cylinder)(GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks);
    void (*sphere)(GLdouble radius, GLint slices, GLint stacks);
    void (*swap_buffers)();
};

// The table in use: the OpenGL entries themselves, unless a test has put its own in place.
extern DrawOps g_Draw;
// The OpenGL entries, for restoring g_Draw.
extern const DrawOps GL_DRAW_OPS;

// Rotations about the coordinate axes, in degrees, as the scenes write them.
inline void rotate_x(float angle) {
    g_Draw.rotate(angle, 1.0f, 0.0f, 0.0f);
}
inline void rotate_y(float angle) {
    g_Draw.rotate(angle, 0.0f, 1.0f, 0.0f);
}
inline void rotate_z(float angle) {
    g_Draw.rotate(angle, 0.0f, 0.0f, 1.0f);
}
