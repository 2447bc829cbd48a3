// sovane05-make: one command from a song, its lyric file and a picture to a show folder that
// plays (sovane05 FOLDER), checks clean and exports: FOLDER/data/ with the config, both
// programs, the timing file, the 87 lyric images, the photo and the music. Everything is built
// beside FOLDER and moved into place only when all of it succeeded.
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/OutputFile.h"
#include "platform/system/StopSignal.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/lyrics/LyricBuild.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/lib/photo/PictureFile.h"
#include "tools/lib/photo/PlacedPhoto.h"
#include "tools/make/MusicImport.h"
#include "tools/make/ShowPlan.h"
#include "tools/make/ShowStaging.h"
#include "tools/make/StockFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-make --music SONG --lyrics FILE.lrc [--photo PICTURE]... [--font FONT]...\n"
    "                     [--bpm N] [--strict] [--force] --output FOLDER\n"
    "\n"
    "Makes a show folder of your own song: FOLDER/data/ with the music, the lyric images and\n"
    "their timing, the photo and the show's programs. Play it with sovane05 FOLDER (from a\n"
    "checkout, scripts/run FOLDER). The show's windows stay as they are:\n"
    "lyrics from 0 to 45 s, the photo from 45 to 58 s; the music plays to its end.\n"
    "\n";

struct Options {
    std::string music;
    std::string lyrics;
    std::vector<std::string> photos;
    LyricBuildOptions fonts;
    std::optional<double> bpm;
    bool force = false;
    std::string output;
};

std::vector<Option> optionTable(Options& options)
{
    auto bpm = [&options](const OptionUse& use) {
        options.bpm = parseNumber(use.value);
        if (!options.bpm || *options.bpm < 30.0 || *options.bpm > 300.0)
            return "--bpm needs beats per minute between 30 and 300, not '" + std::string(use.value) + "'";
        return std::string();
    };
    return {
        {"--music", "", "SONG",
         "the song: an MP3 is used as it is, anything else ffmpeg reads is\nencoded as MP3 with LAME",
         storeValue(options.music)},
        {"--lyrics", "", "FILE",
         "the lyric file (LRC, or the show's own form); entries that start\nafter 45 s are left out",
         storeValue(options.lyrics)},
        {"--photo", "", "PICTURE",
         "your picture for the photo scene, laid out as a tilted print; give\ntwo for two prints (default: the "
         "stock landscape prints)",
         appendValue(options.photos, 2, "--photo takes one or two pictures")},
        {"--font", "", "FONT",
         "a font for the lyrics; give several, tried in order per character\n(default: DejaVu Sans Bold, then the "
         "fonts for other scripts)",
         appendValue(options.fonts.fonts)},
        {"--bpm", "", "N", "the song's tempo, for the background's beat and bar pulses (default 128)", bpm},
        {"--strict", "", "", "make every warning an error", setFlag(options.fonts.strict)},
        {"--force", "", "", "replace the data/ of an existing FOLDER, keeping the one before as\nFOLDER/data.backup (replacing an older backup)", setFlag(options.force)},
        {"--output", "", "FOLDER", "the show folder to make", storeValue(options.output)},
    };
}

const Tool kTool = describeTool("sovane05-make", kSynopsis, optionTable);

void say(const std::string& line)
{
    std::fprintf(stderr, "sovane05-make: %s\n", line.c_str());
}

// The show folder's data/ as the user will know it, for messages about files being staged.
fs::path shownData(const Options& options)
{
    return fs::path(options.output) / kShowDataFolder;
}

// One file of the staged data/, complete and synced before the folder moves into place; ""
// when written, else what went wrong naming the file as it will be called.
std::string writeStaged(const Options& options, const fs::path& data, const fs::path& file, std::string_view bytes)
{
    std::error_code error;
    fs::create_directories((data / file).parent_path(), error);
    std::vector<unsigned char> content(bytes.begin(), bytes.end());
    std::optional<std::string> failure = writeFileAtomically(data / file, content);
    return failure ? (shownData(options) / file).string() + ": " + *failure : "";
}

// The lyric file read, fitted and laid out, its warnings and errors said; nothing after errors.
std::optional<LyricBuild> buildReportedLyrics(const Options& options, const std::string& lyricText)
{
    LyricBuild lyrics = buildLyrics(lyricText, options.lyrics, options.fonts);
    if (!options.fonts.strict)
        for (const std::string& warning : lyrics.warnings)
            say(markedWarning(warning, options.lyrics));
    for (const std::string& error : lyrics.errors)
        say(error);
    if (!lyrics.ok())
        return std::nullopt;
    return lyrics;
}

// The song as data/ywsf.mp3, and what its length means for the lyrics; nothing after a
// failure, a stop, or a warning under --strict.
std::optional<ImportedMusic> importReportedMusic(const Options& options, const LyricBuild& lyrics,
                                                 const ShowStaging& staging)
{
    std::string failure;
    std::optional<ImportedMusic> music = importMusic(options.music, staging.data() / kMusicFileName,
                                                     shownData(options) / kMusicFileName, staging.scratch(),
                                                     stopRequested, failure);
    if (!music) {
        if (!failure.empty())
            say(failure);
        return std::nullopt;
    }
    std::vector<double> starts;
    for (const LyricEntry& entry : lyrics.sheet.entries)
        starts.push_back(entry.start);
    std::vector<std::string> musicNotes = musicWarnings(music->seconds, lyrics.sheet.lengthMilliseconds, starts);
    for (const std::string& note : musicNotes)
        say(options.music + ": " + (options.fonts.strict ? "" : "warning: ") + note);
    if (options.fonts.strict && !musicNotes.empty())
        return std::nullopt;
    return music;
}

