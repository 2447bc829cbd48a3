// The animated background under the lyrics and the photo: slow interfering waves in cool night
// colours that pulse on every beat (128 BPM, bars of 1.875 s), build up over the last bars
// before the chorus, flash into warm sunset colours at 45 s, and fade out as the show ends;
// each bar also sends a faint ring of light outwards.
// What is the same at every pixel of a frame comes from white.vert; here only what differs
// from pixel to pixel, with no library sine or exponential: a software rasteriser runs every
// instruction of this for each of the screen's pixels.
#version 410 core

in vec2 uv;
flat in vec4 wavePhase;
flat in vec2 waveCentre;
flat in vec3 colourTerm[6];
flat in vec3 glow;
flat in vec4 ring;

out vec4 colour;

// The show's tempo and timetable, from rules/ShowTimeline.h, which a shader cannot include: the
// seconds of a beat and of a bar, the start of the chorus and photo scene, and the show's end.
// A unit test holds these four to that header. The frame's timing is worked out in white.vert
// from the same four lines; sovane05-make sets the tempo in both.
const float kBeat = 60.0 / 128.0;
const float kBar = 4.0 * kBeat;
const float kChorus = 45.0;
const float kEnd = 58.0;
const float kTau = 6.2831853;

// sin(2π·x) for any x, within 0.001: x brought into [-0.5, 0.5), a parabola through the sine's
// zeros and peaks, and one correction of its shape.
vec4 sineOfTurns(vec4 x)
{
    vec4 t = x - floor(x + 0.5);
    vec4 y = t * (8.0 - 16.0 * abs(t));
    return y * (0.775 + 0.225 * abs(y));
}

// exp(-x) for x ≥ 0 as (1 − x/n)^n, n = 16 or 8, cut at zero: the same soft fall within
// 0.02, in a handful of multiplications.
float falloff8(float x)
{
    float fall = max(1.0 - x * 0.125, 0.0);
    fall *= fall;
    fall *= fall;
    return fall * fall;
}

float falloff16(float x)
{
    float fall = falloff8(x * 0.5);
    return fall * fall;
}

void main()
{
    // Height spans 1; the width follows the window's shape, read from the coordinate's slope.
    float aspect = abs(dFdy(uv.t)) / max(abs(dFdx(uv.s)), 1e-6);
    vec2 p = (uv - 0.5) * vec2(aspect, 1.0);
    float radiusSquared = dot(p, p);

    vec2 fromCentre = p - waveCentre;
    vec4 turns = vec4(p, p.x + p.y, sqrt(dot(fromCentre, fromCentre))) * (vec4(3.1, 4.3, 2.3, 7.0) / kTau) + wavePhase;
    float waves = dot(sineOfTurns(turns), vec4(0.25));

    // The night or chorus colour of this pixel's waves: a polynomial of them (white.vert).
    vec3 light = colourTerm[5];
    for (int power = 4; power >= 0; --power)
        light = light * waves + colourTerm[power];

    // A glow that breathes with the beat, brighter where the waves crest.
    light += glow * (falloff16(2.5 * radiusSquared) * (1.0 + 0.4 * waves));
    // Each bar sends a faint ring of light outwards from the middle.
    float ringDistance = sqrt(radiusSquared) - ring.x;
    light += ring.yzw * falloff8(90.0 * ringDistance * ringDistance);

    light *= 1.0 - 0.45 * radiusSquared;
    // A dither keeps the slow gradients from banding in 8 bits: a fixed 2×2 pattern of four
    // levels, lower in even columns and higher in odd ones. Its four offsets cancel over each
    // 2×2 block, where a video's colour planes keep one value, so the encoder meets it only in
    // brightness; a video of it is smaller and quicker to encode than one of noise.
    ivec2 cell = ivec2(gl_FragCoord.xy) & 1;
    float dither = float(2 * cell.x + (cell.x ^ cell.y)) * 0.25 - 0.375;
    colour = vec4(light + dither / 255.0, 1.0);
}
