// Draws one image over the whole viewport. A lyric image carries its own place: texel (0,0) is
// the marker ('S','V', version 1, alpha 0) and texel (1,0) the top-left corner of its text in a
// 1920×1080 reference frame (left high, left low, top high, top low bytes); rows 1… are the text
// at one texel per reference pixel. The frame is scaled by viewport height / 1080 and centred
// across, and everything outside the text is discarded. Any other image (the photo) is
// stretched over the viewport with its own alpha.
#version 410 core

in vec2 uv;

uniform sampler2D img;

out vec4 colour;

const vec2 kReference = vec2(1920.0, 1080.0);

void main()
{
    // The viewport size from the quad's coordinate, which spans 0…1 across it. Taken before
    // any branch: derivatives are undefined in control flow that differs across a pixel quad.
    vec2 viewport = floor(vec2(1.0 / abs(dFdx(uv.s)), 1.0 / abs(dFdy(uv.t))) + 0.5);

    ivec4 marker = ivec4(round(texelFetch(img, ivec2(0, 0), 0) * 255.0));
    if (marker != ivec4(83, 86, 1, 0)) {
        colour = texture(img, uv);
        return;
    }
    ivec4 place = ivec4(round(texelFetch(img, ivec2(1, 0), 0) * 255.0));
    vec2 corner = vec2(place.x * 256 + place.y, place.z * 256 + place.w);
    vec2 size = vec2(textureSize(img, 0));

    float scale = viewport.y / kReference.y;
    float across = (viewport.x - kReference.x * scale) * 0.5;
    vec2 reference = (uv * viewport - vec2(across, 0.0)) / scale;
    vec2 texel = reference - corner;
    if (any(lessThan(texel, vec2(0.0))) || any(greaterThanEqual(texel, vec2(size.x, size.y - 1.0))))
        discard;
    // Kept to the centres of the edge texels, so that at other scales the filter neither
    // reaches into the header row nor wraps around to the far edge.
    vec2 at = clamp(texel, vec2(0.5), vec2(size.x - 0.5, size.y - 1.5)) + vec2(0.0, 1.0);
    colour = texture(img, at / size);
}
