// sovane05-make's decisions without GL or sound: the background's copy on the song's beat and
// cues, the beat grid from the beats a tracker heard, the beats and loudness heard as the music
// streams, the whole song laid out as scenes and the list that says so, the fades at a cut as
// the song streams, the made config, and the lyric file's length against the music.
#include <aubio/aubio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "rules/SceneList.h"
#include "tests/support/TempDir.h"
#include "tools/make/BackgroundCues.h"
#include "tools/make/MusicLoudness.h"
#include "tools/make/ShowPlan.h"
#include "tools/make/SongCut.h"
#include "tools/make/SongLayout.h"
#include "tools/make/TempoFinder.h"

namespace {

const std::filesystem::path kData = std::filesystem::path(SOVANE05_SOURCE_DIR) / "data";

// A sheet of rows, each one entry at its start and a second `sung` seconds later.
struct SungRow {
    double start;
    double end;
    double sung;
};

void makeSheet(const std::vector<SungRow>& sung, std::vector<LyricRow>& rows, std::vector<LyricEntry>& entries)
{
    for (const SungRow& row : sung) {
        LyricRow made;
        made.start = row.start;
        made.end = row.end;
        made.firstEntry = int(entries.size());
        made.entryCount = 2;
        rows.push_back(made);
        entries.push_back({row.start, row.end, "a", int(rows.size() - 1), 0, 0, 1});
        entries.push_back({row.start + row.sung, row.end, "b", int(rows.size() - 1), 0, 2, 3});
    }
}

}  // namespace

TEST(MakePlan, TheBackgroundsCopyKeepsItsLookAndTakesTheSongsCues)
{
    const std::string vertex = readFile(kData / "white.vert");
    const std::string fragment = readFile(kData / "white.frag");
    BackgroundCues cues;
    cues.beatsPerMinute = 97.5;
    cues.firstDownbeat = 0.4126;
    cues.end = 183.2;
    cues.warmWindows = {{62.5, 80.0}, {171.0, 183.2}};
    std::string missing;
    std::optional<std::string> madeVertex = backgroundWithCues(vertex, "white.vert", cues, missing);
    std::optional<std::string> madeFragment = backgroundWithCues(fragment, "white.frag", cues, missing);
    ASSERT_TRUE(madeVertex && madeFragment) << "the stock background lost the line '" << missing << "'";

    for (const char* line : {"const float kBeat = 60.0 / 97.5;\n", "const float kDownbeat = 0.413;\n",
                             "const float kEnd = 183.2;\n", "const int kWarmCount = 2;\n",
                             "const vec2 kWarm[2] = vec2[2](vec2(62.5, 80.0), vec2(171.0, 183.2));\n",
                             "    float chorus = warmAt(time);\n", "    float beat = fract((time - kDownbeat) / kBeat);\n",
                             "    float flash = flashAt(time);\n"})
        EXPECT_NE(madeVertex->find(line), std::string::npos) << line;
    EXPECT_EQ(madeVertex->find("kChorus"), std::string::npos) << "a stock cue is left in the vertex stage";
    EXPECT_NE(madeFragment->find("const float kBeat = 60.0 / 97.5;\n"), std::string::npos);
    EXPECT_EQ(madeFragment->find("kChorus"), std::string::npos);
    // Everything but the cues stays: the per-pixel work of the fragment stage, the colours of
    // the vertex stage.
    EXPECT_EQ(madeFragment->substr(madeFragment->find("const float kTau")), fragment.substr(fragment.find("const float kTau")));
    std::string colours = vertex.substr(vertex.find("    float drift"), vertex.find("    float flash") - vertex.find("    float drift"));
    EXPECT_NE(madeVertex->find(colours), std::string::npos);

    // Without a photo scene the warm colours never come.
    BackgroundCues none;
    std::optional<std::string> plain = backgroundWithCues(vertex, "white.vert", none, missing);
    ASSERT_TRUE(plain);
    EXPECT_NE(plain->find("const int kWarmCount = 0;\nconst vec2 kWarm[1] = vec2[1](vec2(-1.0, -1.0));"),
              std::string::npos);

    // A program that is not the stock one is refused, naming what it lacks.
    const std::pair<std::string, std::string> foreign[] = {
        {"void main() {}\n", "// The show's tempo and timetable, from rules/ShowTimeline.h"},
        {vertex.substr(0, vertex.find("    float bar = ")), "    float bar = fract(time / kBar);"},
    };
    for (const auto& [program, line] : foreign) {
        EXPECT_FALSE(backgroundWithCues(program, "white.vert", cues, missing));
        EXPECT_EQ(missing, line);
    }
    EXPECT_EQ(floatLiteral(128.0), "128.0");
    EXPECT_EQ(floatLiteral(0.4126), "0.413");
}

