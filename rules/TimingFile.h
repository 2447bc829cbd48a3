// The lyric timing file "data/texttiming.txt": pairs "start end" in seconds of show time, read
// with fscanf("%lf %lf\n"), so pairs may stand on one line or on many; 87 of them in the stock
// show, as many as it holds in a show with a scene list. Of N pairs, pair k (1-based) times
// lyric line k − 1, which shows the texture named N − k in three digits: the first pair of the
// stock show goes with "086", the last with "000". No GL here.
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

// Reads up to `count` pairs into the two arrays (room for `count` each), one formatted read per
// pair as the C library reads them: a pair cut short keeps what it matched. When `pairOffsets`
// is given (room for `count`), it gets the file position where the read of each pair began, for
// tools that name a pair's line; the file's position after the call is where reading stopped.
TimingRead readTimingPairs(std::FILE* file, double* lineStart, double* lineEnd, int count,
                           long* pairOffsets = nullptr);

// The stock show's 87 pairs.
inline TimingRead readTimingPairs(std::FILE* file, double (&lineStart)[kLyricLineCount],
                                  double (&lineEnd)[kLyricLineCount], long* pairOffsets = nullptr)
{
    return readTimingPairs(file, lineStart, lineEnd, kLyricLineCount, pairOffsets);
}

// Reads the stock show's 87 pairs from the file at `path` (room for 87 in both arrays). A
// missing file reads as an empty one; it and a file that stops early are reported on standard
// error, naming the pair where reading stopped.
TimingRead readTimingFile(const char* path, double* lineStart, double* lineEnd);

// A show with a scene list times as many entries as its file holds: reads every pair, up to
// kMostLyricEntries (room for that many in both arrays), and returns how many. Each entry's
// image is named from that count, so a file that cannot be read, or that holds something that
// is not a number, gives no entry at all rather than entries with another entry's image; more
// pairs than the limit give the first thousand. Each is reported on standard error.
int readEveryTimingPair(const char* path, double* lineStart, double* lineEnd);
