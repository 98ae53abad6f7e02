// The GLU entry points the core calls: the quadric object, the cylinder and the sphere drawn
// from their cached meshes, the perspective projection, and the mipmap chain of a texture.
#include "web/fixed_state.h"
#include "web/mipmaps.h"

#include <GL/glu.h>
#include <webgl/webgl1.h>

#include <cmath>

// Only filled quadrics with smooth normals and texture coordinates are drawn, as the scenes
// ask for; the settings are kept for form's sake.
struct GLUquadric {
    GLenum normals = GLU_SMOOTH;
    GLboolean texture = GL_FALSE;
};

static void draw_shape(const ShapeKey& key) {
    if (!renderer_draw_shape(key, fixed_draw_state()))
        fixed_record_error(GL_OUT_OF_MEMORY);
}

extern "C" {

GLUquadric* gluNewQuadric() {
    return new GLUquadric;
}

void gluDeleteQuadric(GLUquadric* quadric) {
    delete quadric;
}

void gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
    if (quadric)
        quadric->normals = normals;
}

void gluQuadricTexture(GLUquadric* quadric, GLboolean texture) {
    if (quadric)
        quadric->texture = texture;
}

void gluCylinder(GLUquadric* quadric, GLdouble base, GLdouble top, GLdouble height, GLint slices,
                 GLint stacks) {
    if (quadric)
        draw_shape({ShapeKind::Cylinder, base, top, height, slices, stacks});
}

void gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    if (quadric)
        draw_shape({ShapeKind::Sphere, radius, radius, 0.0, slices, stacks});
}

// Formed in double precision and multiplied onto the current matrix in single, as GLU hands
// its matrix to OpenGL.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    const float m[16] = {static_cast<float>(cotangent / aspect),
                         0,
                         0,
                         0,
                         0,
                         static_cast<float>(cotangent),
                         0,
                         0,
                         0,
                         0,
                         static_cast<float>(-(zFar + zNear) / deltaZ),
                         -1,
                         0,
                         0,
                         static_cast<float>(-2 * zNear * zFar / deltaZ),
                         0};
    fixed_mult_matrix(m);
}

// Uploads the image as level 0 and every halving of it down to 1 x 1. Only images whose sides
// are powers of two are taken (WebGL 1 has mipmaps for no others), in GL_RGB or GL_RGBA bytes.
GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
    const int components = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 0;
    if (!is_power_of_two(width) || !is_power_of_two(height))
        return GLU_INVALID_VALUE;
    if (components == 0 || type != GL_UNSIGNED_BYTE || !data)
        return GLU_INVALID_ENUM;
    // Rows of RGB texels are not 4-byte aligned below a width of 4.
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexImage2D(target, 0, format, width, height, 0, format, type, data);
    MipLevel level = halve_level(static_cast<const uint8_t*>(data), width, height, components);
    for (int n = 1; !level.texels.empty(); ++n) {
        emscripten_glTexImage2D(target, n, format, level.width, level.height, 0, format, type,
                                level.texels.data());
        level = halve_level(level.texels.data(), level.width, level.height, components);
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return 0;
}

} // extern "C"
