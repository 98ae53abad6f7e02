// The scenes' shapes as display lists, one per distinct shape and context, made on first use.
#include "core/render/shape_lists.h"

#include "core/render/gl_scene.h"

namespace {

// One distinct shape: a sphere has base == top == radius and height 0.
struct ListedShape {
    bool sphere;
    GLdouble base, top, height;
    GLint slices, stacks;
    GLuint list; // 0: drawn in immediate mode in this context
};

// The scenes draw ten distinct shapes; any beyond this many are drawn in immediate mode.
constexpr int MAX_LISTED_SHAPES = 32;
ListedShape g_Listed[MAX_LISTED_SHAPES];
int g_nListed;
GLenum g_eHeldError = GL_NO_ERROR;

bool same_shape(const ListedShape& a, const ListedShape& b) {
    return a.sphere == b.sphere && a.base == b.base && a.top == b.top && a.height == b.height &&
           a.slices == b.slices && a.stacks == b.stacks;
}

void draw_immediate(const ListedShape& s) {
    if (s.sphere)
        gluSphere(g_pQuadric, s.base, s.slices, s.stacks);
    else
        gluCylinder(g_pQuadric, s.base, s.top, s.height, s.slices, s.stacks);
}

// The shape compiled into a new list, or 0. GL_COMPILE only stores the calls, so the shape is
// then drawn by calling the list, the same way as on every later frame. An error the element
// raised before is held for take_gl_error; the attempt's own errors are cleared, so that a
// shape that cannot be listed costs no frame.
GLuint compile(const ListedShape& s) {
    const GLenum pending = glGetError();
    if (g_eHeldError == GL_NO_ERROR)
        g_eHeldError = pending;
    const GLuint list = glGenLists(1);
    if (list == 0) {
        glGetError();
        return 0;
    }
    glNewList(list, GL_COMPILE);
    draw_immediate(s);
    glEndList();
    if (glGetError() == GL_NO_ERROR)
        return list;
    // Out of memory while storing it: the list is given up, and immediate mode then raises
    // whatever drawing the shape itself raises.
    glDeleteLists(list, 1);
    glGetError();
    return 0;
}

void draw_shape(const ListedShape& wanted) {
    if (!g_pQuadric) {
        draw_immediate(wanted);
        return;
    }
    for (int i = 0; i < g_nListed; ++i) {
        if (same_shape(g_Listed[i], wanted)) {
            if (g_Listed[i].list)
                glCallList(g_Listed[i].list);
            else
                draw_immediate(wanted);
            return;
        }
    }
    if (g_nListed == MAX_LISTED_SHAPES) {
        draw_immediate(wanted);
        return;
    }
    ListedShape& made = g_Listed[g_nListed++];
    made = wanted;
    made.list = compile(made);
    if (made.list)
        glCallList(made.list);
    else
        draw_immediate(made);
}

} // namespace

void draw_listed_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices,
                          GLint stacks) {
    draw_shape({false, base, top, height, slices, stacks, 0});
}

void draw_listed_sphere(GLdouble radius, GLint slices, GLint stacks) {
    draw_shape({true, radius, radius, 0.0, slices, stacks, 0});
}

GLenum APIENTRY take_gl_error() {
    const GLenum held = g_eHeldError;
    g_eHeldError = GL_NO_ERROR;
    return held != GL_NO_ERROR ? held : glGetError();
}

void release_shape_lists() {
    for (int i = 0; i < g_nListed; ++i)
        if (g_Listed[i].list)
            glDeleteLists(g_Listed[i].list, 1);
    g_nListed = 0;
    g_eHeldError = GL_NO_ERROR;
}
