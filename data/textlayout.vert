// Layer of an image: the quad's corners at the layer's depth ("zscore", smaller is nearer) and
// the full-screen texture coordinate, t = 0 at the top of the screen. An image that carries
// its place in a header row (see textlayout.frag) covers only part of the screen: a lyric
// line's quad shrinks to the band of its rows, the photo's to the rectangle that shows
// anything, each with a margin, so the fragment shader runs on those pixels alone. The
// coordinate keeps its full-screen meaning either way. The header is read here, once per
// corner, and handed on as the same values for every pixel.
#version 410 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

uniform float zscore;
uniform sampler2D img;

out vec2 uv;
// For the fragment shader's frame: across, the distance from the middle in the coordinate's
// units times the frame's height (a lyric line's) or width (the photo's), which the fragment
// shader turns into frame pixels; down, the frame's row itself. Both are affine across the
// screen, so interpolating them is exact.
out vec2 fromMiddle;
// The image's area in its frame: its top-left corner and its size in texels (the rows below
// the header). An image without a header gets an area that holds the whole screen and a size
// of 0.
flat out vec4 textArea;
// 1 / the image's size in texels, for an image with a header; 0 for another.
flat out vec2 texelSize;
// Half the frame's width, and 1 when the frame is stretched over the screen (the photo), 0
// when it is scaled by height and centred (a lyric line).
flat out vec2 frameLayout;

const float kReferenceWidth = 1920.0;
const float kReferenceHeight = 1080.0;
const float kMargin = 2.0;

ivec4 headerTexel(int column)
{
    return ivec4(round(texelFetch(img, ivec2(column, 0), 0) * 255.0));
}

void main()
{
    uv = texcoord;
    vec2 corner = position;
    vec2 frame = vec2(kReferenceHeight);
    textArea = vec4(-1.0e9, -1.0e9, 2.0e9, 2.0e9);
    texelSize = vec2(0.0);
    frameLayout = vec2(kReferenceWidth * 0.5, 0.0);
    ivec2 size = textureSize(img, 0);
    // Texels past the image's edge read as anything, so they are not read.
    ivec4 marker = headerTexel(0);
    ivec4 place = size.x >= 2 ? headerTexel(1) : ivec4(0);
    ivec4 frameSize = size.x >= 3 ? headerTexel(2) : ivec4(0);
    vec2 stretchedFrame = vec2(frameSize.x * 256 + frameSize.y, frameSize.z * 256 + frameSize.w);
    bool lyric = marker == ivec4(83, 86, 1, 0) && size.x >= 2 && size.y >= 2;
    bool photo = marker == ivec4(83, 86, 2, 0) && size.y >= 2 && stretchedFrame.x > 0.0 && stretchedFrame.y > 0.0;
    if (lyric || photo) {
        textArea = vec4(float(place.x * 256 + place.y), float(place.z * 256 + place.w), vec2(size) - vec2(0.0, 1.0));
        texelSize = 1.0 / vec2(size);
        vec2 high = step(0.5, texcoord);
        vec2 edge = mix(textArea.xy - kMargin, textArea.xy + textArea.zw + kMargin, high);
        if (photo) {
            frame = stretchedFrame;
            frameLayout = vec2(frame.x * 0.5, 1.0);
            uv = clamp(edge / frame, 0.0, 1.0);
        } else {
            uv.t = edge.y / kReferenceHeight;
        }
        corner = vec2(2.0 * uv.s - 1.0, 1.0 - 2.0 * uv.t);
    }
    fromMiddle = vec2((uv.s - 0.5) * frame.x, uv.t * frame.y);
    gl_Position = vec4(corner, zscore, 1.0);
}
