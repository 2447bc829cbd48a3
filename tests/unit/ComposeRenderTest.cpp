// The finished render of the song: repeatable to the bit, inside its level and length limits,
// with the beat on the shared bar grid and the chorus lifting at 45 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "tools/compose/Dsp.h"
#include "tools/compose/Instruments.h"
#include "tools/compose/Loudness.h"
#include "tools/compose/Mixdown.h"
#include "tools/compose/Score.h"

namespace {

double decibels(double power)
{
    return 10.0 * std::log10(power + 1e-30);
}

// Mean power of both channels between two moments, after an optional filter per channel.
double meanPower(const compose::StereoBuffer& audio, double from, double to)
{
    double sum = 0.0;
    std::size_t first = compose::sampleAt(from), last = compose::sampleAt(to);
    for (std::size_t n = first; n < last; ++n)
        sum += double(audio.left[n]) * audio.left[n] + double(audio.right[n]) * audio.right[n];
    return sum / double(2 * (last - first));
}

compose::StereoBuffer filtered(const compose::StereoBuffer& audio, const compose::Biquad& filter)
{
    compose::StereoBuffer result(audio.frames());
    compose::Biquad left = filter, right = filter;
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        result.left[n] = float(left.process(audio.left[n]));
        result.right[n] = float(right.process(audio.right[n]));
    }
    return result;
}

compose::Score firstSeconds(double seconds)
{
    compose::Score score = compose::buildScore();
    for (std::vector<compose::Note>* part : {&score.lead, &score.harmony, &score.bass, &score.pad, &score.pluck})
        std::erase_if(*part, [&](const compose::Note& note) { return note.start + note.duration > seconds - 0.5; });
    std::erase_if(score.drums, [&](const compose::DrumHit& hit) { return hit.time > seconds - 0.5; });
    score.risers.clear();
    score.seconds = seconds;
    return score;
}

}  // namespace

TEST(ComposeRender, TheSameScoreRendersToTheSameSamples)
{
    // The first twelve seconds hold every instrument but the riser; the whole track's bytes
    // are compared by the end-to-end test of the tool.
    std::optional<compose::StereoBuffer> first = compose::mixdown(firstSeconds(12.0));
    std::optional<compose::StereoBuffer> second = compose::mixdown(firstSeconds(12.0));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->frames(), compose::sampleAt(12.0));
    ASSERT_EQ(first->frames(), second->frames());
    EXPECT_GT(compose::rmsDecibels(*first), -30.0);
    EXPECT_TRUE(first->left == second->left);
    EXPECT_TRUE(first->right == second->right);
}

TEST(ComposeRender, TrackFitsItsLevelsLengthAndGrid)
{
    compose::MixReport report;
    std::optional<compose::StereoBuffer> rendered = compose::mixdown(compose::buildScore(), &report);
    ASSERT_TRUE(rendered);
    const compose::StereoBuffer& audio = *rendered;

    // The music stops just before the photo scene ends at 58 s.
    EXPECT_GT(audio.seconds(), 57.5);
    EXPECT_LT(audio.seconds(), 58.0);
    for (std::size_t n = 0; n < audio.frames(); ++n)
        ASSERT_TRUE(std::isfinite(audio.left[n]) && std::isfinite(audio.right[n])) << n;

    compose::LoudnessReport loudness = compose::measure(audio);
    EXPECT_LE(loudness.samplePeakDecibels, compose::kCeilingDecibels + 0.01);
    EXPECT_LT(loudness.truePeakDecibels, -1.0);
    EXPECT_GT(loudness.integratedLufs, -14.0);
    EXPECT_LT(loudness.integratedLufs, -9.0);
    // The limiter only catches peaks; it does not squash the whole track.
    EXPECT_GT(report.deepestLimitingDecibels, -8.0);

    // Every bar up to the end carries sound, the final chord rings out inside the photo scene
    // (45–58 s), and the fade leaves the end near silence.
    for (int bar = 1; bar <= compose::kFinalBar; ++bar)
        EXPECT_GT(decibels(meanPower(audio, compose::barStart(bar), std::min(compose::barStart(bar + 1), audio.seconds()))),
                  -40.0)
            << bar;
    EXPECT_GT(compose::barStart(compose::kFinalBar), 45.0);
    EXPECT_GT(decibels(meanPower(audio, compose::barStart(compose::kFinalBar), compose::barStart(compose::kFinalBar) + 0.6)),
              -30.0);
    EXPECT_LT(decibels(meanPower(audio, audio.seconds() - 0.1, audio.seconds())), -60.0);

    // The kick marks each downbeat: the low band jumps right after every bar line.
    compose::StereoBuffer low = filtered(audio, compose::Biquad::lowPass(120.0, 0.7));
    for (int bar = 1; bar <= compose::kFinalBar; ++bar) {
        double downbeat = compose::barStart(bar);
        double after = meanPower(low, downbeat + 0.005, downbeat + 0.08);
        double before = bar == 1 ? 1e-12 : meanPower(low, downbeat - 0.08, downbeat - 0.005);
        EXPECT_GT(decibels(after) - decibels(before), 2.0) << "bar " << bar;
    }

    // The chorus lifts: above the kick's range it is clearly louder than the first verse.
    compose::StereoBuffer upper = filtered(audio, compose::Biquad::highPass(200.0, 0.7));
    double verse = meanPower(upper, compose::barStart(5), compose::barStart(13));
    double chorus = meanPower(upper, compose::barStart(25), compose::barStart(compose::kFinalBar));
    EXPECT_GT(decibels(chorus) - decibels(verse), 3.0);

    // Stereo but mono-safe: there is side signal, well below the middle.
    double middle = 0.0, side = 0.0;
    for (std::size_t n = 0; n < audio.frames(); ++n) {
        double m = 0.5 * (audio.left[n] + audio.right[n]), s = 0.5 * (audio.left[n] - audio.right[n]);
        middle += m * m;
        side += s * s;
    }
    EXPECT_GT(decibels(side) - decibels(middle), -25.0);
    EXPECT_LT(decibels(side) - decibels(middle), -6.0);
}

TEST(ComposeRender, StopsWhenAsked)
{
    int asked = 0;
    EXPECT_FALSE(compose::mixdown(compose::buildScore(), nullptr, [&] { return ++asked > 0; }));
    EXPECT_EQ(asked, 1);
}
