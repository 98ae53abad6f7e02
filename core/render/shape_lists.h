// The scenes' shapes compiled once per OpenGL context into display lists and called from there,
// with immediate mode wherever a list cannot be made. Main thread only, with the context current.
#pragma once

#include <GL/gl.h>

// Draw a cylinder or a sphere of the shared quadric g_pQuadric, as gluCylinder and gluSphere
// would. The first draw of each distinct shape (by its arguments) in a context compiles it; a
// shape that cannot be compiled (no list name, or an error while compiling) is drawn in
// immediate mode for the rest of the context's life. Either way the same vertices, normals and
// texture coordinates reach OpenGL in the same order.
void draw_listed_cylinder(GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks);
void draw_listed_sphere(GLdouble radius, GLint slices, GLint stacks);

// glGetError as the scenes see it: an error raised before a shape was compiled is held across
// the compile's own check and answered first, so no error of the scene's is lost to it.
GLenum APIENTRY take_gl_error();

// Deletes the lists and forgets them, so that the next context compiles its own. Called by
// release_gl_state while the context is still current; safe when none were made.
void release_shape_lists();
