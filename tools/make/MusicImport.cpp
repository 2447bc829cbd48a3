// ffprobe runs as a child with its output in a file of the scratch folder; ffmpeg's samples come
// through a pipe as it decodes, cut and encoded as they come; the show's decoder then streams
// the written MP3 for its length and beat.
#include "tools/make/MusicImport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "platform/system/ChildProcess.h"
#include "platform/system/OutputFile.h"
#include "rules/InputFile.h"
#include "tools/lib/audio/Mp3Encoder.h"
#include "tools/lib/base/Progress.h"
#include "tools/lib/gl/MusicFile.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/make/SongCut.h"

namespace fs = std::filesystem;

namespace {

constexpr double kRate = kSongSampleRate;

struct ChildResult {
    int exitStatus = -1;   // -1 when it could not run or a signal ended it
    bool stopped = false;  // a stop request ended it
    std::string err;       // its standard error, first line
};

std::string firstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "no reason given" : line;
}

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// Runs `command` with standard input from /dev/null, output and error into files.
ChildResult runChild(const std::vector<std::string>& command, const fs::path& out, const fs::path& err)
{
    ChildProcess child({.command = command, .input = {}, .output = {.file = out}, .error = {.file = err}});
    ChildResult result;
    if (child.startError != 0) {
        result.err = "cannot run " + command[0] + ": " + std::strerror(child.startError);
        return result;
    }
    ChildExit ended = child.wait();
    result.exitStatus = ended.status;
    result.stopped = ended.stopped;
    result.err = firstLine(readText(err));
    return result;
}

// One pass over the music in the tools' shared progress form, in whole seconds of it.
class MusicProgress {
public:
    MusicProgress(std::string_view unit, double totalSeconds)
        : total(std::max<int64_t>(1, std::llround(totalSeconds))), progress("sovane05-make", unit, total)
    {
    }
    ~MusicProgress()
    {
        if (done)
            progress.show(total);
    }
    MusicProgress(const MusicProgress&) = delete;
    MusicProgress& operator=(const MusicProgress&) = delete;

    // A total that was only an estimate is never reached before the pass ends.
    void at(double seconds) { progress.show(std::min(int64_t(seconds), total - 1)); }
    void finished() { done = true; }

private:
    int64_t total;
    ProgressOnStandardError progress;
    bool done = false;
};

struct SongProbe {
    std::string format;
    double seconds = 0.0;  // as the container says, 0 when it does not
};

// The song's container format as ffprobe names it, when it holds sound; nothing, with the
// reason in `failure` (empty after a stop), when not.
std::optional<SongProbe> probeSong(const fs::path& song, const fs::path& scratch, std::string& failure)
{
    const fs::path out = scratch / "child.out";
    ChildResult probe = runChild({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                                  "stream=codec_type:format=format_name,duration", "-of",
                                  "default=noprint_wrappers=1", song.string()},
                                 out, scratch / "child.err");
    if (probe.stopped)
        return std::nullopt;
    std::string found = readText(out);
    if (probe.exitStatus != 0 || found.find("codec_type=audio") == std::string::npos) {
        failure = song.string() + ": not music that ffmpeg reads" + (probe.exitStatus != 0 ? ": " + probe.err : "");
        return std::nullopt;
    }
    auto entry = [&found](std::string_view key) {
        std::size_t at = found.find("\n" + std::string(key) + "=");
        if (at == std::string::npos)
            return std::string();
        at += key.size() + 2;
        return found.substr(at, found.find('\n', at) - at);
    };
    found.insert(0, "\n");
    SongProbe probed{entry("format_name"), std::strtod(entry("duration").c_str(), nullptr)};
    if (!std::isfinite(probed.seconds) || probed.seconds < 0.0)
        probed.seconds = 0.0;
    return probed;
}

// The reading end of a pipe, closed however the reading ends.
struct PipeReader {
    int descriptor = -1;
    ~PipeReader()
    {
        if (descriptor >= 0)
            close(descriptor);
    }
};

