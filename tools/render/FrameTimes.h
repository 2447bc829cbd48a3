// Which show times a render draws: the moments of a run of stills, and the frames of a video
// in step with its sound. Each time is computed from its index, never by adding steps, so
// frame 3839 of a 60 fps video is exactly 3839 / 60 s from its start.
#pragma once

#include <cstdint>
#include <vector>

// The stills of --from A --to B --every DT: A, A + DT, A + 2 DT, …, up to B included. A last
// step that falls short of B by rounding alone (--to 1 --every 0.1) still counts.
std::vector<double> momentsEvery(double from, double to, double every);

// How many stills momentsEvery would make, without making them, for checking a request.
int64_t momentCount(double from, double to, double every);

// A video of the range [from, to) at `fps`: frame k shows from + k / fps, for every k with that
// time before `to`. Its length, count / fps, is the range's rounded up to a whole frame.
int64_t videoFrameCount(double from, double to, double fps);
double videoFrameTime(double from, double fps, int64_t frame);
