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

// How well beats heard at `beats` keep a half beat of `halfBeat` seconds: the length of the mean
// of their phases on it, 1 when every beat falls on the half-beat grid, near 0 for beats at
// random. On half beats, a tracker that follows the off-beat for a while keeps to the grid.
double halfBeatKeeping(const std::vector<double>& beats, double halfBeat)
{
    const double tau = 2.0 * std::acos(-1.0);
    double x = 0.0;
    double y = 0.0;
    for (double time : beats) {
        x += std::cos(tau * time / halfBeat);
        y += std::sin(tau * time / halfBeat);
    }
    return std::hypot(x, y) / double(beats.size());
}

// The beat the beats keep best over the whole song, within 5 % of the `roughBeat` of their
// spacings: a tracker's own beat may run a little fast, drifting early and catching up, so
// neither one spacing nor a run of them says the song's tempo, all the beats together do.
// Nothing when no beat near it keeps most of them to its grid.
std::optional<double> steadyBeat(const std::vector<double>& beats, double roughBeat)
{
    const double span = beats.back() - beats.front();
    // Steps of a quarter of the width of the peak a song of this length gives.
    const double step = 0.25 * (roughBeat / 2.0) / std::max(span, roughBeat);
    double best = 1.0;
    double bestKeeping = -1.0;
    auto search = [&](double from, double to, double by) {
        for (double scale = from; scale <= to; scale += by) {
            double keeping = halfBeatKeeping(beats, roughBeat * scale / 2.0);
            if (keeping > bestKeeping) {
                bestKeeping = keeping;
                best = scale;
            }
        }
    };
    search(0.95, 1.05, step);
    search(best - step, best + step, step / 20.0);
    if (bestKeeping < 0.5)
        return std::nullopt;
    return roughBeat * best;
}

// Where on the beat most beats fall, as a fraction of it: the fullest tenth of the beat, then
// the mean direction of the beats within a tenth and a half of it.
double commonPhase(const std::vector<double>& beats, double beat)
{
    auto fractionOf = [beat](double time) { return time / beat - std::floor(time / beat); };
    int counts[10] = {};
    for (double time : beats)
        ++counts[std::min(9, int(fractionOf(time) * 10.0))];
    int fullest = int(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts));
    double centre = (fullest + 0.5) / 10.0;
    double x = 0.0;
    double y = 0.0;
    for (double time : beats) {
        double offset = fractionOf(time) - centre;
        offset -= std::round(offset);
        if (std::fabs(offset) <= 0.15) {
            x += std::cos(2.0 * std::acos(-1.0) * offset);
            y += std::sin(2.0 * std::acos(-1.0) * offset);
        }
    }
    double phase = centre + std::atan2(y, x) / (2.0 * std::acos(-1.0));
    return phase - std::floor(phase);
}

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
    std::optional<double> beat = steadyBeat(beats, roughBeat);
    if (!beat)
        return std::nullopt;
    const double phase = commonPhase(beats, *beat) * *beat;

    // Of the four beats of a bar, the downbeat is taken to be the strongest, counting the beats
    // that fall on the grid.
    double strength[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < beats.size() && i < strengths.size(); ++i) {
        double number = (beats[i] - phase) / *beat;
        if (std::fabs(number - std::round(number)) > 0.15)
            continue;
        long long index = std::llround(number);
        strength[((index % 4) + 4) % 4] += strengths[i];
    }
    int downbeat = int(std::max_element(std::begin(strength), std::end(strength)) - std::begin(strength));
    BeatGrid grid;
    grid.beatsPerMinute = std::round(60.0 / *beat * 10.0) / 10.0;
    grid.firstDownbeat = phase + downbeat * *beat;
    return grid;
}

BeatGrid strongestDownbeat(BeatGrid grid, double seconds, const std::function<double(double)>& strengthAt)
{
    const double halfBeat = 30.0 / grid.beatsPerMinute;
    const double bar = grid.secondsPerBar();
    double bestLoudness = -1.0;
    double bestDownbeat = grid.firstDownbeat;
    for (int half = 0; half < 8; ++half) {
        double first = std::fmod(grid.firstDownbeat + half * halfBeat, bar);
        double loudness = 0.0;
        int count = 0;
        for (double time = first; time < seconds; time += bar, ++count)
            loudness += strengthAt(time);
        if (count > 0 && loudness / count > bestLoudness) {
            bestLoudness = loudness / count;
            bestDownbeat = first;
        }
    }
    grid.firstDownbeat = bestDownbeat;
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
