// The animated background under the lyrics and the photo: slow interfering waves in cool night
// colours that pulse on every beat (128 BPM, bars of 1.875 s), build up over the last bars
// before the chorus, flash into warm sunset colours at 45 s, and fade out as the show ends;
// each bar also sends a faint ring of light outwards.
// A handful of sines per pixel, so a software rasteriser keeps up at 1920×1080.
#version 410 core

in vec2 uv;

uniform float time;

out vec4 colour;

// The show's tempo and timetable, from show/ShowTimeline.h, which a shader cannot include: the
// seconds of a beat and of a bar, the start of the chorus and photo scene, and the show's end.
// A unit test holds these four to that header.
const float kBeat = 60.0 / 128.0;
const float kBar = 4.0 * kBeat;
const float kChorus = 45.0;
const float kEnd = 58.0;
const float kTau = 6.2831853;

vec3 palette(float x, vec3 base, vec3 swing, vec3 phase)
{
    return base + swing * cos(kTau * (x + phase));
}

void main()
{
    // Height spans 1; the width follows the window's shape, read from the coordinate's slope.
    float aspect = abs(dFdy(uv.t)) / max(abs(dFdx(uv.s)), 1e-6);
    vec2 p = (uv - 0.5) * vec2(aspect, 1.0);
    float radius = length(p);

    float chorus = smoothstep(kChorus - 0.25, kChorus + 0.35, time);
    float build = smoothstep(kChorus - 4.0 * kBar, kChorus, time) * (1.0 - chorus);
    float beat = fract(time / kBeat);
    float bar = fract(time / kBar);
    float pulse = exp(-7.0 * beat) * (0.35 + 0.45 * build + 0.5 * chorus) + exp(-3.0 * bar) * 0.35;

    float drift = time * mix(0.16, 0.27, chorus);
    vec2 centre = vec2(0.35 * sin(drift * 0.71), 0.22 * cos(drift * 0.53));
    float waves = sin(p.x * 3.1 + drift * 1.7) + sin(p.y * 4.3 - drift * 1.3) +
                  sin((p.x + p.y) * 2.3 + drift) + sin(length(p - centre) * 7.0 - drift * 2.4);
    float field = waves * 0.125 + 0.5;

    vec3 night = palette(field * 0.8 + time * 0.004, vec3(0.12, 0.12, 0.29), vec3(0.10, 0.09, 0.16),
                         vec3(0.55, 0.65, 0.80));
    vec3 sunset = palette(field * 0.9 - time * 0.01, vec3(0.46, 0.22, 0.30), vec3(0.26, 0.16, 0.14),
                          vec3(0.02, 0.16, 0.28));
    vec3 light = mix(night, sunset, chorus);

    // A glow that breathes with the beat, brighter where the waves crest.
    vec3 glowColour = mix(vec3(0.45, 0.55, 1.0), vec3(1.0, 0.72, 0.42), chorus);
    light += glowColour * pulse * 0.16 * exp(-radius * radius * 2.5) * (0.6 + 0.8 * field);
    // Each bar sends a faint ring of light outwards from the middle.
    float ring = radius - bar * 1.3;
    light += glowColour * exp(-ring * ring * 90.0) * (1.0 - bar) * mix(0.07, 0.11, chorus);
    // The downbeat of the chorus lands with a flash that fades over half a bar.
    float flash = time >= kChorus ? exp(-(time - kChorus) * 4.0) : 0.0;
    light += vec3(1.0, 0.85, 0.7) * flash * 0.5;

    light *= 1.0 - 0.45 * radius * radius;
    light *= smoothstep(0.0, 1.2, time) * (1.0 - smoothstep(kEnd - 2.0, kEnd, time));
    // A little noise keeps the slow gradients from banding in 8 bits.
    float noise = fract(sin(dot(floor(uv * 4096.0), vec2(12.9898, 78.233))) * 43758.5453);
    colour = vec4(light + (noise - 0.5) / 255.0, 1.0);
}
