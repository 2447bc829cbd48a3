// Fuzzes reading the lyric timing text: reading stops at the first pair it cannot read, and
// every pair after it stays at 0.0.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzTarget.h"
#include "tests/support/TimingText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    double lineStart[kLyricLineCount] = {};
    double lineEnd[kLyricLineCount] = {};
    TimingRead read = readTimingText(std::string_view(reinterpret_cast<const char*>(data), size), lineStart, lineEnd);
    if (read.pairsRead < 0 || read.pairsRead > kLyricLineCount)
        std::abort();
    if ((read.pairsRead == kLyricLineCount) != (*read.stopReason == '\0'))
        std::abort();
    for (int i = read.pairsRead + 1; i < kLyricLineCount; ++i) {
        if (lineStart[i] != 0.0 || lineEnd[i] != 0.0)
            std::abort();
    }
    return 0;
}