// ffmpeg's samples of the song as 44.1 kHz stereo floats, each whole frame handed to `take` as
// it comes; false, with the reason in `failure` (empty after a stop), when that fails.
bool streamSong(const fs::path& song, const fs::path& scratch,
                const std::function<void(const float*, std::size_t)>& take, std::string& failure)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        failure = song.string() + ": cannot run ffmpeg: " + std::strerror(errno);
        return false;
    }
    PipeReader reader{pipeEnds[0]};
    const fs::path err = scratch / "child.err";
    ChildProcess decoder({.command = {"ffmpeg", "-v", "error", "-nostdin", "-i", song.string(), "-vn", "-ac", "2",
                                      "-ar", "44100", "-f", "f32le", "pipe:1"},
                          .input = {},
                          .output = {.descriptor = pipeEnds[1], .file = {}},
                          .error = {.file = err}});
    close(pipeEnds[1]);
    if (decoder.startError != 0) {
        failure = song.string() + ": ffmpeg cannot decode it: cannot run ffmpeg: " + std::strerror(decoder.startError);
        return false;
    }
    std::vector<char> partial;
    std::vector<float> frames;
    bool drained = decoder.drain(reader.descriptor, [&](std::span<const char> bytes) {
        partial.insert(partial.end(), bytes.begin(), bytes.end());
        std::size_t whole = partial.size() / (2 * sizeof(float));
        frames.resize(2 * whole);
        std::memcpy(frames.data(), partial.data(), whole * 2 * sizeof(float));
        partial.erase(partial.begin(), partial.begin() + std::ptrdiff_t(whole * 2 * sizeof(float)));
        take(frames.data(), whole);
        return true;
    });
    ChildExit ended = decoder.wait();
    if (ended.stopped)
        return false;
    if (ended.status != 0 || !drained) {
        failure = song.string() + ": ffmpeg cannot decode it: " +
                  (ended.status != 0 ? firstLine(readText(err)) : "its samples could not be read");
        return false;
    }
    return true;
}

// ffmpeg's samples of the song, the part `cut` takes, through LAME into `target`; false, with
// the reason in `failure` (empty after a stop), when that fails.
bool encodeWithLame(const fs::path& song, const fs::path& target, const fs::path& shownTarget, const fs::path& scratch,
                    const MusicCut& cut, double probedSeconds, double& songSeconds,
                    const std::function<bool()>& stopRequested, std::string& failure)
{
    SongCut part(std::llround(cut.from * kRate),
                 cut.to ? std::llround(*cut.to * kRate) : std::numeric_limits<long long>::max());
    compose::Mp3Encoder encoder({});
    auto encode = [&encoder](std::span<const float> stereo) { encoder.addInterleaved(stereo.data(), stereo.size() / 2); };
    {
        MusicProgress progress("seconds encoded", probedSeconds);
        auto cutAndEncode = [&](const float* stereo, std::size_t frames) {
            part.add(stereo, frames, encode);
            progress.at(double(part.songFrames()) / kRate);
        };
        if (!streamSong(song, scratch, cutAndEncode, failure) || stopRequested())
            return false;
        part.finish(encode);
        progress.finished();
    }
    songSeconds = double(part.songFrames()) / kRate;
    if (part.songFrames() == 0) {
        failure = song.string() + ": holds no sound";
        return false;
    }
    if (part.partFrames() == 0) {
        failure = song.string() + ": the song is " + formatLyricSeconds(songSeconds) + " long; --from " +
                  formatLyricSeconds(cut.from) + " leaves nothing of it";
        return false;
    }
    if (std::optional<std::string> error = writeFileAtomically(target, encoder.finish())) {
        failure = shownTarget.string() + ": " + *error;
        return false;
    }
    return true;
}

// The song as it is, checked at every write and synced, as the show's music.
std::string copySong(const fs::path& song, const fs::path& target, const fs::path& shownTarget)
{
    OpenedInput source = openInputFile(song.c_str(), "rb");
    if (source.file == nullptr)
        return song.string() + ": cannot read the music: " + source.failure;
    OutputFile output(target);
    std::string failure = output.copyFrom(source.file);
    std::fclose(source.file);
    if (failure.empty())
        failure = output.commit();
    return failure.empty() ? "" : shownTarget.string() + ": " + failure;
}

// The show's music decoded as the show decodes it, 44.1 kHz 16-bit stereo, each block handed to
// `take` as it comes; its length in frames. Nothing, with the reason in `failure` (empty after a
// stop), when it cannot be decoded.
std::optional<int64_t> hearMusic(const fs::path& music, std::string_view unit, double expectedSeconds,
                                 const std::function<void(std::span<const int16_t>)>& take,
                                 const std::function<bool()>& stopRequested, std::string& failure)
{
    int64_t frames = 0;
    MusicProgress progress(unit, expectedSeconds);
    auto takeBlock = [&](std::span<const int16_t> stereo) {
        take(stereo);
        frames += int64_t(stereo.size() / 2);
        progress.at(double(frames) / kRate);
        return true;
    };
    if (!streamMusic(music.string(), takeBlock, failure, stopRequested))
        return std::nullopt;
    progress.finished();
    return frames;
}

