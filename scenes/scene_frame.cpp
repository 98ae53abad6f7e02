// The draw dispatch by module index. The scenes themselves are not drawn yet: every index
// shows a black frame.
#include "scenes/scene_frame.h"

#include <windows.h>
#include <GL/gl.h>

int DrawBlank() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return glGetError() == GL_NO_ERROR;
}

int draw_module(int index) {
    if (index < 0 || index > 20)
        return 1;
    return DrawBlank();
}
