// Draws one image over the whole viewport. A lyric image carries its own place: texel (0,0) is
// the marker ('S','V', version 1, alpha 0) and texel (1,0) the top-left corner of its text in a
// 1920×1080 reference frame (left high, left low, top high, top low bytes); rows 1… are the text
// at one texel per reference pixel. The frame is scaled by viewport height / 1080 and centred
// across, and everything outside the text is discarded. Any other image (the photo) is
// stretched over the viewport with its own alpha. The header is read once per corner by
// textlayout.vert; here each pixel only finds its texel.
#version 410 core

in vec2 uv;
in vec2 fromMiddle;
flat in vec4 textArea;
flat in vec2 texelSize;

uniform sampler2D img;

out vec4 colour;

const vec2 kReference = vec2(1920.0, 1080.0);

void main()
{
    // Where the pixel falls in the reference frame: its height spans the viewport's, and its
    // width is centred across, so only the viewport's shape is needed. The viewport's size comes
    // from the full-screen coordinate, which spans 0…1 across it; rounded, so that at 1920×1080
    // texel centres fall on pixel centres.
    vec2 viewport = floor(vec2(1.0 / abs(dFdx(uv.s)), 1.0 / abs(dFdy(uv.t))) + 0.5);
    vec2 reference = vec2(fromMiddle.x * (viewport.x / viewport.y) + kReference.x * 0.5, fromMiddle.y);
    vec2 texel = reference - textArea.xy;
    if (any(lessThan(texel, vec2(0.0))) || any(greaterThanEqual(texel, textArea.zw)))
        discard;
    // Kept to the centres of the edge texels, so that at other scales the filter neither
    // reaches into the header row nor wraps around to the far edge.
    vec2 at = (clamp(texel, vec2(0.5), textArea.zw - 0.5) + vec2(0.0, 1.0)) * texelSize;
    // Another image has no texel size, and takes the screen's coordinate as it is.
    colour = texture(img, texelSize.x > 0.0 ? at : uv);
}
