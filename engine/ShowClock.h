// The show clock: seconds since the music started, and the strict time windows of scenes and
// lyric lines. No SDL and no GL here, so tests drive it with plain numbers.
#pragma once

#include <cstdint>

namespace cg_engine {

// Show time in seconds from two SDL_GetTicks() readings, with millisecond resolution.
double showTime(uint32_t nowTicks, double startTick);

// True exactly when start < time < end: both bounds are excluded, so an empty or inverted
// window never holds any moment.
bool isActiveAt(double start, double end, double time);

}  // namespace cg_engine