// The photo scene's picture from the user's pictures, or the stock one; nothing after a
// picture that cannot be read.
std::optional<PhotoImage> composeReportedPhoto(const Options& options)
{
    std::vector<Picture> pictures;
    for (const std::string& path : options.photos) {
        std::string failure;
        std::optional<Picture> picture = readPicture(path, failure);
        if (!picture) {
            say(failure);
            return std::nullopt;
        }
        pictures.push_back(std::move(*picture));
    }
    return placedPhoto(pictures.empty() ? composePhoto(1920, 1080) : composePhoto(1920, 1080, pictures));
}

// The stock show's hand-written files, the background set to --bpm.
bool writeStockFiles(const Options& options, const fs::path& data)
{
    for (const StockFile& file : stockFiles()) {
        std::string content(file.content);
        // Both stages of the background state the tempo: the vertex stage times the frame by it.
        if ((file.path == "white.frag" || file.path == "white.vert") && options.bpm) {
            std::optional<std::string> retimed = setBackgroundTempo(content, *options.bpm);
            if (!retimed) {
                say("data/" + std::string(file.path) + ": the stock background has no line '" + std::string(kTempoLine) +
                    "…;' to set the tempo in");
                return false;
            }
            content = *retimed;
        }
        if (std::string failure = writeStaged(options, data, file.path, content); !failure.empty()) {
            say(failure);
            return false;
        }
    }
    return true;
}

// What the show folder is made of before anything is written: the lyrics laid out and the
// photo composed.
struct Prepared {
    LyricBuild lyrics;
    PhotoImage photo;
};

// Writes everything into the staging folder; false after reporting, or after a stop.
bool build(const Options& options, const Prepared& prepared, ShowStaging& staging)
{
    const fs::path data = staging.data();
    const LyricBuild& lyrics = prepared.lyrics;
    std::optional<ImportedMusic> music = importReportedMusic(options, lyrics, staging);
    if (!music)
        return false;
    if (std::optional<std::string> error = writeLyrics(lyrics, data, shownData(options), stopRequested)) {
        if (!error->empty())
            say(*error);
        return false;
    }
    if (stopRequested())
        return false;
    const PhotoImage& photo = prepared.photo;
    if (std::string failure = writePng(data / "photo.png", photo.width, photo.height, 4, photo.pixels.data());
        !failure.empty()) {
        say((shownData(options) / "photo.png").string() + ": " + failure);
        return false;
    }
    if (!writeStockFiles(options, data) || stopRequested())
        return false;

    say(options.lyrics + ": " + summariseLyrics(lyrics));
    say(options.music + ": " + (music->reencoded ? "encoded from " + music->format + " as MP3, " : "") +
        formatLyricSeconds(music->seconds) + " long against the show's 58 s" +
        (options.bpm ? ", background at " + tempoLiteral(*options.bpm) + " BPM" : ""));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (std::optional<int> status = startTool(kTool, optionTable(options), argc, argv))
        return *status;
    if (options.music.empty() || options.lyrics.empty() || options.output.empty())
        return usageError(kTool, "--music, --lyrics and --output are needed");

    InputText lyricText = readInputFile(options.lyrics.c_str());
    if (!lyricText.read)
        return reportFailure(kTool, options.lyrics + ": cannot read the lyric file: " + lyricText.failure);

    // Nothing is written yet, so a signal ends the tool at once while the lyrics are laid out
    // and the pictures decoded. The lyrics first: they are where a new user's file most often
    // needs work.
    std::optional<LyricBuild> lyrics = buildReportedLyrics(options, lyricText.text);
    if (!lyrics)
        return 1;
    lyricText.text = std::string();
    std::optional<PhotoImage> photo = composeReportedPhoto(options);
    if (!photo)
        return 1;
    Prepared prepared{std::move(*lyrics), std::move(*photo)};

    // From here a signal only asks the build to stop, so the staging folder is always removed.
    catchStopSignals();
    std::string failure;
    std::optional<ShowStaging> staging = ShowStaging::begin(options.output, options.force, failure);
    if (!staging)
        return reportFailure(kTool, failure);
    try {
        if (!build(options, prepared, *staging) || stopRequested()) {
            if (stopRequested())
                say(options.output + ": interrupted; nothing written");
            return 1;
        }
    } catch (const std::exception& error) {
        return reportFailure(kTool, options.output + ": " + error.what());
    }
    if (!staging->commit(failure))
        return reportFailure(kTool, failure);
    if (staging->keptBackup())
        say((fs::path(options.output) / kShowDataFolder).string() + ": replaced; the one before is kept as " +
            (fs::path(options.output) / ShowStaging::kBackupName).string());
    say("made " + options.output + ": play it with sovane05 " + options.output + " (from a checkout, scripts/run " +
        options.output + ")");
    return 0;
}
