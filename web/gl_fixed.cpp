// The OpenGL 1.1 entry points the core calls, over WebGL 1: the matrix stacks and the current
// colour are kept here in single precision, as OpenGL keeps them; the rest passes to WebGL or
// to the shader's state.
#include "web/fixed_state.h"

#include <webgl/webgl1.h>

#include <cmath>
#include <cstring>

namespace {

struct Matrix {
    float m[16];
};

constexpr Matrix IDENTITY = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
constexpr int STACK_DEPTH = 32; // OpenGL's least model-view stack depth

struct MatrixStack {
    Matrix entries[STACK_DEPTH] = {IDENTITY};
    int top = 0;
    Matrix& current() { return entries[top]; }
};

MatrixStack g_ModelView, g_Projection;
MatrixStack* g_pCurrentStack = &g_ModelView;
float g_Color[4] = {1, 1, 1, 1};
bool g_bTexturing, g_bAlphaTest;
GLenum g_nAlphaFunc = GL_ALWAYS;
float g_fAlphaReference;
GLenum g_nError = GL_NO_ERROR;
Matrix g_ModelViewProjection;

// a * b, both column-major, in single precision.
Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    return r;
}

void multiply_current(const Matrix& t) {
    Matrix& c = g_pCurrentStack->current();
    c = multiply(c, t);
}

} // namespace

void fixed_mult_matrix(const float m[16]) {
    Matrix t;
    std::memcpy(t.m, m, sizeof t.m);
    multiply_current(t);
}

DrawState fixed_draw_state() {
    g_ModelViewProjection = multiply(g_Projection.current(), g_ModelView.current());
    // Only GL_GREATER among the alpha functions is ever asked for; any other passes everything.
    return {g_ModelViewProjection.m, g_Color, g_bTexturing,
            g_bAlphaTest && g_nAlphaFunc == GL_GREATER, g_fAlphaReference};
}

void fixed_record_error(GLenum error) {
    if (g_nError == GL_NO_ERROR)
        g_nError = error;
}

extern "C" {

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW)
        g_pCurrentStack = &g_ModelView;
    else if (mode == GL_PROJECTION)
        g_pCurrentStack = &g_Projection;
    else
        fixed_record_error(GL_INVALID_ENUM);
}

void glLoadIdentity() {
    g_pCurrentStack->current() = IDENTITY;
}

void glPushMatrix() {
    MatrixStack& s = *g_pCurrentStack;
    if (s.top + 1 >= STACK_DEPTH) {
        fixed_record_error(GL_STACK_OVERFLOW);
        return;
    }
    s.entries[s.top + 1] = s.entries[s.top];
    ++s.top;
}

void glPopMatrix() {
    MatrixStack& s = *g_pCurrentStack;
    if (s.top == 0) {
        fixed_record_error(GL_STACK_UNDERFLOW);
        return;
    }
    --s.top;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix t = IDENTITY;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    multiply_current(t);
}

// The rotation by angle degrees about the axis (x, y, z), normalised; an axis of length 0
// leaves the matrix as it is.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length;
    y /= length;
    z /= length;
    const double radians = static_cast<double>(angle) * 3.14159265358979323846 / 180.0;
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    const float one_c = 1.0f - c;
    Matrix r = IDENTITY;
    r.m[0] = x * x * one_c + c;
    r.m[1] = y * x * one_c + z * s;
    r.m[2] = x * z * one_c - y * s;
    r.m[4] = x * y * one_c - z * s;
    r.m[5] = y * y * one_c + c;
    r.m[6] = y * z * one_c + x * s;
    r.m[8] = x * z * one_c + y * s;
    r.m[9] = y * z * one_c - x * s;
    r.m[10] = z * z * one_c + c;
    multiply_current(r);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    Matrix t = IDENTITY;
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    multiply_current(t);
}

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    g_Color[0] = r;
    g_Color[1] = g;
    g_Color[2] = b;
    g_Color[3] = a;
}

// The smooth shading of one colour per shape looks the same as flat shading.
void glShadeModel(GLenum) {}

void glAlphaFunc(GLenum func, GLclampf ref) {
    g_nAlphaFunc = func;
    g_fAlphaReference = ref;
}

static void set_capability(GLenum cap, bool on) {
    if (cap == GL_ALPHA_TEST)
        g_bAlphaTest = on;
    else if (cap == GL_TEXTURE_2D)
        g_bTexturing = on;
    else if (on)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
}

void glEnable(GLenum cap) {
    set_capability(cap, true);
}

void glDisable(GLenum cap) {
    set_capability(cap, false);
}

void glClear(GLbitfield mask) {
    emscripten_glClear(mask);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    emscripten_glClearColor(r, g, b, a);
}

void glClearDepth(GLclampd depth) {
    emscripten_glClearDepthf(static_cast<GLfloat>(depth));
}

void glDepthFunc(GLenum func) {
    emscripten_glDepthFunc(func);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    emscripten_glViewport(x, y, width, height);
}

void glGenTextures(GLsizei n, GLuint* textures) {
    emscripten_glGenTextures(n, textures);
}

void glBindTexture(GLenum target, GLuint texture) {
    emscripten_glBindTexture(target, texture);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    emscripten_glTexParameteri(target, name, value);
}

// No display lists: the page's shapes are meshes built once already (web/quadric_mesh.cpp), so
// a request for a list is answered with none and the core draws each shape directly.
GLuint glGenLists(GLsizei) {
    return 0;
}

void glNewList(GLuint, GLenum) {}

void glEndList() {}

void glCallList(GLuint) {}

void glDeleteLists(GLuint, GLsizei) {}

// The first error this layer noted since the last call, else WebGL's.
GLenum glGetError() {
    const GLenum e = g_nError;
    g_nError = GL_NO_ERROR;
    return e != GL_NO_ERROR ? e : emscripten_glGetError();
}

} // extern "C"
