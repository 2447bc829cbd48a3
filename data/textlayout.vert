// Layer of an image: the quad's corners at the layer's depth ("zscore", smaller is nearer) and
// the full-screen texture coordinate, t = 0 at the top of the screen. A lyric image (marked in
// its header, see textlayout.frag) covers only its own rows, which are the same fraction of any
// viewport's height: the quad shrinks to that band, with a margin, so the fragment shader runs
// on those rows alone. The coordinate keeps its full-screen meaning either way. The header is
// read here, once per corner, and handed on as the same values for every pixel.
#version 410 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

uniform float zscore;
uniform sampler2D img;

out vec2 uv;
// For the fragment shader's reference frame: across, 1080 × the distance from the middle in
// the coordinate's units, which the viewport's shape turns into reference pixels; down, the
// reference row itself. Both are affine across the screen, so interpolating them is exact.
out vec2 fromMiddle;
// A lyric image's text area in the reference frame: its top-left corner and its size in
// texels (the text rows, without the header). Another image gets an area that holds the whole
// screen and a size of 0.
flat out vec4 textArea;
// 1 / the image's size in texels, for a lyric image; 0 for another.
flat out vec2 texelSize;

const float kReferenceHeight = 1080.0;
const float kMargin = 2.0;

void main()
{
    uv = texcoord;
    vec2 corner = position;
    textArea = vec4(-1.0e9, -1.0e9, 2.0e9, 2.0e9);
    texelSize = vec2(0.0);
    ivec4 marker = ivec4(round(texelFetch(img, ivec2(0, 0), 0) * 255.0));
    if (marker == ivec4(83, 86, 1, 0)) {
        ivec4 place = ivec4(round(texelFetch(img, ivec2(1, 0), 0) * 255.0));
        vec2 size = vec2(textureSize(img, 0));
        float top = float(place.z * 256 + place.w);
        textArea = vec4(float(place.x * 256 + place.y), top, size.x, size.y - 1.0);
        texelSize = 1.0 / size;
        float edge = texcoord.t < 0.5 ? top - kMargin : top + size.y - 1.0 + kMargin;
        uv.t = edge / kReferenceHeight;
        corner.y = 1.0 - 2.0 * uv.t;
    }
    fromMiddle = vec2((uv.s - 0.5) * kReferenceHeight, uv.t * kReferenceHeight);
    gl_Position = vec4(corner, zscore, 1.0);
}
