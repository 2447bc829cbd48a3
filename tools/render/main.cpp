// sovane05-render: the show drawn off-screen at chosen show times instead of the wall clock,
// through the show's own start-up and per-frame dispatch: stills as PNG files, or a video with
// the music in step, encoded by ffmpeg. Needs no display and no sound card.
#include <unistd.h>

#include <GL/glew.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/gl/OffscreenContext.h"
#include "platform/system/OutputFile.h"
#include "platform/system/StopSignal.h"
#include "rules/ShowFiles.h"
#include "show/ShowBuild.h"
#include "tools/lib/audio/Mp3Length.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/base/Progress.h"
#include "tools/lib/gl/FrameReader.h"
#include "tools/lib/gl/RenderTarget.h"
#include "tools/render/FrameTimes.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/VideoEncoder.h"

namespace fs = std::filesystem;

namespace {

const Tool kTool{"sovane05-render", renderUsage()};

// "sovane05: <what>", as the show itself reports what it meets in its data.
int reportAsTheShow(const std::string& what)
{
    std::fprintf(stderr, "sovane05: %s\n", what.c_str());
    return 1;
}

// One output of the run: the name as the user wrote it, for messages, and where it goes.
struct Output {
    std::string shown;
    fs::path path;
};

// Refuses outputs that exist unless --force, and makes their folders; "" when all is ready.
std::string prepareOutputs(const std::vector<Output>& outputs, bool force)
{
    for (const Output& output : outputs) {
        std::error_code error;
        if (fs::is_directory(output.path, error))
            return output.shown + ": is a folder";
        if (!force && fs::exists(output.path, error))
            return output.shown + ": exists; --force replaces it";
        fs::create_directories(output.path.parent_path(), error);
        if (error)
            return output.shown + ": cannot make its folder: " + error.message();
    }
    return "";
}

// The bytes the outputs take, for the line that ends a run.
uintmax_t sizeOf(const std::vector<Output>& outputs)
{
    uintmax_t bytes = 0;
    for (const Output& output : outputs)
        bytes += bytesWritten(output.path);
    return bytes;
}

// A failure line after progress lines: a line left open on a terminal is ended first.
int reportFailureAfter(std::optional<Progress>& progress, const std::string& what)
{
    std::fputs(progress ? progress->close().c_str() : "", stderr);
    return reportFailure(kTool, what);
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Draws frames 0 … count − 1 at timeOf(k) and hands each one's pixels, RGBA bottom row first,
// to deliver(k, pixels) in order, drawing a frame ahead while the previous one is read back.
// Returns how many were delivered: fewer than `count` after a stop signal or a refusal.
int64_t renderFrames(cg_engine::Demo& demo, FrameReader& reader, int64_t count,
                     const std::function<double(int64_t)>& timeOf,
                     const std::function<bool(int64_t, std::span<const uint8_t>)>& deliver,
                     std::optional<Progress>& progress)
{
    auto start = std::chrono::steady_clock::now();
    int64_t drawn = 0;
    int64_t delivered = 0;
    while (delivered < count && !stopRequested()) {
        if (drawn < count && !reader.full()) {
            drawShowMoment(demo, timeOf(drawn++));
            reader.start();
            continue;
        }
        bool accepted = false;
        bool read = reader.takeOldest([&](std::span<const uint8_t> pixels) { accepted = deliver(delivered, pixels); });
        if (!read) {
            reportFailureAfter(progress, "cannot read frame " + std::to_string(delivered) + " back from OpenGL");
            return delivered;
        }
        if (!accepted)
            return delivered;
        ++delivered;
        if (progress)
            std::fputs(progress->update(delivered, secondsSince(start)).c_str(), stderr);
    }
    while (reader.pending())
        reader.takeOldest([](std::span<const uint8_t>) {});
    return delivered;
}


// The stills: each flipped upright, its alpha dropped as a window drops it, and written under a
// partial name first.
int renderStills(cg_engine::Demo& demo, FrameReader& reader, const std::vector<double>& moments,
                 const std::vector<Output>& outputs)
{
    std::vector<uint8_t> rgb(size_t(reader.width) * size_t(reader.height) * 3);
    std::string failure;
    auto deliver = [&](int64_t index, std::span<const uint8_t> pixels) {
        size_t rowPixels = size_t(reader.width);
        for (int y = 0; y < reader.height; ++y) {
            const uint8_t* from = pixels.data() + size_t(reader.height - 1 - y) * rowPixels * 4;
            uint8_t* to = rgb.data() + size_t(y) * rowPixels * 3;
            for (size_t x = 0; x < rowPixels; ++x, from += 4, to += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        }
        const Output& output = outputs[size_t(index)];
        failure = writePng(output.path, reader.width, reader.height, 3, rgb.data());
        if (!failure.empty())
            failure = output.shown + ": " + failure;
        return failure.empty();
    };
    int64_t count = int64_t(moments.size());
    std::optional<Progress> progress;
    if (count > 1)
        progress.emplace(kTool.name, "frames", count, isatty(STDERR_FILENO) != 0);
    int64_t written = renderFrames(
        demo, reader, count, [&](int64_t k) { return moments[size_t(k)]; }, deliver, progress);
    if (!failure.empty())
        return reportFailureAfter(progress, failure);
    if (written < count) {
        if (stopRequested())
            return reportFailureAfter(progress, "interrupted; " + std::to_string(written) + " of " +
                                                    std::to_string(count) + " stills written");
        return 1;
    }
    std::string what = count == 1 ? outputs.front().shown
                                  : std::to_string(count) + " stills, " + outputs.front().shown + " … " +
                                        outputs.back().shown;
    std::fprintf(stderr, "sovane05-render: wrote %s (%s)\n", what.c_str(), sizeInWords(sizeOf(outputs)).c_str());
    return 0;
}

int renderVideo(cg_engine::Demo& demo, FrameReader& reader, const VideoSettings& settings, const Output& output)
{
    OutputFile file(output.path);
    std::string failure = file.create();
    if (!failure.empty())
        return reportFailure(kTool, output.shown + ": " + failure);
    VideoSettings encoding = settings;
    encoding.output = file.partialPath.string();
    // Declared after the partial file, so ffmpeg is ended before that file is removed.
    VideoEncoder encoder(encoding);
    if (!encoder.failure.empty())
        return reportFailure(kTool, encoder.failure);

    int64_t count = videoFrameCount(settings.from, settings.to, settings.fps);
    std::optional<Progress> progress(std::in_place, kTool.name, "frames", count, isatty(STDERR_FILENO) != 0);
    int64_t sent = renderFrames(
        demo, reader, count, [&](int64_t k) { return videoFrameTime(settings.from, settings.fps, k); },
        [&](int64_t, std::span<const uint8_t> pixels) { return encoder.write(pixels); }, progress);
    if (stopRequested()) {
        encoder.stop();
        return reportFailureAfter(progress, "interrupted; " + output.shown + " not written");
    }
    failure = encoder.finish();
    // A stop asked for while ffmpeg wrote the last frames still counts.
    if (stopRequested())
        return reportFailureAfter(progress, "interrupted; " + output.shown + " not written");
    if (failure.empty() && sent < count)
        failure = "ffmpeg stopped taking frames";
    if (failure.empty())
        failure = file.commit();
    if (!failure.empty())
        return reportFailureAfter(progress, output.shown + ": " + failure);
    std::fprintf(stderr, "sovane05-render: wrote %s (%.1f s, %s)\n", output.shown.c_str(),
                 double(count) / settings.fps, sizeInWords(sizeOf({output})).c_str());
    return 0;
}

// The music's length, read only when it bounds the range: a video, or stills up to its end;
// 0 when not read. Measured as it streams, so a long song costs no memory and a stop is seen
// at once. Nothing after reporting, as the show would, a music it cannot load, or after a stop.
std::optional<double> readMusicEnd(const RenderOptions& options, const DataFolder& folder)
{
    if (!options.video && !(options.every && !options.to))
        return 0.0;
    std::string why;
    std::optional<double> seconds = measureMp3(kShowMusicPath, why, stopRequested);
    if (!seconds && why.empty()) {
        reportFailure(kTool, "interrupted; nothing written");
        return std::nullopt;
    }
    if (!seconds) {
        reportAsTheShow(folder.asTyped(std::string(kShowMusicPath) + ": cannot load the music: " + why));
        return std::nullopt;
    }
    return *seconds;
}

// The show times of the stills; for a video, a check that its range lies within the music.
// "" when they are sound, else the failure to report.
std::string chooseMoments(const RenderOptions& options, double from, double to, double musicEnd,
                          std::vector<double>& moments)
{
    moments = options.at;
    if (options.video) {
        if (to > musicEnd || from >= musicEnd) {
            char what[160];
            std::snprintf(what, sizeof what, "%s: the music ends at %.3f s; --from %g --to %g reaches past it",
                          kShowMusicPath, musicEnd, from, to);
            return what;
        }
    } else if (options.every) {
        if (momentCount(from, to, *options.every) > kMostFrames)
            return "--every makes more than " + std::to_string(kMostFrames) + " stills";
        moments = momentsEvery(from, to, *options.every);
        if (moments.empty())
            return "no stills between --from and the end of the music";
    }
    return "";
}

// Builds the show off-screen and draws the stills or the video into the prepared outputs.
int draw(const RenderOptions& options, const DataFolder& folder, const std::vector<double>& moments, double from,
         double to, const std::vector<Output>& outputs)
{
    // The hidden window only carries the context; every frame goes to the target.
    OffscreenContext context = createOffscreenContext(64, 64);
    if (!context.failure.empty())
        return reportFailure(kTool, context.failure);
    BuiltShow show = buildShow(options.width, options.height);
    if (!show.failure.empty())
        return reportAsTheShow(folder.asTyped(show.failure));
    RenderTarget target(options.width, options.height);
    if (!target.complete())
        return reportFailure(kTool, "OpenGL refused a frame buffer of " + std::to_string(options.width) + "x" +
                                        std::to_string(options.height));
    target.bind();
    FrameReader reader(options.width, options.height);
    if (stopRequested())
        return reportFailure(kTool, "interrupted; nothing written");

    if (!options.video)
        return renderStills(*show.demo, reader, moments, outputs);
    VideoSettings settings;
    settings.width = options.width;
    settings.height = options.height;
    settings.fps = options.fps;
    settings.quality = options.quality;
    settings.from = from;
    settings.to = to;
    settings.music = (folder.data / kMusicFileName).string();
    return renderVideo(*show.demo, reader, settings, outputs.front());
}

int render(const RenderOptions& options)
{
    // The user's paths are relative to the folder the tool started in, which DataFolder leaves.
    fs::path here = fs::current_path();
    std::vector<Output> outputs;
    if (options.video)
        outputs.push_back({*options.video, absoluteFromHere(*options.video)});

    DataFolder folder(options.data.empty() ? defaultDataFolder(kTool.name) : fs::path(options.data));
    if (!folder.failure.empty())
        return reportFailure(kTool, folder.failure);
    std::optional<double> musicEnd = readMusicEnd(options, folder);
    if (!musicEnd)
        return 1;
    double from = options.from.value_or(0.0);
    double to = options.to.value_or(*musicEnd);
    std::vector<double> moments;
    std::string failure = chooseMoments(options, from, to, *musicEnd, moments);
    if (!failure.empty())
        return reportFailure(kTool, folder.asTyped(failure));
    for (size_t k = 0; k < moments.size(); ++k) {
        std::string shown = options.output->fill(int64_t(k), moments[k]);
        outputs.push_back({shown, (here / shown).lexically_normal()});
    }
    failure = prepareOutputs(outputs, options.force);
    if (!failure.empty())
        return reportFailure(kTool, failure);
    return draw(options, folder, moments, from, to, outputs);
}

}  // namespace

int main(int argc, char** argv)
{
    // A closed ffmpeg shows up as a write error, not the end of the process; a stop signal lets
    // the partial output be removed.
    ignoreBrokenPipe();
    catchStopSignals();
    ParsedArguments parsed = parseRenderArguments({argv + 1, argv + argc});
    if (!parsed.standardOption.empty())
        return *answerStandardOption(kTool, parsed.standardOption);
    if (!parsed.usageError.empty())
        return usageError(kTool, parsed.usageError);
    return render(parsed.options);
}
