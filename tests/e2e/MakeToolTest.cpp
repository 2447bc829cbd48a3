// The real sovane05-make on songs, LRC files and pictures made at test time: the folder it makes
// holds the whole show, laid out over the whole song, and the show plays it without a word to
// the music's end; a run that fails leaves nothing behind, and an existing folder is replaced
// only when asked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rules/LayoutHeader.h"
#include "rules/SceneList.h"
#include "tests/support/Image.h"
#include "tests/support/ShowRun.h"
#include "tests/support/TestImages.h"
#include "tests/support/Trace.h"
#include "tools/lib/gl/MusicFile.h"
#include "tools/lib/lyrics/LyricFile.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

// An LRC file as editors and lyric sites write them: byte-order mark, CR LF, tags, [mm:ss:xx],
// a line with two time tags, one after the song's end, accents, Cyrillic and Japanese.
const std::string kLyrics = "\xEF\xBB\xBF[ti:Caf\xC3\xA9]\r\n[length:00:03]\r\n"
                            "[00:00:30] Caf\xC3\xA9 <00:00.70>\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE\r\n"
                            "[00:01.20][01:50.00] \xE5\xA4\x8F\xE3\x81\xAE\r\n[00:02.40]\r\n";

// The names in a folder, hidden ones too.
std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// A song of 100 seconds at 120 BPM as a user's song might be laid out: a kick on every beat from
// 0.3 s, louder on the first of each bar, over a steady tone; lines of four word-stamped words
// every two seconds from 8.3 s, a solo from 58.3 s to 70.3 s (a pause marker ends the verse),
// lines again to 88.3 s, an outro. Longer than the stock show, with more lyric entries than it
// has slots, and short enough to be played through in real time.
constexpr double kSongSeconds = 100.0;
constexpr double kSoloStart = 58.3;
constexpr double kSoloEnd = 70.3;
constexpr double kLastLineEnd = 88.3;

std::string wholeSongLyrics()
{
    std::string text = "[ti:Whole song]\n";
    int line = 0;
    for (double start = 8.3; start < kLastLineEnd - 1.0; start += 2.0) {
        if (start > kSoloStart - 1.0 && start < kSoloEnd) {
            text += "[" + formatLyricSeconds(kSoloStart) + "]\n";
            start = kSoloEnd - 2.0;
            continue;
        }
        text += "[" + formatLyricSeconds(start) + "]";
        for (int word = 0; word < 4; ++word)
            text += (word == 0 ? " " : " <" + formatLyricSeconds(start + 0.5 * word) + ">") + "w" +
                    std::to_string(line * 4 + word);
        text += "\n";
        ++line;
    }
    return text + "[" + formatLyricSeconds(kLastLineEnd) + "]\n";
}

// The pixel at the middle of a still: where a photo's single print shows its picture.
Rgba middleOf(const Image& image)
{
    return image.at(image.width / 2, image.height / 2);
}

struct Inputs {
    Inputs()
    {
        writeFile(folder / "song.lrc", kLyrics);
        writeFile(folder / "broken.lrc", "[00:01.00] fine\r\nno time tag\r\n");
        // A tone in Ogg Vorbis, which the show cannot play as it is.
        ProcessResult song = runProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=3",
                                         "-ac", "2", "-c:a", "libvorbis", (folder / "song.ogg").string()},
                                        {}, folder.path(), 60.0);
        EXPECT_EQ(song.exitStatus, 0) << song.err;
        // A portrait picture: red over its top half, blue below.
        std::vector<uint8_t> pixels;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 40; ++x)
                pixels.insert(pixels.end(), {uint8_t(y < 30 ? 220 : 20), 30, uint8_t(y < 30 ? 20 : 220)});
        writeTestPng(folder / "picture.png", 40, 60, 3, pixels);
    }

    ProcessResult make(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> command = {SOVANE05_MAKE_TOOL};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return runProcess(command, {"SDL_AUDIODRIVER"}, folder.path(), 120.0);
    }

    TempDir folder;
};

}  // namespace

