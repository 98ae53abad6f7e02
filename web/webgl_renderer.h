// The WebGL 1 side of the page's OpenGL subset: one shader program that does what the fixed
// state the scenes rely on does (the transform, the texture modulated by the current colour,
// the alpha test), and the quadric meshes kept in buffers. Main thread only, with the page's
// WebGL context current.
#pragma once

#include "web/quadric_mesh.h"

// What the shader reads at each draw: the fixed-function state the GL entry points keep.
struct DrawState {
    const float* modelViewProjection; // 16 floats, column-major
    const float* color;               // r, g, b, a
    bool texturing;                   // GL_TEXTURE_2D enabled: the bound texture modulates
    bool alphaTest;                   // GL_ALPHA_TEST enabled with GL_GREATER
    float alphaReference;
};

enum class ShapeKind { Cylinder, Sphere };

// The quadric shape drawn by its arguments (a sphere's radius in base); its mesh is made and
// uploaded on first use and kept.
struct ShapeKey {
    ShapeKind kind;
    double base, top, height;
    int slices, stacks;
    bool operator==(const ShapeKey& o) const {
        return kind == o.kind && base == o.base && top == o.top && height == o.height &&
               slices == o.slices && stacks == o.stacks;
    }
};

// Draws the shape. False when the shader or the buffers cannot be made (a lost context).
bool renderer_draw_shape(const ShapeKey& shape, const DrawState& state);

// Forgets every WebGL object it made, without deleting them: after the context was lost they
// are gone already, and the next draw makes them anew in the restored context.
void renderer_forget();
