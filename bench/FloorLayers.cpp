// Pass-through layers for the frame floors.
#include "bench/FloorLayers.h"

#include "rules/LyricLayers.h"

namespace {

const char* const kVertex = R"(#version 410 core
layout(location = 0) in vec2 position;
uniform float zscore;
out vec2 uv;
void main()
{
    uv = vec2(position.x, -position.y) * 0.5 + 0.5;
    gl_Position = vec4(position, zscore, 1.0);
}
)";

const char* const kSolid = R"(#version 410 core
out vec4 colour;
void main()
{
    colour = vec4(0.12, 0.12, 0.29, 1.0);
}
)";

const char* const kTextured = R"(#version 410 core
in vec2 uv;
uniform sampler2D img;
out vec4 colour;
void main()
{
    colour = texture(img, uv);
}
)";

GLuint program(const char* fragment)
{
    GLuint made = glCreateProgram();
    for (auto [source, stage] : {std::pair{kVertex, GL_VERTEX_SHADER}, {fragment, GL_FRAGMENT_SHADER}}) {
        GLuint shader = glCreateShader(stage);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(made, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(made);
    return made;
}

void drawLayer(GLuint layerProgram, float zscore)
{
    glUseProgram(layerProgram);
    glUniform1f(glGetUniformLocation(layerProgram, "zscore"), zscore);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

}  // namespace

FloorLayers::FloorLayers() : solid(program(kSolid)), textured(program(kTextured))
{
    const float corners[8] = {-1.0f, -1.0f, 1.0f, -1.0f, 1.0f, 1.0f, -1.0f, 1.0f};
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
}

FloorLayers::~FloorLayers()
{
    glDeleteProgram(solid);
    glDeleteProgram(textured);
    glDeleteBuffers(1, &buffer);
    glDeleteVertexArrays(1, &vertexArray);
}

void FloorLayers::draw(const std::vector<GLuint>& images) const
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBindVertexArray(vertexArray);
    drawLayer(solid, kBackgroundZscore);
    float zscore = kFirstLineZscore;
    for (GLuint image : images) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, image);
        drawLayer(textured, zscore);
        zscore += kLineZscoreStep;
    }
}
