// Full-screen layer of the animated background: the quad's corners at the layer's depth
// ("zscore", smaller is nearer) and the texture coordinate, t = 0 at the top, passed on; and
// everything about the frame that is the same at every pixel, worked out here once per corner
// instead of once per pixel: the beat's pulse, the waves' drift, the ring, the flash, the fades
// and the colours of the moment.
#version 410 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;

uniform float zscore;
uniform float time;

out vec2 uv;
flat out vec4 wavePhase;        // turns added to each of the four waves
flat out vec2 waveCentre;       // where the round wave starts
flat out vec3 colourTerm[6];    // the colour as a polynomial of the waves (see white.frag)
flat out vec3 glow;             // the glow's colour at the middle, at the beat's strength
flat out vec4 ring;             // the bar's ring: its radius, then its colour

// The show's tempo and timetable, from rules/ShowTimeline.h, which a shader cannot include: the
// seconds of a beat and of a bar, the start of the chorus and photo scene, and the show's end.
// A unit test holds these four to that header, here and in white.frag.
const float kBeat = 60.0 / 128.0;
const float kBar = 4.0 * kBeat;
const float kChorus = 45.0;
const float kEnd = 58.0;
const float kTau = 6.2831853;

// Where the colour of a pixel is sampled, as the waves' sum / 4, from -1 to 1: the Chebyshev
// nodes of degree 6, and the inverse of their Vandermonde matrix, which turns the colours at
// the nodes into the coefficients of the polynomial through them, nearly the best of its degree.
const float kNode[6] = float[6](0.965925826, 0.707106781, 0.258819045, -0.258819045, -0.707106781, -0.965925826);
const float kFromNodes[36] = float[36](
    0.044658199, -0.166666667, 0.622008468, 0.622008468, -0.166666667, 0.044658199,
    0.046233569, -0.235702260, 2.403256173, -2.403256173, 0.235702260, -0.046233569,
    -0.755983064, 2.666666667, -1.910683603, -1.910683603, 2.666666667, -0.755983064,
    -0.782651259, 3.771236166, -7.382314550, 7.382314550, -3.771236166, 0.782651259,
    1.333333333, -2.666666667, 1.333333333, 1.333333333, -2.666666667, 1.333333333,
    1.380368241, -3.771236166, 5.151604407, -5.151604407, 3.771236166, -1.380368241);

vec3 palette(float x, vec3 base, vec3 swing, vec3 phase)
{
    return base + swing * cos(kTau * (x + phase));
}

void main()
{
    uv = texcoord;
    gl_Position = vec4(position, zscore, 1.0);

    float chorus = smoothstep(kChorus - 0.25, kChorus + 0.35, time);
    float build = smoothstep(kChorus - 4.0 * kBar, kChorus, time) * (1.0 - chorus);
    float beat = fract(time / kBeat);
    float bar = fract(time / kBar);
    float pulse = exp(-7.0 * beat) * (0.35 + 0.45 * build + 0.5 * chorus) + exp(-3.0 * bar) * 0.35;
    float fade = smoothstep(0.0, 1.2, time) * (1.0 - smoothstep(kEnd - 2.0, kEnd, time));

    float drift = time * mix(0.16, 0.27, chorus);
    waveCentre = vec2(0.35 * sin(drift * 0.71), 0.22 * cos(drift * 0.53));
    wavePhase = vec4(1.7, -1.3, 1.0, -2.4) * drift / kTau;

    // Night colours, the warm chorus colours and the flash at its downbeat, as they stand at
    // each node, then through the nodes.
    float flash = time >= kChorus ? exp(-(time - kChorus) * 4.0) : 0.0;
    vec3 atNode[6];
    for (int node = 0; node < 6; ++node) {
        float field = kNode[node] * 0.5 + 0.5;
        vec3 night = palette(field * 0.8 + time * 0.004, vec3(0.12, 0.12, 0.29), vec3(0.10, 0.09, 0.16),
                             vec3(0.55, 0.65, 0.80));
        vec3 sunset = palette(field * 0.9 - time * 0.01, vec3(0.46, 0.22, 0.30), vec3(0.26, 0.16, 0.14),
                              vec3(0.02, 0.16, 0.28));
        atNode[node] = (mix(night, sunset, chorus) + vec3(1.0, 0.85, 0.7) * flash * 0.5) * fade;
    }
    for (int power = 0; power < 6; ++power) {
        colourTerm[power] = vec3(0.0);
        for (int node = 0; node < 6; ++node)
            colourTerm[power] += kFromNodes[power * 6 + node] * atNode[node];
    }

    vec3 glowColour = mix(vec3(0.45, 0.55, 1.0), vec3(1.0, 0.72, 0.42), chorus) * fade;
    glow = glowColour * pulse * 0.16;
    ring = vec4(bar * 1.3, glowColour * (1.0 - bar) * mix(0.07, 0.11, chorus));
}
