// The song's timeline: the grid shared with the show, the sections, and the lead's onsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "rules/ShowTimeline.h"
#include "tools/compose/Score.h"

namespace {

bool nearly(double a, double b, double tolerance = 1e-9)
{
    return std::fabs(a - b) <= tolerance;
}

}  // namespace

TEST(ComposeScore, BarsFollowTheSharedGrid)
{
    struct Case {
        int bar;
        double seconds;
    };
    for (const Case& c : std::vector<Case>{{1, 0.0}, {2, 1.875}, {5, 7.5}, {13, 22.5}, {25, 45.0}, {33, 60.0}})
        EXPECT_DOUBLE_EQ(compose::barStart(c.bar), c.seconds) << "bar " << c.bar;
    EXPECT_DOUBLE_EQ(compose::gridTime(24, 16), 45.0);
    EXPECT_DOUBLE_EQ(compose::gridTime(1, 4), kSecondsPerBeat);
}

TEST(ComposeScore, SectionsCoverEveryBarAndTheChorusStartsAtBar25)
{
    compose::Score score = compose::buildScore();
    ASSERT_FALSE(score.sections.empty());
    EXPECT_EQ(score.sections.front().firstBar, 1);
    for (size_t i = 1; i < score.sections.size(); ++i)
        EXPECT_EQ(score.sections[i].firstBar, score.sections[i - 1].lastBar + 1) << score.sections[i].name;
    auto chorus = std::find_if(score.sections.begin(), score.sections.end(),
                               [](const compose::Section& s) { return s.name == "chorus"; });
    ASSERT_NE(chorus, score.sections.end());
    EXPECT_EQ(chorus->firstBar, 25);
    EXPECT_DOUBLE_EQ(compose::barStart(chorus->firstBar), kPhotoStart);
    // The final chord lands inside the photo scene, and the music stops just before it ends.
    EXPECT_EQ(score.sections.back().firstBar, compose::kFinalBar);
    EXPECT_GT(compose::barStart(compose::kFinalBar), kPhotoStart);
    EXPECT_GT(score.seconds, 57.5);
    EXPECT_LT(score.seconds, kPhotoEnd);
}

TEST(ComposeScore, EveryBarStartsOnAKickAndTheChorusLandsWithCrashAndVoice)
{
    compose::Score score = compose::buildScore();
    for (int bar = 1; bar <= compose::kFinalBar; ++bar) {
        bool kick = std::any_of(score.drums.begin(), score.drums.end(), [&](const compose::DrumHit& hit) {
            return hit.drum == compose::Drum::Kick && nearly(hit.time, compose::barStart(bar));
        });
        EXPECT_TRUE(kick) << "bar " << bar;
    }
    auto at45 = [](double time) { return nearly(time, kPhotoStart); };
    EXPECT_TRUE(std::any_of(score.drums.begin(), score.drums.end(), [&](const compose::DrumHit& hit) {
        return hit.drum == compose::Drum::Crash && at45(hit.time) && hit.velocity >= 0.99;
    }));
    EXPECT_TRUE(std::any_of(score.lead.begin(), score.lead.end(), [&](const compose::Note& n) { return at45(n.start); }));
    // The build ends cleanly on the chorus.
    for (const compose::Riser& riser : score.risers)
        EXPECT_LE(riser.end, kPhotoStart + 1e-9);
}

TEST(ComposeScore, LeadOnsetsSitOnHundredthsWithinFiveMillisecondsOfTheGrid)
{
    compose::Score score = compose::buildScore();
    ASSERT_GT(score.lead.size(), 87u);
    double previousEnd = 0.0;
    for (const compose::Note& note : score.lead) {
        double hundredths = note.start * 100.0;
        EXPECT_TRUE(nearly(hundredths, std::round(hundredths), 1e-6)) << note.start;
        double sixteenths = note.start / compose::kSixteenthSeconds;
        double offGrid = std::fabs(sixteenths - std::round(sixteenths)) * compose::kSixteenthSeconds;
        EXPECT_LE(offGrid, 0.005 + 1e-9) << note.start;
        EXPECT_GE(note.start, previousEnd - 1e-9) << "the voice is monophonic: " << note.start;
        EXPECT_GT(note.duration, 0.05) << note.start;
        previousEnd = note.start + note.duration;
        // A voice's range: nothing a singer could not reach.
        EXPECT_GE(note.pitch, 57) << note.start;
        EXPECT_LE(note.pitch, 79) << note.start;
    }
}

TEST(ComposeScore, EverythingEndsInsideTheTrack)
{
    compose::Score score = compose::buildScore();
    for (const std::vector<compose::Note>* part : {&score.lead, &score.harmony, &score.bass, &score.pad, &score.pluck}) {
        ASSERT_FALSE(part->empty());
        for (const compose::Note& note : *part) {
            EXPECT_GE(note.start, 0.0);
            EXPECT_LE(note.start + note.duration, score.seconds - 0.2) << note.start;
            EXPECT_GT(note.velocity, 0.0);
            EXPECT_LE(note.velocity, 1.0);
        }
    }
}
