// Reading lyric timing text held in memory with the show's own reader, for the tests, the fuzz
// target and the benchmark. The show itself only ever reads the file.
#pragma once

#include <string_view>

#include "rules/TimingFile.h"

// Reads `text` as readTimingPairs reads a file.
TimingRead readTimingText(std::string_view text, double (&lineStart)[kLyricLineCount],
                          double (&lineEnd)[kLyricLineCount]);
