// The timing text reader: the text becomes a C stream so the show's fscanf loop reads it
// unchanged.
#include "tests/support/TimingText.h"

#include <cstdio>
#include <string>

TimingRead readTimingText(std::string_view text, double (&lineStart)[kLyricLineCount],
                          double (&lineEnd)[kLyricLineCount])
{
    // fmemopen may refuse an empty buffer; an empty text reads like an empty file.
    if (text.empty())
        return {0, "end of file"};
    std::string copy(text);
    std::FILE* file = fmemopen(copy.data(), copy.size(), "r");
    if (file == nullptr)
        return {0, "end of file"};
    TimingRead read = readTimingPairs(file, lineStart, lineEnd);
    std::fclose(file);
    return read;
}
