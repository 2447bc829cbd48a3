// sovane05-make: one command from a song, its lyric file and pictures to a show folder that
// plays (sovane05 FOLDER), checks clean and exports: FOLDER/data/ with the config, both
// programs (the background on the song's beat and cues), the scene list that lays the whole
// song out, the timing file, one image per lyric entry, the pictures and the music. Everything
// is built beside FOLDER and moved into place only when all of it succeeded.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/OutputFile.h"
#include "platform/system/StopSignal.h"
#include "rules/InputFile.h"
#include "rules/SceneList.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/base/Progress.h"
#include "tools/lib/lyrics/LyricBuild.h"
#include "tools/lib/photo/PhotoComposition.h"
#include "tools/lib/photo/PictureFile.h"
#include "tools/lib/photo/PlacedPhoto.h"
#include "tools/make/BackgroundCues.h"
#include "tools/make/MusicImport.h"
#include "tools/make/ShowPlan.h"
#include "tools/make/ShowStaging.h"
#include "tools/make/SongLayout.h"
#include "tools/make/StockFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSynopsis =
    "usage: sovane05-make --music SONG --lyrics FILE.lrc [--photo PICTURE]... [--encoding NAME]\n"
    "                     [--font FONT]... [--no-default-fonts] [--bpm N] [--downbeat T]\n"
    "                     [--from T] [--to T] [--photo-at T[-U]]... [--strict] [--force]\n"
    "                     --output FOLDER\n"
    "\n"
    "Makes a show folder of your own song: FOLDER/data/ with the music, the lyric images and\n"
    "their timing, the pictures, the show's programs and its scene list. The show follows the\n"
    "whole song: lyrics scenes wherever the lyric file has lines, photo scenes in the song's\n"
    "instrumental stretches (a long intro, gaps of four bars or more, the outro), the pictures\n"
    "in turn, and the background on the song's beat. Play it with sovane05 FOLDER (from a\n"
    "checkout, scripts/run FOLDER). Times T are seconds (83.5) or minutes and seconds (1:23.5)\n"
    "of the song.\n"
    "\n";

// sovane05-make's pictures, each its own photo texture.
constexpr int kMostPictures = 6;

struct Options {
    std::string music;
    std::string lyrics;
    std::vector<std::string> photos;
    LyricBuildOptions lyricOptions;
    std::optional<double> bpm;
    std::optional<double> downbeat;
    MusicCut cut;
    std::vector<PhotoRequest> photoAt;
    bool force = false;
    std::string output;
};

// Seconds, or minutes and seconds as a lyric file writes them.
std::optional<double> parseSongTime(std::string_view text)
{
    if (text.find(':') != std::string_view::npos) {
        std::optional<long long> milliseconds = parseLyricTime(text);
        return milliseconds ? std::optional<double>(*milliseconds / 1000.0) : std::nullopt;
    }
    std::optional<double> seconds = parseNumber(text);
    return seconds && *seconds >= 0.0 ? seconds : std::nullopt;
}

OptionAction storeTime(std::optional<double>& target)
{
    return [&target](const OptionUse& use) {
        target = parseSongTime(use.value);
        if (!target)
            return std::string(use.spelling) + " needs a time like 83.5 or 1:23.5, not '" + std::string(use.value) + "'";
        return std::string();
    };
}

OptionAction addPhotoRequest(std::vector<PhotoRequest>& requests)
{
    return [&requests](const OptionUse& use) {
        std::string_view text = use.value;
        std::size_t dash = text.find('-');
        std::optional<double> start = parseSongTime(text.substr(0, dash));
        std::optional<double> end;
        if (dash != std::string_view::npos)
            end = parseSongTime(text.substr(dash + 1));
        if (!start || (dash != std::string_view::npos && (!end || *end <= *start)))
            return "--photo-at needs a time T or a window T-U (U after T), not '" + std::string(text) + "'";
        requests.push_back({*start, end});
        return std::string();
    };
}

