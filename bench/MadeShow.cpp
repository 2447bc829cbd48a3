// Making the benchmarks' show of a whole song.
#include "bench/MadeShow.h"

#include <memory>
#include <vector>

#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"
#include "tools/lib/lyrics/LyricFile.h"

namespace {

constexpr int kSongSeconds = 240;

// 100 lines of four words every two seconds: 46 from 8 s, a solo from 100 s, 54 from 120 s.
std::string lyrics()
{
    std::string text;
    int line = 0;
    auto sing = [&](double from, int lines) {
        for (int i = 0; i < lines; ++i, ++line) {
            double start = from + 2.0 * i;
            text += "[" + formatLyricSeconds(start) + "]";
            for (int word = 0; word < 4; ++word)
                text += (word == 0 ? " " : " <" + formatLyricSeconds(start + 0.4 * word) + ">") + "word" +
                        std::to_string(line * 4 + word);
            text += "\n";
        }
        text += "[" + formatLyricSeconds(from + 2.0 * lines) + "]\n";
    };
    sing(8.0, 46);
    sing(120.0, 54);
    return text;
}

MadeShow make(const std::filesystem::path& makeTool)
{
    static TempDir folder;
    MadeShow made;
    made.folder = folder / "show";
    made.seconds = kSongSeconds;
    writeFile(folder / "song.lrc", lyrics());
    ProcessResult song = runProcess(
        {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
         "aevalsrc=exprs='(0.35+0.5*lt(mod(t-0.3\\,2)\\,0.25))*sin(2*PI*55*t)*exp(-12*mod(t-0.3\\,0.5))*gte(t\\,0.3)+"
         "0.25*sin(2*PI*440*t)':s=44100:d=" + std::to_string(kSongSeconds),
         "-ac", "2", "-c:a", "libmp3lame", "-b:a", "160k", (folder / "song.mp3").string()},
        {}, folder.path(), 300.0);
    if (song.exitStatus != 0) {
        made.failure = "ffmpeg could not make the song: " + song.err;
        return made;
    }
    std::vector<uint8_t> portrait(600 * 900 * 3), landscape(1200 * 800 * 3);
    for (size_t i = 0; i < portrait.size(); ++i)
        portrait[i] = uint8_t(i * 7 % 251);
    for (size_t i = 0; i < landscape.size(); ++i)
        landscape[i] = uint8_t(i * 13 % 241);
    writeTestPng(folder / "portrait.png", 600, 900, 3, portrait);
    writeTestPng(folder / "landscape.png", 1200, 800, 3, landscape);
    ProcessResult run = runProcess({makeTool.string(), "--music", "song.mp3", "--lyrics", "song.lrc", "--photo",
                                    "portrait.png", "--photo", "landscape.png", "--output", "show"},
                                   {"SDL_AUDIODRIVER=dummy"}, folder.path(), 900.0);
    if (run.exitStatus != 0)
        made.failure = "sovane05-make failed: " + run.err;
    return made;
}

}  // namespace

const MadeShow& madeShow(const std::filesystem::path& makeTool)
{
    static const MadeShow made = make(makeTool);
    return made;
}
