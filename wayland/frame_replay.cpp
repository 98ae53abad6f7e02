// The recording drawing table and its replay.
#include "wayland/frame_replay.h"

#include "core/scenes/draw_ops.h"

#include <vector>

namespace {

enum class Op { Clear, LoadIdentity, Push, Pop, Translate, Rotate, Scale, Color, Cylinder, Sphere };

struct Call {
    Op op;
    float f[4];  // translate, rotate, scale, colour
    double d[3]; // the shapes' sizes
    int n[2];    // the shapes' slices and stacks; the clear mask
};

std::vector<Call> g_Calls;
bool g_bPresented; // the recorded frame ended in a present
DrawOps g_Saved;   // the table the recording stands in for

void record(Call call) {
    g_Calls.push_back(call);
}

void APIENTRY rec_clear(GLbitfield mask) {
    g_Saved.clear(mask);
    record({Op::Clear, {}, {}, {int(mask), 0}});
}
void APIENTRY rec_load_identity() {
    g_Saved.load_identity();
    record({Op::LoadIdentity, {}, {}, {}});
}
void APIENTRY rec_push() {
    g_Saved.push_matrix();
    record({Op::Push, {}, {}, {}});
}
void APIENTRY rec_pop() {
    g_Saved.pop_matrix();
    record({Op::Pop, {}, {}, {}});
}
void APIENTRY rec_translate(GLfloat x, GLfloat y, GLfloat z) {
    g_Saved.translate(x, y, z);
    record({Op::Translate, {x, y, z, 0}, {}, {}});
}
void APIENTRY rec_rotate(GLfloat a, GLfloat x, GLfloat y, GLfloat z) {
    g_Saved.rotate(a, x, y, z);
    record({Op::Rotate, {a, x, y, z}, {}, {}});
}
void APIENTRY rec_scale(GLfloat x, GLfloat y, GLfloat z) {
    g_Saved.scale(x, y, z);
    record({Op::Scale, {x, y, z, 0}, {}, {}});
}
void APIENTRY rec_color(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    g_Saved.color(r, g, b, a);
    record({Op::Color, {r, g, b, a}, {}, {}});
}
GLenum APIENTRY rec_get_error() {
    return g_Saved.get_error();
}
void rec_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks) {
    g_Saved.cylinder(base, top, height, slices, stacks);
    record({Op::Cylinder, {}, {base, top, height}, {slices, stacks}});
}
void rec_sphere(GLdouble radius, GLint slices, GLint stacks) {
    g_Saved.sphere(radius, slices, stacks);
    record({Op::Sphere, {}, {radius, 0, 0}, {slices, stacks}});
}
void rec_swap() {
    g_bPresented = true;
    g_Saved.swap_buffers();
}

const DrawOps RECORDING_OPS = {rec_clear,     rec_load_identity, rec_push,   rec_pop,
                               rec_translate, rec_rotate,        rec_scale,  rec_color,
                               rec_get_error, rec_cylinder,      rec_sphere, rec_swap};

} // namespace

void start_frame_recording() {
    g_Calls.clear();
    g_bPresented = false;
    g_Saved = g_Draw;
    g_Draw = RECORDING_OPS;
}

void stop_frame_recording() {
    g_Draw = g_Saved;
}

bool replay_frame() {
    if (!g_bPresented)
        return false;
    for (const Call& c : g_Calls) {
        switch (c.op) {
        case Op::Clear:
            g_Draw.clear(GLbitfield(c.n[0]));
            break;
        case Op::LoadIdentity:
            g_Draw.load_identity();
            break;
        case Op::Push:
            g_Draw.push_matrix();
            break;
        case Op::Pop:
            g_Draw.pop_matrix();
            break;
        case Op::Translate:
            g_Draw.translate(c.f[0], c.f[1], c.f[2]);
            break;
        case Op::Rotate:
            g_Draw.rotate(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case Op::Scale:
            g_Draw.scale(c.f[0], c.f[1], c.f[2]);
            break;
        case Op::Color:
            g_Draw.color(c.f[0], c.f[1], c.f[2], c.f[3]);
            break;
        case Op::Cylinder:
            g_Draw.cylinder(c.d[0], c.d[1], c.d[2], c.n[0], c.n[1]);
            break;
        case Op::Sphere:
            g_Draw.sphere(c.d[0], c.n[0], c.n[1]);
            break;
        }
    }
    g_Draw.swap_buffers();
    return true;
}
