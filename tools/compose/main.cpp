// compose: renders the show's original music from the score and writes it as MP3 (and, on
// request, WAV); can also list the sung melody's note onsets for timing the lyric file.
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/system/OutputFile.h"
#include "platform/system/StopSignal.h"
#include "rules/ShowFiles.h"
#include "tools/compose/Loudness.h"
#include "tools/compose/Mixdown.h"
#include "tools/compose/Notation.h"
#include "tools/compose/Score.h"
#include "tools/compose/WavFile.h"
#include "tools/lib/audio/Mp3Encoder.h"
#include "tools/lib/base/CommandLine.h"
#include "tools/lib/base/DataFolder.h"
#include "tools/lib/base/Progress.h"

namespace {

constexpr const char* kDefaultOutput = kShowMusicPath;

constexpr std::string_view kSynopsis =
    "usage: sovane05-compose [--output PATH] [--wav PATH] [--onsets] [--report]\n"
    "Renders the show's music, the same bytes on every run.\n";

constexpr std::string_view kNotes =
    "With neither --output nor --wav, the MP3 goes to data/ywsf.mp3, unless --onsets is the\n"
    "only request. Exit status: 0 done, 1 failed (reported on standard error), 2 usage error.\n";

void report(std::string_view path, std::string_view what)
{
    std::fprintf(stderr, "sovane05-compose: %.*s: %.*s\n", int(path.size()), path.data(), int(what.size()), what.data());
}

struct Options {
    std::optional<std::string> mp3Path;
    std::optional<std::string> wavPath;
    bool onsets = false;
    bool report = false;
    bool defaultOutput = false;   // the MP3 goes to the show folder's data/ for want of --output
    std::optional<int> answered;  // --help or --version was answered, with this exit status
};

std::vector<Option> optionTable(Options& options)
{
    return {
        {"--output", "", "PATH", "write the MP3 (44.1 kHz stereo, 160 kb/s) to PATH", storeValue(options.mp3Path)},
        {"--wav", "", "PATH", "write the render as 16-bit WAV to PATH", storeValue(options.wavPath)},
        {"--onsets", "", "", "print the sung melody's note onsets, one per line: seconds, note name",
         setFlag(options.onsets)},
        {"--report", "", "", "print length, peaks, loudness, file sizes and render time", setFlag(options.report)},
    };
}

const Tool kTool = describeTool("sovane05-compose", kSynopsis, optionTable, kNotes);

// Returns nothing after reporting a usage error.
std::optional<Options> parseOptions(int argc, char** argv)
{
    Options options;
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    CommandLineRead read = readArguments(optionTable(options), arguments);
    if (!read.standardOption.empty()) {
        options.answered = answerStandardOption(kTool, read.standardOption);
        return options;
    }
    if (read.fault != CommandLineRead::Fault::None) {
        usageError(kTool, read.usageError);
        return std::nullopt;
    }
    if (!options.mp3Path && !options.wavPath && !options.onsets) {
        options.mp3Path = kDefaultOutput;
        options.defaultOutput = true;
    }
    return options;
}

// "data/ywsf.mp3 (57.9 s, 1.2 MB)", and " and track.wav (10 MB)" when both were asked for.
std::string wroteWhat(const Options& options, double seconds)
{
    char length[32];
    std::snprintf(length, sizeof length, "%.1f s, ", seconds);
    std::string what;
    if (options.mp3Path)
        what = *options.mp3Path + " (" + length + sizeInWords(bytesWritten(*options.mp3Path)) + ")";
    if (options.wavPath)
        what += (what.empty() ? "" : " and ") + *options.wavPath + " (" + (what.empty() ? length : "") +
                sizeInWords(bytesWritten(*options.wavPath)) + ")";
    return what;
}

bool printOnsets(const compose::Score& score)
{
    for (const compose::Note& note : score.lead)
        std::printf("%.4f %s\n", note.start, compose::noteName(note.pitch).c_str());
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}

// The lines of --report, on standard output.
void printReport(const compose::StereoBuffer& audio, const compose::MixReport& mixReport, std::size_t mp3Bytes,
                 bool mp3, double renderSeconds, double totalSeconds)
{
    compose::LoudnessReport loudness = compose::measure(audio);
    std::printf("length %.3f s\n", audio.seconds());
    std::printf("sample peak %.2f dBFS\n", loudness.samplePeakDecibels);
    std::printf("true peak %.2f dBFS\n", loudness.truePeakDecibels);
    std::printf("rms %.2f dBFS\n", loudness.rmsDecibels);
    std::printf("loudness %.2f LUFS\n", loudness.integratedLufs);
    std::printf("make-up gain %.2f dB, deepest limiting %.2f dB\n", mixReport.makeUpGainDecibels,
                mixReport.deepestLimitingDecibels);
    if (mp3)
        std::printf("mp3 %zu bytes, %.1f kb/s\n", mp3Bytes, mp3Bytes * 8.0 / audio.seconds() / 1000.0);
    std::printf("render %.2f s, render and write %.2f s\n", renderSeconds, totalSeconds);
}

// Creates each file asked for, empty under its partial name, so that a folder that takes no
// files is said before the mixdown's seconds, not after them. False, once said, when one fails.
bool createOutputs(const Options& options, std::optional<OutputFile>& mp3File, std::optional<OutputFile>& wavFile)
{
    for (auto [path, file] : {std::pair{&options.mp3Path, &mp3File}, std::pair{&options.wavPath, &wavFile}}) {
        if (!*path)
            continue;
        file->emplace(**path);
        if (std::string failure = (*file)->create(); !failure.empty()) {
            report(**path, failure);
            return false;
        }
    }
    return true;
}

// The mixdown, then the files asked for, each written whole or not at all.
int renderAndWrite(const Options& options, const compose::Score& score)
{
    const std::string& target = options.mp3Path ? *options.mp3Path : *options.wavPath;
    std::optional<OutputFile> mp3File, wavFile;
    if (!createOutputs(options, mp3File, wavFile))
        return 1;
    auto started = std::chrono::steady_clock::now();
    // One line over the whole run: the mixdown's stages, the MP3 in tenths, the WAV in one.
    constexpr int kEncodingSteps = 10;
    ProgressOnStandardError progress(kTool.name, "steps",
                                     compose::kMixdownSteps + (options.mp3Path ? kEncodingSteps : 0) +
                                         (options.wavPath ? 1 : 0));
    auto failed = [&progress](const std::string& path, const std::string& what) {
        progress.close();
        report(path, what);
        return 1;
    };
    compose::MixReport mixReport;
    std::optional<compose::StereoBuffer> audio =
        compose::mixdown(score, &mixReport, stopRequested, [&progress](int step) { progress.show(step); });
    if (!audio)
        return failed(target, "interrupted; nothing written");
    double renderSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::size_t mp3Bytes = 0;
    if (options.mp3Path) {
        std::size_t frames = audio->frames();
        std::optional<std::vector<unsigned char>> mp3 =
            compose::encodeMp3(*audio, {}, stopRequested, [&progress, frames](std::size_t encoded) {
                progress.show(compose::kMixdownSteps + int64_t(encoded * kEncodingSteps / frames));
            });
        if (!mp3 || stopRequested())
            return failed(*options.mp3Path, "interrupted; nothing written");
        if (std::string failure = mp3File->writeAndCommit(*mp3); !failure.empty())
            return failed(*options.mp3Path, failure);
        mp3Bytes = mp3->size();
    }
    if (options.wavPath) {
        if (stopRequested())
            return failed(*options.wavPath, "interrupted; nothing written");
        if (std::string failure = wavFile->writeAndCommit(compose::encodeWav(*audio)); !failure.empty())
            return failed(*options.wavPath, failure);
        progress.show(compose::kMixdownSteps + (options.mp3Path ? kEncodingSteps : 0) + 1);
    }
    std::fprintf(stderr, "sovane05-compose: wrote %s\n", wroteWhat(options, audio->seconds()).c_str());
    double totalSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    if (options.report)
        printReport(*audio, mixReport, mp3Bytes, options.mp3Path.has_value(), renderSeconds, totalSeconds);
    return 0;
}

int run(const Options& options)
{
    if (options.defaultOutput) {
        if (std::string expected = showFolderExpected(kDefaultOutput, "--output PATH"); !expected.empty()) {
            std::fprintf(stderr, "sovane05-compose: %s\n", expected.c_str());
            return 1;
        }
    }
    compose::Score score = compose::buildScore();
    if (options.onsets && !printOnsets(score)) {
        report("<standard output>", "cannot write the onsets");
        return 1;
    }
    if (!options.mp3Path && !options.wavPath)
        return 0;
    return renderAndWrite(options, score);
}

}  // namespace

int main(int argc, char** argv)
{
    // A closed pipe must show up as a write error, not end the process.
    ignoreBrokenPipe();
    catchStopSignals();

    std::optional<Options> options = parseOptions(argc, argv);
    if (!options)
        return 2;
    if (options->answered)
        return *options->answered;
    try {
        return run(*options);
    } catch (const std::exception& error) {
        report(options->mp3Path ? *options->mp3Path : options->wavPath.value_or("<standard output>"), error.what());
        return 1;
    }
}
