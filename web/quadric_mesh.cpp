// Cylinder and sphere vertices in GLU's order and single-precision arithmetic.
#include "web/quadric_mesh.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

// Sine and cosine of n equal steps of a full turn (or of half a turn), as floats of float
// angles; the last entry repeats the first (or is the exact pole), so that a strip closes on
// its own first vertex.
struct AngleTable {
    std::vector<float> sine, cosine;
};

AngleTable slice_angles(int slices) {
    AngleTable a;
    for (int i = 0; i < slices; ++i) {
        const float angle = static_cast<float>(2.0 * PI * i / slices);
        a.sine.push_back(std::sin(angle));
        a.cosine.push_back(std::cos(angle));
    }
    a.sine.push_back(a.sine[0]);
    a.cosine.push_back(a.cosine[0]);
    return a;
}

AngleTable stack_angles(int stacks) {
    AngleTable a;
    for (int j = 0; j < stacks; ++j) {
        const float angle = static_cast<float>(PI * j / stacks);
        a.sine.push_back(std::sin(angle));
        a.cosine.push_back(std::cos(angle));
    }
    a.sine.push_back(0.0f);
    a.cosine.push_back(-1.0f);
    return a;
}

} // namespace

QuadricMesh cylinder_mesh(double base, double top, double height, int slices, int stacks) {
    QuadricMesh mesh;
    if (slices < 2 || stacks < 1 || base < 0.0 || top < 0.0 || height < 0.0)
        return mesh;
    const AngleTable round = slice_angles(slices);
    // The normal leans along z as far as the radius narrows over the height.
    const float delta = static_cast<float>(base - top);
    const float h = static_cast<float>(height);
    const float length = std::sqrt(delta * delta + h * h);
    const float zNormal = length == 0.0f ? 0.0f : delta / length;
    const float xyNormal = length == 0.0f ? 1.0f : h / length;
    mesh.stripCount = stacks;
    mesh.stripLength = 2 * (slices + 1);
    mesh.vertices.reserve(static_cast<size_t>(mesh.stripCount) * mesh.stripLength);
    for (int j = 0; j < stacks; ++j) {
        const float zLow = static_cast<float>(j * height / stacks);
        const float zHigh = static_cast<float>((j + 1) * height / stacks);
        const float rLow = static_cast<float>(base - delta * (static_cast<float>(j) / stacks));
        const float rHigh = static_cast<float>(base - delta * (static_cast<float>(j + 1) / stacks));
        const float tLow = static_cast<float>(j) / stacks;
        const float tHigh = static_cast<float>(j + 1) / stacks;
        for (int i = 0; i <= slices; ++i) {
            const float sn = round.sine[i], cs = round.cosine[i];
            const float s = 1.0f - static_cast<float>(i) / slices;
            const float nx = sn * xyNormal, ny = cs * xyNormal;
            mesh.vertices.push_back({rLow * sn, rLow * cs, zLow, nx, ny, zNormal, s, tLow});
            mesh.vertices.push_back({rHigh * sn, rHigh * cs, zHigh, nx, ny, zNormal, s, tHigh});
        }
    }
    return mesh;
}

QuadricMesh sphere_mesh(double radius, int slices, int stacks) {
    QuadricMesh mesh;
    if (slices < 2 || stacks < 1 || radius < 0.0)
        return mesh;
    const AngleTable round = slice_angles(slices);
    const AngleTable pole = stack_angles(stacks);
    const float r = static_cast<float>(radius);
    mesh.stripCount = stacks;
    mesh.stripLength = 2 * (slices + 1);
    mesh.vertices.reserve(static_cast<size_t>(mesh.stripCount) * mesh.stripLength);
    // Each strip takes the ring below (j + 1) first, then the ring above (j).
    for (int j = 0; j < stacks; ++j) {
        const int rings[2] = {j + 1, j};
        for (int i = 0; i <= slices; ++i) {
            const float s = 1.0f - static_cast<float>(i) / slices;
            for (int ring : rings) {
                const float sinT = pole.sine[ring], cosT = pole.cosine[ring];
                const float t = 1.0f - static_cast<float>(ring) / stacks;
                const float rs = r * sinT, rc = r * cosT;
                mesh.vertices.push_back({rs * round.sine[i], rs * round.cosine[i], rc,
                                         sinT * round.sine[i], sinT * round.cosine[i], cosT, s, t});
            }
        }
    }
    return mesh;
}
