// The recording drawing table: matrix arithmetic in single precision, shapes with their
// model-view matrix and the current colour.
#include "draw_recorder.h"

#include <cmath>

static DrawRecorder* g_pRecorder;

Mat4 Mat4::identity() {
    Mat4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 Mat4::operator*(const Mat4& b) const {
    Mat4 r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    return r;
}

Vec3 Mat4::point(float x, float y, float z) const {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

Vec3 Mat4::vector(float x, float y, float z) const {
    return {m[0] * x + m[4] * y + m[8] * z, m[1] * x + m[5] * y + m[9] * z,
            m[2] * x + m[6] * y + m[10] * z};
}

static void multiply(const Mat4& t) {
    g_pRecorder->modelView = g_pRecorder->modelView * t;
}

static void APIENTRY rec_clear(GLbitfield mask) {
    if ((mask & GL_COLOR_BUFFER_BIT) && (mask & GL_DEPTH_BUFFER_BIT))
        ++g_pRecorder->clears;
}

static void APIENTRY rec_load_identity() {
    g_pRecorder->modelView = Mat4::identity();
}

static void APIENTRY rec_push() {
    g_pRecorder->stack.push_back(g_pRecorder->modelView);
}

static void APIENTRY rec_pop() {
    if (g_pRecorder->stack.empty()) {
        ++g_pRecorder->stackFaults;
        return;
    }
    g_pRecorder->modelView = g_pRecorder->stack.back();
    g_pRecorder->stack.pop_back();
}

static void APIENTRY rec_translate(GLfloat x, GLfloat y, GLfloat z) {
    Mat4 t = Mat4::identity();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    multiply(t);
}

// The rotation matrix of glRotatef, axis normalised, sine and cosine rounded to single.
static void APIENTRY rec_rotate(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len == 0.0f)
        return;
    x /= len;
    y /= len;
    z /= len;
    const double radians = static_cast<double>(angle) * 3.14159265358979323846 / 180.0;
    const float s = static_cast<float>(std::sin(radians));
    const float c = static_cast<float>(std::cos(radians));
    const float one_c = 1.0f - c;
    Mat4 r = Mat4::identity();
    r.m[0] = x * x * one_c + c;
    r.m[1] = y * x * one_c + z * s;
    r.m[2] = x * z * one_c - y * s;
    r.m[4] = x * y * one_c - z * s;
    r.m[5] = y * y * one_c + c;
    r.m[6] = y * z * one_c + x * s;
    r.m[8] = x * z * one_c + y * s;
    r.m[9] = y * z * one_c - x * s;
    r.m[10] = z * z * one_c + c;
    multiply(r);
}

static void APIENTRY rec_scale(GLfloat x, GLfloat y, GLfloat z) {
    Mat4 t = Mat4::identity();
    t.m[0] = x;
    t.m[5] = y;
    t.m[10] = z;
    multiply(t);
}

static void APIENTRY rec_color(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    g_pRecorder->color = {r, g, b, a};
}

static GLenum APIENTRY rec_get_error() {
    ++g_pRecorder->errorChecks;
    auto& pending = g_pRecorder->pendingErrors;
    if (pending.empty())
        return GL_NO_ERROR;
    const GLenum e = pending.front();
    pending.erase(pending.begin());
    return e;
}

static void record(ShapeKind kind, double base, double top, double height, int slices, int stacks) {
    DrawRecorder& r = *g_pRecorder;
    r.shapes.push_back({kind, base, top, height, slices, stacks, r.modelView, r.color,
                        static_cast<int>(r.stack.size())});
}

static void rec_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks) {
    record(ShapeKind::Cylinder, base, top, height, slices, stacks);
}

static void rec_sphere(GLdouble radius, GLint slices, GLint stacks) {
    record(ShapeKind::Sphere, radius, radius, 0.0, slices, stacks);
}

static void rec_swap() {
    ++g_pRecorder->swaps;
}

static const DrawOps RECORDING_OPS = {rec_clear,     rec_load_identity, rec_push,   rec_pop,
                                      rec_translate, rec_rotate,        rec_scale,  rec_color,
                                      rec_get_error, rec_cylinder,      rec_sphere, rec_swap};

DrawRecorder::DrawRecorder() : saved_(g_Draw) {
    g_pRecorder = this;
    g_Draw = RECORDING_OPS;
}

DrawRecorder::~DrawRecorder() {
    g_Draw = saved_;
    g_pRecorder = nullptr;
}

void DrawRecorder::clear_records() {
    shapes.clear();
    clears = errorChecks = swaps = stackFaults = 0;
}