TEST(MakePlan, BeatsHeardGiveTheTempoAndTheFirstDownbeat)
{
    // Beats every `beat` seconds from `first`, every fourth from `strong` on the loudest, with
    // a jitter of up to 20 ms and every seventh beat missed.
    auto heard = [](double first, double beat, int count, int strong, bool missing) {
        std::pair<std::vector<double>, std::vector<double>> beats;
        for (int i = 0; i < count; ++i) {
            if (missing && i % 7 == 3)
                continue;
            beats.first.push_back(first + i * beat + 0.02 * std::sin(i * 1.7));
            beats.second.push_back(i % 4 == strong ? 3.0 : 1.0);
        }
        return beats;
    };
    // A tracker on the beat for 20 beats, then on the off-beat for 40.
    std::pair<std::vector<double>, std::vector<double>> slipped = heard(0.0, 0.5, 20, 0, false);
    for (double time : heard(10.25, 0.5, 40, 0, false).first) {
        slipped.first.push_back(time);
        slipped.second.push_back(1.0);
    }
    std::fill(slipped.second.begin(), slipped.second.end(), 1.0);
    struct Case {
        std::string name;
        std::pair<std::vector<double>, std::vector<double>> beats;
        std::optional<BeatGrid> grid;
    };
    const Case cases[] = {
        {"128 BPM from 0", heard(0.0, 60.0 / 128.0, 64, 0, false), BeatGrid{128.0, 0.0}},
        {"97.5 BPM, the downbeat on the third beat heard", heard(0.3, 60.0 / 97.5, 120, 2, true),
         BeatGrid{97.5, 0.3 + 2 * 60.0 / 97.5}},
        {"a first beat late in the song", heard(7.1, 0.5, 40, 1, false), BeatGrid{120.0, 1.6}},
        {"on the off-beat for most of the song", slipped, BeatGrid{120.0, 0.25}},
        {"too few beats", heard(0.0, 0.5, 7, 0, false), std::nullopt},
        {"no steady beat", {{0.0, 0.3, 1.4, 1.6, 2.9, 3.0, 4.4, 5.9, 6.0, 7.7}, {}}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<BeatGrid> grid = fitBeatGrid(c.beats.first, c.beats.second);
        ASSERT_EQ(grid.has_value(), c.grid.has_value()) << c.name;
        if (!grid)
            continue;
        EXPECT_NEAR(grid->beatsPerMinute, c.grid->beatsPerMinute, 0.051) << c.name;
        EXPECT_NEAR(grid->firstDownbeat, c.grid->firstDownbeat, 0.02) << c.name;
        EXPECT_LT(grid->firstDownbeat, 4 * 60.0 / grid->beatsPerMinute) << c.name << ": not the first downbeat";
    }

    // A tracker whose own beat runs a little fast drifts early and catches up every 53 beats, by
    // a beat and a fifth; in every other run it follows the off-beat for nine beats. The tempo
    // is still the song's.
    std::vector<double> drifting;
    for (int run = 0; run < 7; ++run)
        for (int i = 0; i < 53; ++i)
            drifting.push_back(0.3 + run * 26.5 + i * 0.498 - (run % 2 == 1 && i >= 20 && i < 29 ? 0.25 : 0.0));
    std::optional<BeatGrid> drifted = fitBeatGrid(drifting, std::vector<double>(drifting.size(), 1.0));
    ASSERT_TRUE(drifted);
    EXPECT_NEAR(drifted->beatsPerMinute, 120.0, 0.051);

    // The music at the grid settles the downbeat: a song whose downbeat at `downbeat` is
    // loudest, its other beats less, its off-beats least, whatever half beat the grid found.
    auto song = [](double downbeat, double beat) {
        return [downbeat, beat](double time) {
            double halves = (time - downbeat) / (beat / 2.0);
            long long half = std::llround(halves);
            if (std::fabs(halves - double(half)) > 0.1)
                return 0.0;
            long long inBar = ((half % 8) + 8) % 8;
            return inBar == 0 ? 4.0 : inBar % 2 == 0 ? 2.0 : 1.0;
        };
    };
    struct Settled {
        std::string name;
        BeatGrid found;
        double downbeat;
    };
    const Settled settled[] = {
        {"found on the off-beat, a little early", BeatGrid{128.0, 0.700}, 0.0},
        {"found on the third beat", BeatGrid{97.5, 0.3 + 2 * 60.0 / 97.5}, 0.3},
        {"found right", BeatGrid{120.0, 1.6}, 1.6},
        {"found half a bar late, the downbeat in the second bar", BeatGrid{120.0, 1.5}, 0.5},
    };
    for (const Settled& c : settled) {
        BeatGrid grid = strongestDownbeat(c.found, 180.0, song(c.downbeat, 60.0 / c.found.beatsPerMinute));
        EXPECT_EQ(grid.beatsPerMinute, c.found.beatsPerMinute) << c.name;
        EXPECT_NEAR(std::remainder(grid.firstDownbeat - c.downbeat, grid.secondsPerBar()), 0.0, 0.005) << c.name;
        EXPECT_GE(grid.firstDownbeat, 0.0) << c.name;
        EXPECT_LT(grid.firstDownbeat, grid.secondsPerBar()) << c.name << ": not the first downbeat";
    }
}

TEST(MakePlan, AWholeSongIsLaidOutAsLyricsAndPhotoScenes)
{
    struct Case {
        std::string name;
        std::vector<SungRow> rows;
        double music;
        std::vector<PhotoRequest> photoAt;
        std::vector<std::string> photos;
        std::vector<std::string> scenes;
        int hidden = 0;
    };
    // 120 BPM from 0.25 s: bars of 2 s, downbeats at 0.25, 2.25, …; a stretch of four bars (8 s)
    // is a photo scene.
    const Case cases[] = {
        {"a long intro, a solo, the outro, two pictures in turn",
         {{12.0, 16.0, 2.0}, {16.0, 40.0, 2.0}, {40.0, 44.0, 2.5}, {44.0, 46.0, 1.0}},
         60.0, {}, {"photo", "photo2"},
         {"PhotoCompo 0:00.00-0:12.00 photo", "Lyrics 0:12.00-0:24.25", "PhotoCompo 0:24.25-0:40.00 photo2",
          "Lyrics 0:40.00-0:46.25", "PhotoCompo 0:46.25-1:00.00 photo"}},
        {"a short intro, lines close together, an outro that is not on a downbeat",
         {{3.0, 6.0, 1.0}, {6.0, 10.0, 1.0}, {10.0, 14.0, 1.0}}, 21.0, {}, {"photo"},
         {"Lyrics 0:00.00-0:14.25", "PhotoCompo 0:14.25-0:21.00 photo"}},
        {"a line that ends a moment after a downbeat: the picture comes with its end, not a bar later",
         {{2.0, 6.0, 1.0}, {6.0, 20.28, 14.0}, {32.0, 36.0, 1.0}}, 40.0, {}, {"photo"},
         {"Lyrics 0:00.00-0:20.28", "PhotoCompo 0:20.28-0:32.00 photo", "Lyrics 0:32.00-0:36.25",
          "PhotoCompo 0:36.25-0:40.00 photo"}},
        {"singing to the end", {{0.0, 5.0, 1.0}, {5.0, 30.0, 24.8}}, 30.0, {}, {"photo"}, {"Lyrics 0:00.00-0:30.00"}},
        {"no lyrics", {}, 30.0, {}, {"photo2"}, {"PhotoCompo 0:00.00-0:30.00 photo2"}},
        // The second, four bars from 30 s, joins the solo before it and the outro after it, and
        // covers the last line.
        {"photo scenes asked for: one inside the lyrics, one beside a solo",
         {{2.0, 6.0, 1.0}, {6.0, 10.0, 1.0}, {10.0, 32.0, 1.0}, {32.0, 36.0, 1.0}}, 40.0,
         {{5.0, 9.0}, {30.0, std::nullopt}}, {"photo"},
         {"Lyrics 0:00.00-0:05.00", "PhotoCompo 0:05.00-0:09.00 photo", "Lyrics 0:09.00-0:18.25",
          "PhotoCompo 0:18.25-0:40.00 photo"},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<LyricRow> rows;
        std::vector<LyricEntry> entries;
        makeSheet(c.rows, rows, entries);
        SongPlan plan;
        plan.musicSeconds = c.music;
        plan.grid = {120.0, 0.25};
        plan.photoAt = c.photoAt;
        plan.photoTextures = c.photos;
        std::vector<ListedScene> scenes = layOutSong(rows, entries, plan);
        EXPECT_EQ(describeScenes(scenes), c.scenes);
        EXPECT_EQ(entriesHidden(scenes, entries), c.hidden);

        // The list covers the song without a gap, and the show reads it back as laid out.
        SceneList read = parseSceneList(formatSceneList(scenes));
        EXPECT_TRUE(read.faults.empty()) << read.faults.front().what;
        ASSERT_EQ(read.scenes.size(), scenes.size());
        for (size_t i = 0; i < scenes.size(); ++i) {
            EXPECT_EQ(read.scenes[i].kind, scenes[i].kind);
            EXPECT_NEAR(read.scenes[i].start, i == 0 ? 0.0 : scenes[i - 1].end, 5e-4);
            EXPECT_NEAR(read.scenes[i].end, scenes[i].end, 5e-4);
            EXPECT_EQ(read.scenes[i].textures, scenes[i].textures);
        }
        EXPECT_EQ(read.scenes.back().end, c.music);
    }
}

TEST(MakePlan, APartOfTheSongFadesWhereItIsCut)
{
    const long long frames = 441000;  // 10 s
    struct Case {
        long long frame;
        bool fadeIn;
        bool fadeOut;
        double gain;
    };
    const Case cases[] = {
        {0, true, true, 0.0},          {1102, true, false, 1102 / 2205.0}, {2205, true, true, 1.0},
        {0, false, false, 1.0},        {frames - 1, false, true, 0.0},      {frames - 1, true, false, 1.0},
        {frames - 1 - 33075, false, true, 0.5}, {frames / 2, true, true, 1.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(cutGain(c.frame, frames, c.fadeIn, c.fadeOut), c.gain, 1e-9) << c.frame;
    // A part shorter than its fades fades out over its second half.
    EXPECT_NEAR(cutGain(49, 101, false, true), 1.0, 1e-9);
    EXPECT_NEAR(cutGain(75, 101, false, true), 25 / 50.5, 1e-9);
    EXPECT_NEAR(cutGain(100, 101, false, true), 0.0, 1e-9);
}

TEST(MakePlan, APartCutAsTheSongStreamsIsThePartCutFromTheWholeSong)
{
    // A song of `seconds` whose every sample differs, cut from the whole of it as make once did.
    auto song = [](double seconds) {
        std::vector<float> stereo(std::size_t(seconds * kSongSampleRate) * 2);
        for (std::size_t i = 0; i < stereo.size(); ++i)
            stereo[i] = float(std::sin(double(i) * 0.01)) * (i % 2 == 0 ? 0.5f : 0.25f);
        return stereo;
    };
    auto cutWhole = [](const std::vector<float>& stereo, long long first, long long to) {
        const long long songFrames = (long long)stereo.size() / 2;
        const long long last = std::min(songFrames, to);
        std::vector<float> part;
        for (long long n = 0; n < last - first; ++n) {
            float gain = float(cutGain(n, last - first, first > 0, last < songFrames));
            part.push_back(stereo[std::size_t(first + n) * 2] * gain);
            part.push_back(stereo[std::size_t(first + n) * 2 + 1] * gain);
        }
        return part;
    };
    const long long kEnd = std::numeric_limits<long long>::max();
    struct Case {
        std::string name;
        double seconds;
        long long first;
        long long to;
        std::size_t block;  // frames ffmpeg hands on at a time
    };
    const Case cases[] = {
        {"the whole song", 4.0, 0, kEnd, 4096},
        {"a part inside the song", 5.0, 22050, 200000, 1000},
        {"from a moment to the end", 4.0, 44100, kEnd, 65537},
        {"to a moment past the end", 3.0, 1000, 500000, 333},
        {"a part shorter than its fades", 2.0, 10000, 40000, 1},
        {"a part longer than the fade out by one frame", 3.0, 0, 66151, 7000},
        {"nothing of it", 1.0, 50000, kEnd, 4096},
    };
    for (const Case& c : cases) {
        const std::vector<float> stereo = song(c.seconds);
        SongCut part(c.first, c.to);
        std::vector<float> streamed;
        auto take = [&streamed](std::span<const float> frames) {
            streamed.insert(streamed.end(), frames.begin(), frames.end());
        };
        for (std::size_t at = 0; at < stereo.size() / 2; at += c.block)
            part.add(stereo.data() + 2 * at, std::min(c.block, stereo.size() / 2 - at), take);
        part.finish(take);
        const std::vector<float> whole = cutWhole(stereo, c.first, c.to);
        EXPECT_EQ(part.songFrames(), (long long)stereo.size() / 2) << c.name;
        EXPECT_EQ(part.partFrames(), (long long)whole.size() / 2) << c.name;
        EXPECT_TRUE(streamed == whole) << c.name << ": " << streamed.size() << " samples, not " << whole.size();
    }
}

namespace {

// 44.1 kHz stereo: a burst of noise every half second, the first of each four louder, over a
// quiet tone, with some silence at the start: music with a beat to hear.
std::vector<int16_t> kicks(double seconds)
{
    std::vector<int16_t> stereo(std::size_t(seconds * kSongSampleRate) * 2);
    uint32_t noise = 12345;
    for (std::size_t frame = 0; frame < stereo.size() / 2; ++frame) {
        double t = double(frame) / kSongSampleRate;
        double sinceKick = std::fmod(t - 0.37, 0.5);
        int beat = int(std::floor((t - 0.37) / 0.5));
        noise = noise * 1664525u + 1013904223u;
        double burst = t >= 0.37 ? (double(noise >> 8) / double(1 << 24) - 0.5) * std::exp(-sinceKick * 30.0) *
                                       (beat % 4 == 0 ? 1.6 : 0.8)
                                 : 0.0;
        double tone = 0.05 * std::sin(2 * M_PI * 440.0 * t);
        stereo[2 * frame] = int16_t(std::lround((burst + tone) * 30000.0));
        stereo[2 * frame + 1] = int16_t(std::lround((burst - tone) * 30000.0));
    }
    return stereo;
}

// The mean square of the mono mix's 60 ms from `seconds`, from the whole music.
double wholeLoudness(const std::vector<int16_t>& stereo, double seconds)
{
    const int64_t frames = int64_t(stereo.size() / 2);
    const int64_t first = std::clamp<int64_t>(int64_t(seconds * kSongSampleRate), 0, frames);
    const int64_t last = std::min(frames, first + kSongSampleRate * 60 / 1000);
    double power = 0.0;
    for (int64_t frame = first; frame < last; ++frame) {
        double mono = (stereo[size_t(frame) * 2] + stereo[size_t(frame) * 2 + 1]) / 65536.0;
        power += mono * mono;
    }
    return last > first ? power / double(last - first) : 0.0;
}

// aubio's beats in the whole music at once, as make found them before it streamed.
HeardBeats wholeBeats(const std::vector<int16_t>& stereo)
{
    HeardBeats heard;
    aubio_tempo_t* tempo = new_aubio_tempo("default", 1024, 512, kSongSampleRate);
    fvec_t* input = new_fvec(512);
    fvec_t* output = new_fvec(1);
    for (std::size_t start = 0; start + 512 <= stereo.size() / 2; start += 512) {
        for (std::size_t i = 0; i < 512; ++i)
            input->data[i] = smpl_t((stereo[(start + i) * 2] + stereo[(start + i) * 2 + 1]) / 65536.0);
        aubio_tempo_do(tempo, input, output);
        if (output->data[0] != 0.0f) {
            double beat = aubio_tempo_get_last_s(tempo);
            if (heard.times.empty() || beat > heard.times.back()) {
                heard.times.push_back(beat);
                heard.strengths.push_back(wholeLoudness(stereo, beat));
            }
        }
    }
    del_fvec(output);
    del_fvec(input);
    del_aubio_tempo(tempo);
    return heard;
}

}  // namespace

TEST(MakePlan, BeatsAndLoudnessHeardAsTheMusicStreamsAreThoseOfTheWholeMusic)
{
    const std::vector<int16_t> music = kicks(40.0);
    const HeardBeats whole = wholeBeats(music);
    ASSERT_GT(whole.times.size(), 20u) << whole.times.size() << " beats: too few for the comparison to mean anything";
    // The moments a beat grid asks for: out of order, before the music, past its end, and in its
    // last 60 ms.
    const std::vector<double> moments = {3.0, 0.37, -1.0, 39.98, 45.0, 10.123, 0.37, 0.0, 39.5};
    for (std::size_t block : {std::size_t(1), std::size_t(511), std::size_t(4097), std::size_t(100000),
                              music.size() / 2}) {
        TempoFinder finder;
        MusicLoudness loudness;
        for (double moment : moments)
            loudness.ask(moment);
        for (std::size_t at = 0; at < music.size() / 2; at += block) {
            std::span<const int16_t> part(music.data() + 2 * at, 2 * std::min(block, music.size() / 2 - at));
            finder.add(part);
            loudness.add(part);
        }
        HeardBeats streamed = finder.finish();
        EXPECT_EQ(streamed.times, whole.times) << "blocks of " << block;
        EXPECT_EQ(streamed.strengths, whole.strengths) << "blocks of " << block;
        EXPECT_EQ(loudness.frames(), int64_t(music.size() / 2));
        std::vector<double> measured = loudness.finish();
        ASSERT_EQ(measured.size(), moments.size());
        for (std::size_t i = 0; i < moments.size(); ++i)
            EXPECT_EQ(measured[i], wholeLoudness(music, moments[i])) << moments[i] << " s, blocks of " << block;
    }
    // A moment whose samples were let go is a fault of the caller's, not a quiet 0.
    MusicLoudness late;
    late.add(std::span<const int16_t>(music.data(), std::size_t(2 * 300000)));
    EXPECT_THROW(late.ask(0.5), std::logic_error);
    EXPECT_NO_THROW(late.ask(6.5));
}

TEST(MakePlan, TheMadeConfigRegistersEveryEntryAndPicture)
{
    std::string config = madeConfig(readFile(kData / "config.txt"), 3, {"photo", "photo2"});
    std::string expected =
        "Shader white data/white.frag data/white.vert\n"
        "Shader textlayout data/textlayout.frag data/textlayout.vert\n"
        "Mesh tetra data/meshes/tetra.mesh\n"
        "Texture photo data/photo.png\n"
        "Texture photo2 data/photo2.png\n"
        "Texture 002 data/lyrics/002.png\n"
        "Texture 001 data/lyrics/001.png\n"
        "Texture 000 data/lyrics/000.png\n";
    ASSERT_GE(config.size(), expected.size());
    EXPECT_EQ(config.substr(config.size() - expected.size()), expected);
    EXPECT_EQ(config.substr(0, 2), "# ");
    EXPECT_EQ(photoTextureName(0), "photo");
    EXPECT_EQ(photoTextureName(2), "photo3");
}

TEST(MakePlan, TheLyricFilesLengthIsWeighedAgainstTheMusic)
{
    struct Case {
        double seconds;
        std::optional<long long> lengthTag;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {192.4, {}, {}},
        {192.4, 192000, {}},
        {57.5, 190000,
         {"the lyric file's [length:] is 3:10.00 but the music is 0:57.50 long: the lyrics may be timed for another "
          "recording"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(musicWarnings(c.seconds, c.lengthTag), c.warnings) << c.seconds;
}