std::vector<Option> optionTable(Options& options)
{
    auto bpm = [&options](const OptionUse& use) {
        options.bpm = parseNumber(use.value);
        if (!options.bpm || *options.bpm < 30.0 || *options.bpm > 300.0)
            return "--bpm needs beats per minute between 30 and 300, not '" + std::string(use.value) + "'";
        return std::string();
    };
    auto from = [&options](const OptionUse& use) {
        std::optional<double> time = parseSongTime(use.value);
        if (!time)
            return "--from needs a time like 83.5 or 1:23.5, not '" + std::string(use.value) + "'";
        options.cut.from = *time;
        return std::string();
    };
    return {
        {"--music", "", "SONG",
         "the song: an MP3 is used as it is, anything else ffmpeg reads is\nencoded as MP3 with LAME",
         storeValue(options.music)},
        {"--lyrics", "", "FILE", "the lyric file (LRC, or the show's own form); up to 1000 entries",
         storeValue(options.lyrics)},
        {"--photo", "", "PICTURE",
         "a picture for the photo scenes, laid out as a tilted print; give\nseveral and the photo scenes take them in "
         "turn (at most 6; default:\nthe stock landscape prints)",
         appendValue(options.photos, kMostPictures, "--photo takes at most 6 pictures")},
        {"--encoding", "", "NAME",
         "the lyric file's encoding as iconv names it (GB18030, SHIFT_JIS, …);\ndefault: a byte-order mark, else "
         "UTF-8, else the encoding it looks like",
         storeValue(options.lyricOptions.encoding)},
        {"--font", "", "FONT",
         "a font for the lyrics, looked in before the default chain; give several,\ntried in order per character "
         "(the default chain: DejaVu Sans Bold, then\nthe installed fonts for other scripts and emoji)",
         appendValue(options.lyricOptions.fonts)},
        {"--no-default-fonts", "", "", "take the lyrics' characters from the --font fonts only",
         setFlag(options.lyricOptions.onlyGivenFonts)},
        {"--bpm", "", "N", "the song's tempo, for the background's beat and bar pulses (default:\nfound in the song)", bpm},
        {"--downbeat", "", "T", "the song's first downbeat (default: found in the song, or 0 with --bpm)",
         storeTime(options.downbeat)},
        {"--from", "", "T", "take the song from T on (the music fades in, the lyrics move with it)", from},
        {"--to", "", "T", "take the song up to T (the music fades out there)", storeTime(options.cut.to)},
        {"--photo-at", "", "T[-U]",
         "a photo scene from T, to U or for four bars; give it as often as\nwanted (times of the song)",
         addPhotoRequest(options.photoAt)},
        {"--strict", "", "", "make every warning an error", setFlag(options.lyricOptions.strict)},
        {"--force", "", "", "replace the data/ of an existing FOLDER, keeping the one before as\nFOLDER/data.backup (replacing an older backup)", setFlag(options.force)},
        {"--output", "", "FOLDER", "the show folder to make", storeValue(options.output)},
    };
}

const Tool kTool = describeTool("sovane05-make", kSynopsis, optionTable);

void say(const std::string& line)
{
    std::fprintf(stderr, "sovane05-make: %s\n", line.c_str());
}

// A warning, or under --strict an error that stops the run: true when it stops.
bool warn(const Options& options, const std::string& where, const std::string& what)
{
    say(where + ": " + (options.lyricOptions.strict ? "" : "warning: ") + what);
    return options.lyricOptions.strict;
}

// FOLDER/data as the user named FOLDER: what messages name, never the staging folder that goes.
fs::path shownData(const Options& options)
{
    return fs::path(options.output) / kShowDataFolder;
}

// One file of the staged data/, complete and synced before the folder moves into place. A
// failure names it as it would be in FOLDER/data.
bool writeBytes(const fs::path& data, const Options& options, const std::string& name, std::string_view bytes,
                std::string& failure)
{
    std::error_code error;
    fs::path path = data / name;
    fs::create_directories(path.parent_path(), error);
    if (std::optional<std::string> problem =
            writeFileAtomically(path, std::vector<unsigned char>(bytes.begin(), bytes.end()))) {
        failure = (shownData(options) / name).string() + ": " + *problem;
        return false;
    }
    return true;
}

// The lyric file read, fitted to the whole song (or the part taken) and laid out, its warnings
// and errors said; nothing after errors or a stop.
std::optional<LyricBuild> buildReportedLyrics(const Options& options, const std::string& lyricBytes,
                                              double musicSeconds)
{
    LyricBuildOptions lyricOptions = options.lyricOptions;
    lyricOptions.fit = wholeSongFit(musicSeconds, options.cut.from);
    lyricOptions.stopRequested = stopRequested;
    LyricBuild lyrics = buildLyrics(lyricBytes, options.lyrics, lyricOptions);
    if (lyrics.stopped)
        return std::nullopt;
    for (const std::string& line : lyricReport(lyrics, options.lyrics, lyricOptions.strict))
        say(line);
    if (!lyrics.ok()) {
        say(options.lyrics + ": " + failureSummary(lyrics, lyricOptions.strict));
        return std::nullopt;
    }
    return lyrics;
}

// The song as data/ywsf.mp3, the part taken; nothing after a failure or a stop.
std::optional<ImportedMusic> importReportedMusic(const Options& options, const ShowStaging& staging)
{
    std::string failure;
    std::optional<ImportedMusic> music = importMusic(options.music, staging.data() / kMusicFileName,
                                                     shownData(options) / kMusicFileName,
                                                     staging.scratch(), options.cut, !options.bpm,
                                                     stopRequested, failure);
    if (!music && !failure.empty())
        say(failure);
    return music;
}

