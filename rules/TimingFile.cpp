// Reading the lyric timing file.
#include "rules/TimingFile.h"

#include <string>
#include <string_view>

#include "rules/InputFile.h"

TimingRead readTimingPairs(std::FILE* file, double* lineStart, double* lineEnd, int count, long* pairOffsets)
{
    TimingRead read;
    for (int i = 0; i < count; ++i) {
        if (pairOffsets != nullptr)
            pairOffsets[i] = std::ftell(file);
        int matched = std::fscanf(file, "%lf %lf\n", &lineStart[i], &lineEnd[i]);
        if (matched != 2) {
            // Reading ends here. The C library consumes a token that only starts like a number
            // ("." or "1e") before it fails, so a further read could resume behind it and show
            // lines from a file already known to be broken.
            read.stopReason = matched == EOF || std::feof(file) ? "end of file" : "not a number";
            break;
        }
        ++read.pairsRead;
    }
    return read;
}

namespace {

// The file opened for reading, or null after saying on standard error why not.
std::FILE* openTiming(const char* path)
{
    OpenedInput opened = openInputFile(path, "r");
    if (opened.file == nullptr)
        std::fprintf(stderr, "sovane05: %s: cannot open the lyric timing (%s); every lyric line stays hidden\n", path,
                     opened.failure.c_str());
    return opened.file;
}

}  // namespace

TimingRead readTimingFile(const char* path, double* lineStart, double* lineEnd)
{
    std::FILE* file = openTiming(path);
    if (file == nullptr)
        return {0, "end of file"};
    TimingRead read = readTimingPairs(file, lineStart, lineEnd, kLyricLineCount);
    std::fclose(file);
    if (read.pairsRead < kLyricLineCount) {
        std::fprintf(stderr, "sovane05: %s: reading stopped at pair %d of %d (%s); pairs %d to %d stay hidden\n", path,
                     read.pairsRead + 1, kLyricLineCount, read.stopReason, read.pairsRead + 1, kLyricLineCount);
    }
    return read;
}

int readEveryTimingPair(const char* path, double* lineStart, double* lineEnd)
{
    std::FILE* file = openTiming(path);
    if (file == nullptr)
        return 0;
    TimingRead read = readTimingPairs(file, lineStart, lineEnd, kMostLyricEntries);
    double more[2] = {0.0, 0.0};
    bool beyond = read.pairsRead == kMostLyricEntries && std::fscanf(file, "%lf %lf", &more[0], &more[1]) > 0;
    std::fclose(file);
    if (std::string_view(read.stopReason) == "not a number") {
        std::fprintf(stderr,
                     "sovane05: %s: pair %d is not a number; the lines' images are named by how many pairs there "
                     "are, so every lyric line stays hidden\n",
                     path, read.pairsRead + 1);
        return 0;
    }
    if (beyond)
        std::fprintf(stderr, "sovane05: %s: more than %d pairs; those after pair %d stay hidden\n", path,
                     kMostLyricEntries, kMostLyricEntries);
    return read.pairsRead;
}
