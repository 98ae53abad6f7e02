// A stand-in for OpenGL in the drawing table: keeps its own model-view matrix stack in single
// precision, as OpenGL does, and records every shape with the matrix it was drawn with.
#pragma once

#include "core/scenes/draw_ops.h"

#include <array>
#include <vector>

struct Vec3 {
    float x, y, z;
};

// Column-major 4 x 4 matrix, laid out like OpenGL's.
struct Mat4 {
    std::array<float, 16> m;
    static Mat4 identity();
    Mat4 operator*(const Mat4& right) const;
    Vec3 point(float x, float y, float z) const;  // transforms (x, y, z, 1)
    Vec3 vector(float x, float y, float z) const; // transforms (x, y, z, 0)
    Vec3 origin() const { return point(0, 0, 0); }
};

enum class ShapeKind { Cylinder, Sphere };

struct RecordedShape {
    ShapeKind kind;
    double base, top, height; // cylinder; a sphere's radius is in base
    int slices, stacks;
    Mat4 modelView; // at the moment of drawing
    std::array<float, 4> color;
    int stackDepth; // matrices pushed at the moment of drawing
};

// While it exists, every g_Draw call goes to it. One at a time.
class DrawRecorder {
  public:
    DrawRecorder();
    ~DrawRecorder();
    DrawRecorder(const DrawRecorder&) = delete;
    DrawRecorder& operator=(const DrawRecorder&) = delete;

    std::vector<RecordedShape> shapes;
    int clears = 0;                    // glClear calls with both colour and depth bits
    int errorChecks = 0;               // glGetError calls
    int swaps = 0;                     // SwapBuffers calls
    int stackFaults = 0;               // pops of an empty stack
    std::vector<GLenum> pendingErrors; // what the next glGetError calls report, front first
    std::array<float, 4> color = {1, 1, 1, 1};
    Mat4 modelView = Mat4::identity();
    std::vector<Mat4> stack;

    // Forgets what was recorded; the matrix and colour stay.
    void clear_records();

  private:
    DrawOps saved_;
};