TEST(MakeTool, MakesAShowFolderThatPlaysWithoutAReport)
{
    Inputs inputs;
    ProcessResult made = inputs.make({"--music", "song.ogg", "--lyrics", "song.lrc", "--photo", "picture.png", "--bpm",
                                      "100", "--output", "show"});
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    EXPECT_EQ(made.out, "");
    EXPECT_THAT(made.err, HasSubstr("sovane05-make: song.lrc:4: warning: 1 entry left out: the first, "
                                    "'\xE5\xA4\x8F\xE3\x81\xAE', starts at 1:50.00, after the music ends at 0:03.00\n"));
    EXPECT_THAT(made.err, HasSubstr("sovane05-make: song.lrc: 3 entries in 2 lines, 1 left out after the end, 1 "
                                    "warning\n"));
    EXPECT_THAT(made.err, HasSubstr("sovane05-make: song.ogg: encoded from ogg as MP3, 0:03.00 long; 100.0 BPM, "
                                    "first downbeat at 0:00.00, as given\n"));
    EXPECT_THAT(made.err, HasSubstr("sovane05-make: show/data/scenes.txt: 2 scenes: Lyrics 0:00.00-0:02.40, "
                                    "PhotoCompo 0:02.40-0:03.00 photo\n"));
    EXPECT_EQ(namesIn(inputs.folder.path()).size(), 5u) << "only the inputs and the show folder";
    // The show folder gets the permissions of any new folder, not its private staging folder's.
    fs::create_directory(inputs.folder / "plain");
    EXPECT_EQ(fs::status(inputs.folder / "show").permissions(), fs::status(inputs.folder / "plain").permissions());
    fs::remove(inputs.folder / "plain");

    const fs::path data = inputs.folder / "show/data";
    for (const char* file : {"config.txt", "texttiming.txt", "scenes.txt", "photo.png", "ywsf.mp3", "white.frag",
                             "white.vert", "textlayout.frag", "textlayout.vert", "meshes/tetra.mesh", "lyrics/000.png",
                             "lyrics/002.png"})
        EXPECT_TRUE(fs::is_regular_file(data / file)) << file;
    EXPECT_EQ(namesIn(data / "lyrics").size(), 3u) << "one image per entry";
    EXPECT_EQ(readFile(data / "texttiming.txt"), "0.300 1.200\n0.700 1.200\n1.200 2.400\n");
    for (const char* stage : {"white.frag", "white.vert"})
        EXPECT_THAT(readFile(data / stage), HasSubstr("const float kBeat = 60.0 / 100.0;")) << stage;
    EXPECT_THAT(readFile(data / "white.vert"), HasSubstr("const vec2 kWarm[1] = vec2[1](vec2(2.4, 3.0));"));
    ProcessResult probe = runProcess({"ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of",
                                      "default=noprint_wrappers=1:nokey=1", (data / "ywsf.mp3").string()});
    EXPECT_EQ(probe.out, "mp3\n");
    // The picture keeps its shape: taller than wide, red above blue, in the middle of the frame,
    // which its header places over the whole screen.
    Image photo = loadImage((data / "photo.png").string());
    std::optional<TextPlacement> place = readLayoutHeader(photo.pixels.data(), photo.width, photo.height);
    ASSERT_TRUE(place && place->stretched);
    EXPECT_EQ(std::pair(place->frameWidth, place->frameHeight), std::pair(1920, 1080));
    auto inFrame = [&](int x, int y) {
        int column = x - place->left, row = y - place->top + 1;
        bool inside = column >= 0 && column < photo.width && row >= 1 && row < photo.height;
        return inside ? photo.at(column, row) : Rgba{};
    };
    EXPECT_TRUE(colourNear(inFrame(960, 300), {220, 30, 20, 255}, 12)) << inFrame(960, 300);
    EXPECT_TRUE(colourNear(inFrame(960, 700), {20, 30, 220, 255}, 12)) << inFrame(960, 700);
    EXPECT_EQ(inFrame(560, 540).a, 0) << "the picture was stretched across";
    EXPECT_LT(photo.width, 1920) << "the photo holds only what shows";

    ProcessResult checked = runProcess({SOVANE05_CHECK_TOOL, "--data", data.string()}, {}, {}, 120.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
    EXPECT_EQ(checked.out, "0 errors, 0 warnings\n");

    ShowRun show(inputs.folder / "show");
    ProcessResult played = show.finish(60.0);
    EXPECT_EQ(played.signal, 0);
    EXPECT_EQ(played.exitStatus, 0) << played.err;
    EXPECT_EQ(played.out, "") << "a shader report";
    EXPECT_EQ(played.err, "");

    // A part of the song: the music cut, the lyrics moved with it, a photo scene where asked.
    ProcessResult part = inputs.make({"--music", "song.ogg", "--lyrics", "song.lrc", "--bpm", "100", "--from", "0.5",
                                      "--to", "0:02.50", "--photo-at", "1.5", "--output", "part"});
    ASSERT_EQ(part.exitStatus, 0) << part.err;
    EXPECT_THAT(part.err, HasSubstr("song.ogg: encoded from ogg as MP3, 0:02.00 long (0:00.50 to 0:02.50 of "
                                    "0:03.00); "));
    EXPECT_THAT(part.err, HasSubstr("song.lrc:3: warning: 1 entry left out: the last, 'Caf\xC3\xA9', starts at "
                                    "0:00.30, before the part of the song taken begins at 0:00.50\n"));
    EXPECT_EQ(readFile(inputs.folder / "part/data/texttiming.txt"), "0.200 0.700\n0.700 1.900\n");
    EXPECT_THAT(part.err, HasSubstr("part/data/scenes.txt: 2 scenes: Lyrics 0:00.00-0:01.00, PhotoCompo "
                                    "0:01.00-0:02.00 photo\n"));
    // Each pass over the music says how far it is, in seconds of the music, in the tools' form.
    for (const char* pass : {"sovane05-make: 3/3 seconds encoded (100%), ", "sovane05-make: 2/2 seconds measured (100%), "})
        EXPECT_THAT(part.err, HasSubstr(pass));

    // An MP3 the show plays at a rate of its own, in mono, is copied as it is; the show's decoder
    // converts it, and the beat is listened for in what the show hears.
    ProcessResult mono = runProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=330:duration=3",
                                     "-ar", "48000", "-ac", "1", "-c:a", "libmp3lame", "mono48k.mp3"},
                                    {}, inputs.folder.path(), 60.0);
    ASSERT_EQ(mono.exitStatus, 0) << mono.err;
    ProcessResult copied = inputs.make({"--music", "mono48k.mp3", "--lyrics", "song.lrc", "--output", "mono"});
    ASSERT_EQ(copied.exitStatus, 0) << copied.err;
    EXPECT_EQ(readFile(inputs.folder / "mono/data/ywsf.mp3"), readFile(inputs.folder / "mono48k.mp3"));
    std::string why;
    std::optional<DecodedMusic> heard = decodeMusic((inputs.folder / "mono48k.mp3").string(), why);
    ASSERT_TRUE(heard.has_value()) << why;
    EXPECT_THAT(copied.err, HasSubstr("sovane05-make: mono48k.mp3: " + formatLyricSeconds(heard->seconds()) + " long; "));
    EXPECT_THAT(copied.err, HasSubstr(" seconds heard (100%), "));
}

