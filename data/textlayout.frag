// Draws one image over the viewport. An image may carry its own place in a header row: texel
// (0,0) is the marker ('S','V', the version, alpha 0), texel (1,0) the top-left corner of the
// picture in its frame (left high, left low, top high, top low bytes), and rows 1… the picture
// at one texel per frame pixel. A lyric line (version 1) has a 1920×1080 frame scaled by
// viewport height / 1080 and centred across. The photo (version 2) gives its frame's size in
// texel (2,0), and the frame is stretched over the viewport. Everything outside the picture is
// discarded. An image without the header is stretched over the viewport with its own alpha.
// The header is read once per corner by textlayout.vert; here each pixel only finds its texel.
#version 410 core

in vec2 uv;
in vec2 fromMiddle;
flat in vec4 textArea;
flat in vec2 texelSize;
flat in vec2 frameLayout;

uniform sampler2D img;

out vec4 colour;

void main()
{
    // Where the pixel falls in the frame. Scaled by height, the frame's height spans the
    // viewport's and its width is centred across, so only the viewport's shape is needed; its
    // size comes from the full-screen coordinate, which spans 0…1 across it, rounded so that at
    // 1920×1080 texel centres fall on pixel centres. Stretched, the frame spans the viewport.
    vec2 viewport = floor(vec2(1.0 / abs(dFdx(uv.s)), 1.0 / abs(dFdy(uv.t))) + 0.5);
    float across = frameLayout.y > 0.5 ? 1.0 : viewport.x / viewport.y;
    vec2 reference = vec2(fromMiddle.x * across + frameLayout.x, fromMiddle.y);
    vec2 texel = reference - textArea.xy;
    if (any(lessThan(texel, vec2(0.0))) || any(greaterThanEqual(texel, textArea.zw)))
        discard;
    // Kept to the centres of the edge texels, so that at other scales the filter neither
    // reaches into the header row nor wraps around to the far edge.
    vec2 at = (clamp(texel, vec2(0.5), textArea.zw - 0.5) + vec2(0.0, 1.0)) * texelSize;
    // Another image has no texel size, and takes the screen's coordinate as it is.
    colour = texture(img, texelSize.x > 0.0 ? at : uv);
}
