// The drawing table's OpenGL entries: the library functions themselves where the signatures
// match, the shapes through their display lists, and the platform's present.
#include "core/scenes/draw_ops.h"

#include "core/platform.h"
#include "core/render/shape_lists.h"

const DrawOps GL_DRAW_OPS = {glClear,
                             glLoadIdentity,
                             glPushMatrix,
                             glPopMatrix,
                             glTranslatef,
                             glRotatef,
                             glScalef,
                             glColor4f,
                             take_gl_error,
                             draw_listed_cylinder,
                             draw_listed_sphere,
                             present_frame};

DrawOps g_Draw = GL_DRAW_OPS;