TEST(MakeTool, AFailedRunLeavesNothingAndAnExistingFolderIsReplacedOnlyWhenAsked)
{
    Inputs inputs;
    writeFile(inputs.folder / "old/data/config.txt", "the old show\n");
    writeFile(inputs.folder / "old/show.mp4", "an export");
    writeFile(inputs.folder / "mine/notes.txt", "not a show");
    writeFile(inputs.folder / "mine/data/notes.txt", "not a show's data");
    makeFifo(inputs.folder / "fifo");
    fs::create_directory(inputs.folder / "folder");
    struct Case {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string err;  // the last line of standard error
        std::string made;  // the folder the run made or replaced, or ""
        std::string before = "";  // the line before the last, when it matters
    };
    const std::vector<std::string> good = {"--music", "song.ogg", "--lyrics", "song.lrc"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> arguments = good;
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    };
    const Case cases[] = {
        {{"--music", "song.ogg", "--lyrics", "broken.lrc", "--output", "new"}, 1,
         "sovane05-make: broken.lrc: 1 error: nothing made\n", "",
         "sovane05-make: broken.lrc:2: expected a time tag like [01:02.50] at the start of the line, not 'no time tag'\n"},
        {with({"--output", "new", "--strict"}), 1, "sovane05-make: song.lrc: 1 error: nothing made\n", "",
         "sovane05-make: song.lrc:4: 1 entry left out: the first, '\xE5\xA4\x8F\xE3\x81\xAE', starts at 1:50.00, after "
         "the music ends at 0:03.00\n"},
        {with({"--output", "new", "--from", "0:05"}), 1,
         "sovane05-make: song.ogg: the song is 0:03.00 long; --from 0:05.00 leaves nothing of it\n", ""},
        {with({"--output", "new", "--from", "2", "--to", "1.5"}), 2, "Try 'sovane05-make --help'.\n", ""},
        {with({"--output", "new", "--photo-at", "2-1"}), 2, "Try 'sovane05-make --help'.\n", ""},
        {{"--music", "song.ogg", "--lyrics", ".", "--output", "new"}, 1, "sovane05-make: .: 1 error: nothing made\n", "",
         "sovane05-make: .: cannot read the lyric file: Is a directory\n"},
        {{"--music", "song.lrc", "--lyrics", "song.lrc", "--output", "new"}, 1, "sovane05-make: song.lrc: not music that ffmpeg reads\n", ""},
        {with({"--photo", "song.lrc", "--output", "new"}), 1, "sovane05-make: song.lrc: cannot read the picture: ", ""},
        // Once a make that waited on its ffprobe child for ever, deaf to Ctrl-C.
        {{"--music", "fifo", "--lyrics", "song.lrc", "--output", "new"}, 1,
         "sovane05-make: fifo: cannot read the music: not a regular file\n", ""},
        {{"--music", "folder", "--lyrics", "song.lrc", "--output", "new"}, 1,
         "sovane05-make: folder: cannot read the music: Is a directory\n", ""},
        // Once read as an empty lyric file, and made into a show with no words.
        {{"--music", "song.ogg", "--lyrics", "folder", "--output", "new"}, 1,
         "sovane05-make: folder: 1 error: nothing made\n", "",
         "sovane05-make: folder: cannot read the lyric file: Is a directory\n"},
        {with({"--photo", "folder", "--output", "new"}), 1,
         "sovane05-make: folder: cannot read the picture: Is a directory\n", ""},
        {with({"--output", "song.lrc/new"}), 1,
         "sovane05-make: song.lrc/new: the folder it would go in, song.lrc, is not a folder\n", ""},
        {with({"--output", "old"}), 1, "sovane05-make: old: already exists; --force replaces its data/\n", ""},
        {with({"--output", "mine", "--force"}), 1,
         "sovane05-make: mine/data: not a show's data folder (no config.txt); not replaced\n", ""},
        {with({"--output", "old", "--force"}), 0, "sovane05-make: wrote old/data/ (", "old"},
        {with({"--bpm", "fast", "--output", "new"}), 2, "Try 'sovane05-make --help'.\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[c.arguments.size() - (c.arguments.back() == "--force" ? 2 : 1)]);
        ProcessResult result = inputs.make(c.arguments);
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << result.err;
        std::string last = result.err.substr(result.err.rfind('\n', result.err.size() - 2) + 1);
        if (c.exitStatus == 2)
            last = result.err.substr(result.err.find('\n') + 1);
        EXPECT_EQ(last.substr(0, c.err.size()), c.err) << result.err;
        if (!c.before.empty()) {
            EXPECT_THAT(result.err, HasSubstr(c.before + last));
        }
        std::vector<std::string> names = namesIn(inputs.folder.path());
        EXPECT_EQ(names.size(), 8u) << "the run left something behind or took something away";
        EXPECT_FALSE(fs::exists(inputs.folder / "new"));
    }
    EXPECT_EQ(readFile(inputs.folder / "old/show.mp4"), "an export") << "--force replaces data/ only";
    EXPECT_NE(readFile(inputs.folder / "old/data/config.txt"), "the old show\n");
    EXPECT_EQ(readFile(inputs.folder / "old/data.backup/config.txt"), "the old show\n") << "--force lost the old data/";
    EXPECT_EQ(namesIn(inputs.folder / "old/data/lyrics").size(), 3u);
    EXPECT_EQ(readFile(inputs.folder / "mine/data/notes.txt"), "not a show's data");
}

// A user's three-minute song with its LRC file and two pictures becomes, with one command, a show
// that carries its lyrics from the first line to the last, with the pictures in its instrumental
// stretches and the background on the song's beat; it checks clean, its stills show what its
// scene list says, and it plays to the music's end.
TEST(MakeTool, AWholeSongBecomesAShowFromItsFirstLineToItsLastNote)
{
    TempDir folder;
    writeFile(folder / "song.lrc", wholeSongLyrics());
    ProcessResult song = runProcess(
        {"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
         "aevalsrc=exprs='(0.35+0.5*lt(mod(t-0.3\\,2)\\,0.25))*sin(2*PI*55*t)*exp(-12*mod(t-0.3\\,0.5))*gte(t\\,0.3)+"
         "0.25*sin(2*PI*440*t)':s=44100:d=" +
             std::to_string(int(kSongSeconds)),
         "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", (folder / "song.mp3").string()},
        {}, folder.path(), 120.0);
    ASSERT_EQ(song.exitStatus, 0) << song.err;
    std::vector<uint8_t> red(40 * 60 * 3), blue(80 * 50 * 3);
    for (size_t i = 0; i < red.size(); i += 3)
        red[i] = 220;
    for (size_t i = 0; i < blue.size(); i += 3)
        blue[i + 2] = 220;
    writeTestPng(folder / "red.png", 40, 60, 3, red);
    writeTestPng(folder / "blue.png", 80, 50, 3, blue);

    ProcessResult made = runProcess({SOVANE05_MAKE_TOOL, "--music", "song.mp3", "--lyrics", "song.lrc", "--photo",
                                     "red.png", "--photo", "blue.png", "--output", "show"},
                                    {"SDL_AUDIODRIVER"}, folder.path(), 600.0);
    ASSERT_EQ(made.exitStatus, 0) << made.err;
    // The beat as aubio hears it: the tempo, and the first accented kick within a few hundredths.
    const std::string tempo = "song.mp3: 1:40.00 long; 120.0 BPM, first downbeat at 0:0";
    size_t found = made.err.find(tempo);
    ASSERT_NE(found, std::string::npos) << made.err;
    EXPECT_NEAR(std::stod(made.err.substr(found + tempo.size())), 0.3, 0.06) << made.err;
    EXPECT_THAT(made.err, HasSubstr("song.lrc: 136 entries in 34 lines\n"));
    const fs::path data = folder / "show/data";
    EXPECT_EQ(namesIn(data / "lyrics").size(), 136u);

    // The intro, the solo and the outro are photo scenes, the pictures in turn; lyrics between.
    SceneList list = parseSceneList(readFile(data / "scenes.txt"));
    EXPECT_TRUE(list.faults.empty());
    ASSERT_EQ(list.scenes.size(), 5u) << readFile(data / "scenes.txt");
    const SceneKind expectedKinds[] = {SceneKind::PhotoCompo, SceneKind::Lyrics, SceneKind::PhotoCompo,
                                       SceneKind::Lyrics, SceneKind::PhotoCompo};
    const char* expectedPhotos[] = {"photo", "", "photo2", "", "photo"};
    for (size_t i = 0; i < list.scenes.size(); ++i) {
        EXPECT_EQ(list.scenes[i].kind, expectedKinds[i]) << "scene " << i;
        EXPECT_EQ(list.scenes[i].start, i == 0 ? 0.0 : list.scenes[i - 1].end) << "a gap before scene " << i;
        if (*expectedPhotos[i] != '\0') {
            EXPECT_EQ(list.scenes[i].textures, std::vector<std::string>{expectedPhotos[i]}) << "scene " << i;
        }
    }
    EXPECT_NEAR(list.scenes[2].start, kSoloStart, 2.0) << "the solo's photo scene starts within a bar of the solo";
    EXPECT_NEAR(list.scenes[2].end, kSoloEnd, 1e-3);
    EXPECT_NEAR(list.scenes[4].end, kSongSeconds, 1e-3);

    ProcessResult checked = runProcess({SOVANE05_CHECK_TOOL, "--data", data.string()}, {}, {}, 300.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
    EXPECT_EQ(checked.out, "0 errors, 0 warnings\n");

    // A late verse shows its lyric row and no picture; inside the solo the second picture shows,
    // inside the outro the first again.
    ProcessResult stills = runProcess({SOVANE05_RENDER_TOOL, "--data", data.string(), "--size", "480x270", "--at",
                                       "85.95", "--at", "65", "--at", "96", "-o", (folder / "still-%d.png").string()},
                                      {}, folder.path(), 300.0);
    ASSERT_EQ(stills.exitStatus, 0) << stills.err;
    Image verse = loadImage((folder / "still-0.png").string());
    Image solo = loadImage((folder / "still-1.png").string());
    Image outro = loadImage((folder / "still-2.png").string());
    int lettering = 0;
    for (size_t i = 0; i < verse.pixels.size(); i += 4)
        lettering += std::min({verse.pixels[i], verse.pixels[i + 1], verse.pixels[i + 2]}) > 200 ? 1 : 0;
    EXPECT_GT(lettering, 100) << "no lyric row at a late verse";
    EXPECT_FALSE(colourNear(middleOf(verse), {220, 0, 0, 255}, 60)) << "a picture during the lyrics";
    EXPECT_TRUE(colourNear(middleOf(solo), {0, 0, 220, 255}, 20)) << middleOf(solo);
    EXPECT_TRUE(colourNear(middleOf(outro), {220, 0, 0, 255}, 20)) << middleOf(outro);

    ShowRun show(folder / "show", {.arguments = {}, .environment = recordSoundInto(folder / "sound.raw")});
    ProcessResult played = show.finish(kSongSeconds + 240.0);
    EXPECT_EQ(played.exitStatus, 0) << played.err;
    EXPECT_EQ(played.out, "") << "a shader report";
    EXPECT_EQ(showLines(played.err), std::vector<std::string>{});
    EXPECT_GE(musicHeard(folder / "sound.raw").seconds, kSongSeconds - 0.5) << "the show ended before the music";
}
