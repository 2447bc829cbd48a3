// Layer of an image: the quad's corners at the layer's depth ("zscore", smaller is nearer) and
// the full-screen texture coordinate, t = 0 at the top of the screen. A lyric image (marked in
// its header, see textlayout.frag) covers only its own rows, which are the same fraction of any
// viewport's height: the quad shrinks to that band, with a margin, so the fragment shader runs
// on those rows alone. The coordinate keeps its full-screen meaning either way.
#version 410 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

uniform float zscore;
uniform sampler2D img;

out vec2 uv;

const float kReferenceHeight = 1080.0;
const float kMargin = 2.0;

void main()
{
    uv = texcoord;
    vec2 corner = position;
    ivec4 marker = ivec4(round(texelFetch(img, ivec2(0, 0), 0) * 255.0));
    if (marker == ivec4(83, 86, 1, 0)) {
        ivec4 place = ivec4(round(texelFetch(img, ivec2(1, 0), 0) * 255.0));
        float top = float(place.z * 256 + place.w);
        float rows = float(textureSize(img, 0).y - 1);
        float edge = texcoord.t < 0.5 ? top - kMargin : top + rows + kMargin;
        uv.t = edge / kReferenceHeight;
        corner.y = 1.0 - 2.0 * uv.t;
    }
    gl_Position = vec4(corner, zscore, 1.0);
}
