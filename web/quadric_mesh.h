// The vertices of the quadric shapes the scenes draw, a cylinder and a sphere, generated as GLU
// generates them for a filled quadric with smooth normals and texture coordinates: the same
// quad strips in the same order, with the same single-precision positions, normals and texture
// coordinates. Plain values only, so a native test compares them with what GLU emits.
#pragma once

#include <vector>

struct MeshVertex {
    float x, y, z;    // position
    float nx, ny, nz; // normal
    float s, t;       // texture coordinates
};

// stripCount quad strips of stripLength vertices each, one after the other.
struct QuadricMesh {
    std::vector<MeshVertex> vertices;
    int stripCount = 0;
    int stripLength = 0;
};

// gluCylinder: a tube along z from 0 to height, radius base at z = 0 and top at z = height,
// one strip per stack, each going round the slices from the +y axis towards +x.
QuadricMesh cylinder_mesh(double base, double top, double height, int slices, int stacks);
// gluSphere: centred on the origin, one strip per stack from the +z pole down to the -z pole.
QuadricMesh sphere_mesh(double radius, int slices, int stacks);
