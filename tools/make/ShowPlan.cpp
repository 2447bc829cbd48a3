// The tempo line and the music's length against the show's windows.
#include "tools/make/ShowPlan.h"

#include <cmath>
#include <cstdio>

#include "rules/ShowTimeline.h"
#include "tools/lib/lyrics/LyricFile.h"

namespace {

// [length:] is often written in whole seconds.
constexpr double kLengthTolerance = 1.0;

}  // namespace

std::string tempoLiteral(double beatsPerMinute)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", beatsPerMinute);
    std::string literal = text;
    while (literal.back() == '0' && literal[literal.size() - 2] != '.')
        literal.pop_back();
    return literal;
}

std::optional<std::string> setBackgroundTempo(std::string_view shader, double beatsPerMinute)
{
    std::size_t line = 0;
    while (line < shader.size()) {
        std::size_t end = shader.find('\n', line);
        std::string_view text = shader.substr(line, end == std::string_view::npos ? std::string_view::npos : end - line);
        if (text.substr(0, kTempoLine.size()) == kTempoLine && text.find(';') != std::string_view::npos) {
            std::string result(shader.substr(0, line));
            result += kTempoLine;
            result += tempoLiteral(beatsPerMinute);
            result += text.substr(text.find(';'));
            if (end != std::string_view::npos)
                result += shader.substr(end);
            return result;
        }
        if (end == std::string_view::npos)
            break;
        line = end + 1;
    }
    return std::nullopt;
}

std::vector<std::string> musicWarnings(double musicSeconds, std::optional<long long> lyricLengthMilliseconds,
                                       const std::vector<double>& entryStarts)
{
    std::vector<std::string> warnings;
    std::string length = formatLyricSeconds(musicSeconds);
    if (musicSeconds > kPhotoEnd) {
        warnings.push_back("the music runs to " + length + ", " + formatLyricSeconds(musicSeconds - kPhotoEnd) +
                           " past the show's last scene, which ends at 58 s: the picture stays as last drawn until "
                           "the music ends");
    } else if (musicSeconds <= kLyricsEnd) {
        warnings.push_back("the music ends at " + length +
                           ", inside the lyric scene (0 to 45 s): the show ends with it and the photo never shows");
    } else if (musicSeconds < kPhotoEnd - kMusicEndSlack) {
        warnings.push_back("the music ends at " + length +
                           ", inside the photo scene (45 to 58 s): the show ends with it, the photo cut short");
    }
    if (lyricLengthMilliseconds && std::fabs(*lyricLengthMilliseconds / 1000.0 - musicSeconds) > kLengthTolerance)
        warnings.push_back("the lyric file's [length:] is " + formatLyricTime(*lyricLengthMilliseconds) +
                           " but the music is " + length + " long: the lyrics may be timed for another recording");
    int unheard = 0;
    for (double start : entryStarts)
        unheard += start >= musicSeconds;
    if (unheard > 0)
        warnings.push_back(std::to_string(unheard) + (unheard == 1 ? " entry starts" : " entries start") +
                           " after the music ends at " + length + (unheard == 1 ? " and never shows" : " and never show"));
    return warnings;
}
