// The shader program and the quadric meshes' buffers of the page's OpenGL subset.
#include "web/webgl_renderer.h"

#include <webgl/webgl1.h>

#include <cstdint>
#include <vector>

namespace {

// Positions and texture coordinates reach the shader; the normals would only serve lighting,
// which the scenes never enable.
const char* const VERTEX_SHADER = R"(
attribute vec3 aPosition;
attribute vec2 aTexCoord;
uniform mat4 uModelViewProjection;
varying vec2 vTexCoord;
void main() {
    vTexCoord = aTexCoord;
    gl_Position = uModelViewProjection * vec4(aPosition, 1.0);
}
)";

// The current colour modulates the texel (the default texture environment), and the alpha
// test passes only alpha greater than the reference, so transparent texels leave no trace,
// also in the depth buffer.
const char* const FRAGMENT_SHADER = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D uTexture;
uniform vec4 uColor;
uniform float uTexturing;
uniform float uAlphaTest;
uniform float uAlphaReference;
varying vec2 vTexCoord;
void main() {
    vec4 texel = mix(vec4(1.0), texture2D(uTexture, vTexCoord), uTexturing);
    vec4 colour = uColor * texel;
    if (uAlphaTest > 0.5 && colour.a <= uAlphaReference)
        discard;
    gl_FragColor = colour;
}
)";

struct Program {
    GLuint id = 0;
    GLint position, texCoord;
    GLint modelViewProjection, color, texturing, alphaTest, alphaReference, texture;
};

struct MeshBuffers {
    ShapeKey key;
    GLuint vertices, indices;
    GLsizei indexCount;
};

Program g_Program;
std::vector<MeshBuffers> g_Meshes; // the few shapes the modules draw, in order of first use
constexpr size_t MESH_LIMIT = 64;  // beyond this many shapes, the oldest is made anew

GLuint compile(GLenum type, const char* source) {
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        emscripten_glDeleteShader(shader);
        return 0;
    }
    return shader;
}

bool make_program() {
    if (g_Program.id)
        return true;
    const GLuint vs = compile(GL_VERTEX_SHADER, VERTEX_SHADER);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    if (!vs || !fs)
        return false;
    const GLuint id = emscripten_glCreateProgram();
    emscripten_glAttachShader(id, vs);
    emscripten_glAttachShader(id, fs);
    emscripten_glLinkProgram(id);
    emscripten_glDeleteShader(vs);
    emscripten_glDeleteShader(fs);
    GLint ok = 0;
    emscripten_glGetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        emscripten_glDeleteProgram(id);
        return false;
    }
    Program p;
    p.id = id;
    p.position = emscripten_glGetAttribLocation(id, "aPosition");
    p.texCoord = emscripten_glGetAttribLocation(id, "aTexCoord");
    p.modelViewProjection = emscripten_glGetUniformLocation(id, "uModelViewProjection");
    p.color = emscripten_glGetUniformLocation(id, "uColor");
    p.texturing = emscripten_glGetUniformLocation(id, "uTexturing");
    p.alphaTest = emscripten_glGetUniformLocation(id, "uAlphaTest");
    p.alphaReference = emscripten_glGetUniformLocation(id, "uAlphaReference");
    p.texture = emscripten_glGetUniformLocation(id, "uTexture");
    emscripten_glUseProgram(id);
    emscripten_glUniform1i(p.texture, 0);
    g_Program = p;
    return true;
}

QuadricMesh shape_mesh(const ShapeKey& k) {
    return k.kind == ShapeKind::Cylinder
               ? cylinder_mesh(k.base, k.top, k.height, k.slices, k.stacks)
               : sphere_mesh(k.base, k.slices, k.stacks);
}

// The strips become triangles in the order a triangle strip draws them, which splits each quad
// along the same diagonal as OpenGL's quad strip.
MeshBuffers upload_mesh(const ShapeKey& key) {
    const QuadricMesh mesh = shape_mesh(key);
    std::vector<float> attributes;
    attributes.reserve(mesh.vertices.size() * 5);
    for (const MeshVertex& v : mesh.vertices)
        attributes.insert(attributes.end(), {v.x, v.y, v.z, v.s, v.t});
    std::vector<uint16_t> indices;
    for (int strip = 0; strip < mesh.stripCount; ++strip) {
        const int first = strip * mesh.stripLength;
        for (int k = 0; k + 2 < mesh.stripLength; ++k)
            indices.insert(indices.end(),
                           {uint16_t(first + k), uint16_t(first + k + 1), uint16_t(first + k + 2)});
    }
    MeshBuffers b{key, 0, 0, static_cast<GLsizei>(indices.size())};
    emscripten_glGenBuffers(1, &b.vertices);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, b.vertices);
    emscripten_glBufferData(GL_ARRAY_BUFFER, attributes.size() * sizeof(float), attributes.data(),
                            GL_STATIC_DRAW);
    emscripten_glGenBuffers(1, &b.indices);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indices);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint16_t),
                            indices.data(), GL_STATIC_DRAW);
    return b;
}

const MeshBuffers* find_mesh(const ShapeKey& key) {
    for (const MeshBuffers& m : g_Meshes)
        if (m.key == key)
            return &m;
    // 65536 vertices at most for 16-bit indices.
    if ((key.slices + 1) * 2 * key.stacks > 65536 || key.slices < 2 || key.stacks < 1)
        return nullptr;
    if (g_Meshes.size() >= MESH_LIMIT) {
        emscripten_glDeleteBuffers(1, &g_Meshes.front().vertices);
        emscripten_glDeleteBuffers(1, &g_Meshes.front().indices);
        g_Meshes.erase(g_Meshes.begin());
    }
    g_Meshes.push_back(upload_mesh(key));
    return &g_Meshes.back();
}

} // namespace

bool renderer_draw_shape(const ShapeKey& shape, const DrawState& state) {
    if (!make_program())
        return false;
    const MeshBuffers* mesh = find_mesh(shape);
    if (!mesh)
        return true; // a shape GLU would draw nothing of
    const Program& p = g_Program;
    emscripten_glUseProgram(p.id);
    emscripten_glUniformMatrix4fv(p.modelViewProjection, 1, GL_FALSE, state.modelViewProjection);
    emscripten_glUniform4fv(p.color, 1, state.color);
    emscripten_glUniform1f(p.texturing, state.texturing ? 1.0f : 0.0f);
    emscripten_glUniform1f(p.alphaTest, state.alphaTest ? 1.0f : 0.0f);
    emscripten_glUniform1f(p.alphaReference, state.alphaReference);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, mesh->vertices);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indices);
    const GLsizei stride = 5 * sizeof(float);
    emscripten_glEnableVertexAttribArray(p.position);
    emscripten_glVertexAttribPointer(p.position, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    emscripten_glEnableVertexAttribArray(p.texCoord);
    emscripten_glVertexAttribPointer(p.texCoord, 2, GL_FLOAT, GL_FALSE, stride,
                                     reinterpret_cast<const void*>(3 * sizeof(float)));
    emscripten_glDrawElements(GL_TRIANGLES, mesh->indexCount, GL_UNSIGNED_SHORT, nullptr);
    return true;
}

void renderer_forget() {
    g_Program = Program();
    g_Meshes.clear();
}
