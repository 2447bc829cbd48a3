// The drums, the bass, the pad, the arpeggio pluck and the build-up noise, each drawn one
// event at a time into a bus. Sound that would run past a bus's end is dropped.
#pragma once

#include <vector>

#include "tools/compose/Dsp.h"
#include "tools/compose/Score.h"
#include "tools/lib/audio/StereoBuffer.h"

namespace compose {

void addKick(std::vector<float>& bus, double time, double velocity);
void addClap(std::vector<float>& bus, double time, double velocity, Noise& noise);
void addHat(StereoBuffer& bus, double time, double velocity, bool open, Noise& noise);
void addCrash(StereoBuffer& bus, double time, double velocity, Noise& noise);
void addRiser(StereoBuffer& bus, const Riser& riser, Noise& noise);
void addBass(std::vector<float>& bus, const Note& note);
void addPad(StereoBuffer& bus, const Note& note);
void addPluck(StereoBuffer& bus, const Note& note);

// The sample at which something at `seconds` begins.
std::size_t sampleAt(double seconds);

}  // namespace compose