// The show's length and, when asked, the beats aubio hears in it; false with the reason in
// `failure` (empty after a stop) when the show's decoder cannot decode it.
bool hearImport(ImportedMusic& music, double expectedSeconds, bool hearBeats,
                const std::function<bool()>& stopRequested, std::string& failure)
{
    std::optional<TempoFinder> finder;
    if (hearBeats)
        finder.emplace();
    auto take = [&](std::span<const int16_t> stereo) {
        if (finder)
            finder->add(stereo);
    };
    std::optional<int64_t> frames =
        hearMusic(music.file, hearBeats ? "seconds heard" : "seconds measured", expectedSeconds, take,
                  stopRequested, failure);
    if (!frames)
        return false;
    music.seconds = double(*frames) / kRate;
    if (finder)
        music.beats = finder->finish();
    return true;
}

}  // namespace

std::optional<ImportedMusic> importMusic(const fs::path& song, const fs::path& target, const fs::path& shownTarget,
                                         const fs::path& scratch, const MusicCut& cut, bool hearBeats,
                                         const std::function<bool()>& stopRequested, std::string& failure)
{
    // A folder or a FIFO is refused before ffprobe is asked about it: it would wait on a FIFO
    // for ever.
    OpenedInput opened = openInputFile(song.c_str(), "rb");
    if (opened.file == nullptr) {
        failure = song.string() + ": cannot read the music: " + opened.failure;
        return std::nullopt;
    }
    std::fclose(opened.file);
    std::optional<SongProbe> probed = probeSong(song, scratch, failure);
    if (!probed)
        return std::nullopt;
    ImportedMusic music;
    music.format = probed->format;
    music.file = target;
    music.shownFile = shownTarget;

    std::string decodeFailure;
    if (music.format == "mp3" && !cut.cuts()) {
        failure = copySong(song, target, shownTarget);
        if (!failure.empty())
            return std::nullopt;
        decodeFailure = musicOpens(target.string());
        if (decodeFailure.empty() && hearImport(music, probed->seconds, hearBeats, stopRequested, decodeFailure)) {
            music.songSeconds = music.seconds;
            return music;
        }
    }
    if (stopRequested())
        return std::nullopt;

    // Anything else, a part of a song, or an MP3 the show's decoder refuses: ffmpeg's samples
    // through LAME.
    if (!encodeWithLame(song, target, shownTarget, scratch, cut, probed->seconds, music.songSeconds, stopRequested,
                        failure))
        return std::nullopt;
    double partSeconds = (cut.to ? std::min(*cut.to, music.songSeconds) : music.songSeconds) - cut.from;
    if (!hearImport(music, partSeconds, hearBeats, stopRequested, decodeFailure)) {
        if (!decodeFailure.empty())
            failure = song.string() + ": the show cannot play it even re-encoded: " + decodeFailure;
        return std::nullopt;
    }
    music.reencoded = true;
    return music;
}

std::optional<BeatGrid> loudestDownbeat(const ImportedMusic& music, const BeatGrid& grid,
                                        const std::function<bool()>& stopRequested, std::string& failure)
{
    // strongestDownbeat asks for the same moments in the same order each time: once to learn
    // them, once more with the loudness measured at each.
    std::vector<double> moments;
    strongestDownbeat(grid, music.seconds, [&moments](double seconds) {
        moments.push_back(seconds);
        return 0.0;
    });
    MusicLoudness loudness;
    for (double moment : moments)
        loudness.ask(moment);
    auto take = [&](std::span<const int16_t> stereo) { loudness.add(stereo); };
    if (!hearMusic(music.file, "seconds measured", music.seconds, take, stopRequested, failure)) {
        if (!failure.empty())
            failure = music.shownFile.string() + ": " + failure;
        return std::nullopt;
    }
    std::vector<double> measured = loudness.finish();
    std::size_t next = 0;
    return strongestDownbeat(grid, music.seconds, [&](double) { return measured[next++]; });
}
