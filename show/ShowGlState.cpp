// The show's global GL state.
#include "show/ShowGlState.h"

#include <GL/glew.h>

#include "resources/GlDialect.h"

void setShowGlState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    enableProgramPointSize();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
