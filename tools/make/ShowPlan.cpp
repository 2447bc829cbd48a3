// The beat grid, the cut, the config and the length check.
#include "tools/make/ShowPlan.h"

#include <algorithm>
#include <cmath>

#include "rules/ConfigLine.h"
#include "rules/LineTextureName.h"
#include "tools/lib/lyrics/LyricFile.h"

namespace {

// [length:] is often written in whole seconds.
constexpr double kLengthTolerance = 1.0;
constexpr int kFewestBeats = 8;
constexpr double kSampleRate = 44100.0;

}  // namespace

std::optional<BeatGrid> fitBeatGrid(const std::vector<double>& beats, const std::vector<double>& strengths)
{
    if (beats.size() < std::size_t(kFewestBeats))
        return std::nullopt;
    std::vector<double> spacings;
    for (std::size_t i = 1; i < beats.size(); ++i)
        spacings.push_back(beats[i] - beats[i - 1]);
    std::nth_element(spacings.begin(), spacings.begin() + std::ptrdiff_t(spacings.size() / 2), spacings.end());
    const double roughBeat = spacings[spacings.size() / 2];
    if (!(roughBeat >= 0.2 && roughBeat <= 2.0))
        return std::nullopt;

    // Each beat's number on that grid, counted from its neighbour so that a rough beat cannot
    // drift, then the line through all of them: its slope is the beat, steadier than any one
    // spacing, and a missed beat only skips a number.
    std::vector<double> numbers = {0.0};
    for (std::size_t i = 1; i < beats.size(); ++i)
        numbers.push_back(numbers.back() + std::max(1.0, std::round((beats[i] - beats[i - 1]) / roughBeat)));
    const double count = double(beats.size());
    double meanNumber = 0.0;
    double meanTime = 0.0;
    for (std::size_t i = 0; i < beats.size(); ++i) {
        meanNumber += numbers[i] / count;
        meanTime += beats[i] / count;
    }
    double covariance = 0.0;
    double variance = 0.0;
    for (std::size_t i = 0; i < beats.size(); ++i) {
        covariance += (numbers[i] - meanNumber) * (beats[i] - meanTime);
        variance += (numbers[i] - meanNumber) * (numbers[i] - meanNumber);
    }
    if (variance <= 0.0)
        return std::nullopt;
    const double beat = covariance / variance;
    const double origin = meanTime - beat * meanNumber;
    // Beats that keep no steady spacing leave most of them far from the line.
    std::vector<double> misses;
    for (std::size_t i = 0; i < beats.size(); ++i)
        misses.push_back(std::fabs(beats[i] - (origin + beat * numbers[i])));
    std::nth_element(misses.begin(), misses.begin() + std::ptrdiff_t(misses.size() / 2), misses.end());
    if (misses[misses.size() / 2] > 0.1 * beat)
        return std::nullopt;

    // Of the four beats of a bar, the downbeat is taken to be the strongest.
    double phase = origin - std::floor(origin / beat) * beat;
    double strength[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < beats.size() && i < strengths.size(); ++i) {
        long long index = std::llround((beats[i] - phase) / beat);
        strength[((index % 4) + 4) % 4] += strengths[i];
    }
    int downbeat = int(std::max_element(std::begin(strength), std::end(strength)) - std::begin(strength));
    BeatGrid grid;
    grid.beatsPerMinute = std::round(60.0 / beat * 10.0) / 10.0;
    grid.firstDownbeat = phase + downbeat * beat;
    return grid;
}

double cutGain(long long frame, long long frames, bool fadeIn, bool fadeOut)
{
    double gain = 1.0;
    double in = kCutFadeInSeconds * kSampleRate;
    double out = std::min(kCutFadeOutSeconds * kSampleRate, double(frames) / 2.0);
    if (fadeIn && double(frame) < in)
        gain = std::min(gain, double(frame) / in);
    if (fadeOut && double(frames - 1 - frame) < out)
        gain = std::min(gain, double(frames - 1 - frame) / out);
    return gain;
}

std::string photoTextureName(int index)
{
    return index == 0 ? std::string("photo") : "photo" + std::to_string(index + 1);
}

std::string madeConfig(std::string_view stockConfig, int entryCount, const std::vector<std::string>& photoTextures)
{
    std::string config =
        "# This show's resources, written by sovane05-make: Texture name path, Shader name fragment vertex,\n"
        "# Mesh name path. Lyric entry k of N shows the texture named N - 1 - k.\n";
    for (std::string_view line : configLines(stockConfig)) {
        ConfigLine parsed = parseConfigLine(line);
        if (parsed.outcome == ConfigLine::Outcome::Entry && parsed.entry.kind != ResourceKind::Texture)
            config += std::string(line) + "\n";
    }
    for (const std::string& photo : photoTextures)
        config += "Texture " + photo + " data/" + photo + ".png\n";
    for (int entry = 0; entry < entryCount; ++entry) {
        std::string name = lineTextureName(entry, entryCount).data();
        config += "Texture " + name + " data/lyrics/" + name + ".png\n";
    }
    return config;
}

std::vector<std::string> musicWarnings(double musicSeconds, std::optional<long long> lyricLengthMilliseconds)
{
    std::vector<std::string> warnings;
    if (lyricLengthMilliseconds && std::fabs(*lyricLengthMilliseconds / 1000.0 - musicSeconds) > kLengthTolerance)
        warnings.push_back("the lyric file's [length:] is " + formatLyricTime(*lyricLengthMilliseconds) +
                           " but the music is " + formatLyricSeconds(musicSeconds) +
                           " long: the lyrics may be timed for another recording");
    return warnings;
}
