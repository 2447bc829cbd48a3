// Full-screen layer of the animated background: the quad's corners at the layer's depth
// ("zscore", smaller is nearer) and the texture coordinate, t = 0 at the top, passed on.
#version 410 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

uniform float zscore;

out vec2 uv;

void main()
{
    uv = texcoord;
    gl_Position = vec4(position, zscore, 1.0);
}