// The song's beat: --bpm and --downbeat, else what aubio hears, else the stock 128 BPM from 0 s.
std::optional<BeatGrid> findGrid(const Options& options, const ImportedMusic& music, std::string& how)
{
    BeatGrid grid;
    if (options.bpm) {
        grid.beatsPerMinute = *options.bpm;
        how = "as given";
    } else {
        const HeardBeats& beats = music.beats;
        std::optional<BeatGrid> found = fitBeatGrid(beats.times, beats.strengths);
        if (found) {
            std::string failure;
            std::optional<BeatGrid> loudest = loudestDownbeat(music, *found, stopRequested, failure);
            if (!loudest) {
                if (!failure.empty())
                    say(failure);
                return std::nullopt;
            }
            grid = *loudest;
            how = "found by aubio in " + std::to_string(beats.times.size()) + " beats";
        } else if (warn(options, options.music,
                        "no steady beat found: the background keeps 128 BPM from 0 s; --bpm N and --downbeat T set them")) {
            return std::nullopt;
        } else {
            how = "the stock tempo";
        }
    }
    if (options.downbeat)
        grid.firstDownbeat = *options.downbeat - options.cut.from;
    return grid;
}

// The photo textures writePhotos writes: one per picture, or the stock prints.
int pictureCount(const Options& options)
{
    return std::max(1, int(options.photos.size()));
}

// Each picture as its own photo texture, or the stock prints; their texture names.
std::optional<std::vector<std::string>> writePhotos(const Options& options, const fs::path& data,
                                                    ProgressOnStandardError& progress)
{
    std::vector<std::string> names;
    std::vector<std::string> sources = options.photos;
    if (sources.empty())
        sources.emplace_back();
    for (const std::string& source : sources) {
        PhotoImage photo;
        if (source.empty()) {
            photo = placedPhoto(composePhoto(1920, 1080));
        } else {
            std::string failure;
            std::optional<Picture> picture = readPicture(source, failure);
            if (!picture) {
                progress.close();
                say(failure);
                return std::nullopt;
            }
            photo = placedPhoto(composePhoto(1920, 1080, {std::move(*picture)}));
        }
        std::string name = photoTextureName(int(names.size()));
        fs::path path = data / (name + ".png");
        if (std::string failure = writePng(path, photo.width, photo.height, 4, photo.pixels.data()); !failure.empty()) {
            progress.close();
            say((shownData(options) / (name + ".png")).string() + ": " + failure);
            return std::nullopt;
        }
        names.push_back(name);
        progress.show(int64_t(names.size()));
        if (stopRequested())
            return std::nullopt;
    }
    return names;
}

// The stock show's hand-written files, the config made for this show's entries and pictures,
// and the background on the song's beat and cues.
bool writeShowFiles(const fs::path& data, const Options& options, int entries, const std::vector<std::string>& photos,
                    const BackgroundCues& cues)
{
    std::string failure;
    for (const StockFile& file : stockFiles()) {
        std::string content(file.content);
        if (file.path == kConfigFileName) {
            content = madeConfig(content, entries, photos);
        } else if (file.path == "white.frag" || file.path == "white.vert") {
            std::string missing;
            std::optional<std::string> made = backgroundWithCues(content, file.path, cues, missing);
            if (!made) {
                say((shownData(options) / file.path).string() + ": the stock background has no line '" + missing +
                    "' to set the song's cues by");
                return false;
            }
            content = *made;
        }
        if (!writeBytes(data, options, std::string(file.path), content, failure)) {
            say(failure);
            return false;
        }
    }
    return true;
}

// What the run laid out, in a few lines.
void sayLayout(const Options& options, const ImportedMusic& music, const BeatGrid& grid, const std::string& how,
               const LyricBuild& lyrics, const std::vector<ListedScene>& scenes)
{
    std::string length = formatLyricSeconds(music.seconds) + " long";
    if (options.cut.cuts())
        length += " (" + formatLyricSeconds(options.cut.from) + " to " +
                  formatLyricSeconds(options.cut.from + music.seconds) + " of " + formatLyricSeconds(music.songSeconds) +
                  ")";
    say(options.music + ": " + (music.reencoded ? "encoded from " + music.format + " as MP3, " : "") + length + "; " +
        floatLiteral(grid.beatsPerMinute) + " BPM, first downbeat at " +
        formatLyricSeconds(grid.firstDownbeat) + ", " + how);
    say(options.lyrics + ": " + summariseLyrics(lyrics));
    std::string list;
    for (const std::string& scene : describeScenes(scenes))
        list += (list.empty() ? "" : ", ") + scene;
    say((shownData(options) / kSceneListFileName).string() + ": " + std::to_string(scenes.size()) + " scenes: " + list);
}

