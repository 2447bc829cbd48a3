// The show clock: tick arithmetic and the strict window test.
#include "engine/ShowClock.h"

namespace cg_engine {

double showTime(uint32_t nowTicks, double startTick)
{
    // Both readings become doubles before the subtraction, so the difference is exact.
    return (static_cast<double>(nowTicks) - startTick) / 1000.0;
}

bool isActiveAt(double start, double end, double time)
{
    return start < time && time < end;
}

}  // namespace cg_engine
