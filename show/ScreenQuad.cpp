// The screen quad's GL objects.
#include "show/ScreenQuad.h"

#include <GL/glew.h>

namespace {

// Bottom left, bottom right, top right, top left: counter-clockwise on screen.
const float kPositions[8] = {-1.0f, -1.0f, 1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f};
const float kTexCoords[8] = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};

}  // namespace

ScreenQuad* createScreenQuad()
{
    ScreenQuad* quad = new ScreenQuad;
    glGenVertexArrays(1, &quad->vertexArray);
    glBindVertexArray(quad->vertexArray);
    // The two names are adjacent fields; one request fills both.
    GLuint names[2] = {0, 0};
    glGenBuffers(2, names);
    quad->positionBuffer = names[0];
    quad->texCoordBuffer = names[1];

    glBindBuffer(GL_ARRAY_BUFFER, quad->positionBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof kPositions, kPositions, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);

    glBindBuffer(GL_ARRAY_BUFFER, quad->texCoordBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof kTexCoords, kTexCoords, GL_STATIC_DRAW);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(1);
    return quad;
}

void drawScreenQuad(const ScreenQuad& quad)
{
    glBindVertexArray(quad.vertexArray);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}