// The whole song's scenes for the pictures written; nothing when a warning under --strict stops
// the run.
std::optional<std::vector<ListedScene>> layOutScenes(const Options& options, const ImportedMusic& music,
                                                     const BeatGrid& grid, const std::vector<std::string>& photos,
                                                     const LyricBuild& lyrics)
{
    SongPlan plan;
    plan.musicSeconds = music.seconds;
    plan.grid = grid;
    plan.photoTextures = photos;
    for (const PhotoRequest& request : options.photoAt)
        plan.photoAt.push_back({request.start - options.cut.from,
                                request.end ? std::optional<double>(*request.end - options.cut.from) : std::nullopt});
    std::vector<ListedScene> scenes = layOutSong(lyrics.sheet.rows, lyrics.sheet.entries, plan);
    if (int hidden = entriesHidden(scenes, lyrics.sheet.entries); hidden > 0)
        if (warn(options, options.lyrics, std::to_string(hidden) + (hidden == 1 ? " entry is" : " entries are") +
                                              " sung only inside photo scenes and never show"))
            return std::nullopt;
    return scenes;
}

BackgroundCues cuesOf(const BeatGrid& grid, const ImportedMusic& music, const std::vector<ListedScene>& scenes)
{
    BackgroundCues cues;
    cues.beatsPerMinute = grid.beatsPerMinute;
    cues.firstDownbeat = grid.firstDownbeat;
    cues.end = music.seconds;
    for (const ListedScene& scene : scenes)
        if (scene.kind == SceneKind::PhotoCompo)
            cues.warmWindows.emplace_back(scene.start, scene.end);
    return cues;
}

// Builds everything into the staging folder; false after reporting.
bool build(const Options& options, const std::string& lyricBytes, ShowStaging& staging)
{
    const fs::path data = staging.data();
    std::optional<ImportedMusic> music = importReportedMusic(options, staging);
    if (!music || stopRequested())
        return false;
    std::optional<LyricBuild> lyrics = buildReportedLyrics(options, lyricBytes, music->seconds);
    if (!lyrics || stopRequested())
        return false;
    if (!options.cut.cuts())
        for (const std::string& note : musicWarnings(music->seconds, lyrics->sheet.lengthMilliseconds))
            if (warn(options, options.music, note))
                return false;
    std::string how;
    std::optional<BeatGrid> grid = findGrid(options, *music, how);
    if (!grid || stopRequested())
        return false;

    // The images, the pictures' and the lyrics', are the long step after the music's.
    ProgressOnStandardError progress(kTool.name, "images", pictureCount(options) + writtenSlots(*lyrics));
    std::optional<std::vector<std::string>> photos = writePhotos(options, data, progress);
    if (!photos)
        return false;
    progress.close();
    std::optional<std::vector<ListedScene>> scenes = layOutScenes(options, *music, *grid, *photos, *lyrics);
    if (!scenes)
        return false;
    std::optional<std::vector<RgbaImage>> images = drawLyricImages(*lyrics, stopRequested);
    if (!images)
        return false;
    std::string failure;
    std::optional<std::string> error = writeLyrics(*lyrics, *images, data, shownData(options), [&](int written) {
        progress.show(pictureCount(options) + written);
    });
    progress.close();
    if (error) {
        say(*error);
        return false;
    }
    if (stopRequested() || !writeShowFiles(data, options, writtenSlots(*lyrics), *photos, cuesOf(*grid, *music, *scenes)) ||
        !writeBytes(data, options, kSceneListFileName, formatSceneList(*scenes), failure) || stopRequested()) {
        if (!failure.empty())
            say(failure);
        return false;
    }
    sayLayout(options, *music, *grid, how, *lyrics, *scenes);
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
    if (options.cut.to && *options.cut.to <= options.cut.from)
        return usageError(kTool, "--to must come after --from");

    InputText lyricFile = readInputFile(options.lyrics.c_str());
    if (!lyricFile.read) {
        say(options.lyrics + ": cannot read the lyric file: " + lyricFile.failure);
        say(options.lyrics + ": 1 error: nothing made");
        return 1;
    }

    // From here a signal only asks the build to stop, so the staging folder is always removed.
    catchStopSignals();
    std::string failure;
    std::optional<ShowStaging> staging = ShowStaging::begin(options.output, options.force, failure);
    if (!staging)
        return reportFailure(kTool, failure);
    try {
        if (!build(options, lyricFile.text, *staging) || stopRequested()) {
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
        say(shownData(options).string() + ": replaced; the one before is kept as " +
            (fs::path(options.output) / ShowStaging::kBackupName).string());
    say("wrote " + (shownData(options) / "").string() + " (" + sizeInWords(bytesWritten(shownData(options))) +
        "): play it with sovane05 " + options.output + " (from a checkout, scripts/run " + options.output + ")");
    return 0;
}
