// The lyric timing file "data/texttiming.txt": 87 pairs "start end" in seconds of show time,
// read with fscanf("%lf %lf\n"), so pairs may stand on one line or on many. Pair k (1-based)
// times lyric line k − 1, which shows the texture named 87 − k in three digits: the first pair
// goes with "086", the last with "000". No GL here.
#pragma once

#include <cstdio>

#include "rules/LineTextureName.h"

struct TimingRead {
    // Pairs read whole; reading stops at the first pair that is not, and every later line
    // keeps start and end 0.0, which never shows.
    int pairsRead = 0;
    // Why reading stopped early: "end of file" or "not a number"; empty when all were read.
    const char* stopReason = "";
};

// Reads up to 87 pairs into the two arrays, as the C library's formatted input reads them:
// a pair cut short keeps what it matched. When `pairOffsets` is given (room for 87), it gets
// the file position where the read of each pair began, for tools that name a pair's line;
// the file's position after the call is where reading stopped.
TimingRead readTimingPairs(std::FILE* file, double (&lineStart)[kLyricLineCount], double (&lineEnd)[kLyricLineCount],
                           long* pairOffsets = nullptr);

// Reads the file at `path`. A missing file reads as an empty one; it and a file that stops
// early are reported on standard error, naming the pair where reading stopped.
TimingRead readTimingFile(const char* path, double (&lineStart)[kLyricLineCount], double (&lineEnd)[kLyricLineCount]);
