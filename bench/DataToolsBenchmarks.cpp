// How long the data tools take: reading the lyric file, laying out and rendering one lyric
// row's images, and composing the photo at the show's size; and the whole lyric build (reading,
// fitting, checking and laying out, all but writing) of files far larger than any song's, whose
// cost must grow in proportion to them. Run from anywhere; the inputs are the committed sources
// or made here.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/lib/glyphs/FontChain.h"
#include "tools/lib/glyphs/GlyphRaster.h"
#include "tools/lib/lyrics/LyricBuild.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/LyricImage.h"
#include "tools/lib/lyrics/RowText.h"
#include "tools/lib/photo/PhotoComposition.h"

namespace {

std::string lyricText()
{
    std::ifstream in(std::string(SOVANE05_SOURCE_DIR) + "/authoring/lyrics.txt", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void ParseLyricFile(benchmark::State& state)
{
    std::string text = lyricText();
    for (auto _ : state) {
        LyricParse parse = parseLyrics(text, "authoring/lyrics.txt");
        benchmark::DoNotOptimize(parse.sheet.entries.data());
    }
}
BENCHMARK(ParseLyricFile);

// The widest work per row: the phrase's glyph run, then each entry's outline, shadow and fill.
void RenderLyricRow(benchmark::State& state)
{
    FontChain font({"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"});
    font.setPixelSize(64);
    const std::string phrase = "every picture that we took";
    const std::size_t cuts[] = {0, 6, 14, 19, 22, phrase.size()};
    for (auto _ : state) {
        LineImage run = drawLine(font, phrase);
        for (int i = 0; i + 1 < 6; ++i) {
            EntryPlacement placement;
            PixelRect ink = inkBox(run, cuts[i], cuts[i + 1]);
            placement.originX = 500;
            placement.baselineY = 500;
            placement.rect = {500 + ink.left - 14, 500 + ink.top - 14, 500 + ink.right + 14, 500 + ink.bottom + 14};
            RgbaImage image = renderEntryImage(run, cuts[i], cuts[i + 1], placement, 46);
            benchmark::DoNotOptimize(image.pixels.data());
        }
    }
}
BENCHMARK(RenderLyricRow)->Unit(benchmark::kMillisecond);

std::string timedLine(long long milliseconds, const std::string& words)
{
    char tag[32];
    std::snprintf(tag, sizeof tag, "[%02lld:%02lld.%03lld] ", milliseconds / 60000, milliseconds / 1000 % 60,
                  milliseconds % 1000);
    return tag + words + "\n";
}

// `count` lines squeezed into the lyric scene, each up for a few milliseconds: a fault on every
// line, and every line inside the scene to fit and check.
std::string linesInsideTheScene(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += timedLine(44000LL * i / count, "line " + std::to_string(i));
    return text;
}

// `count` lines a second apart, as a very long song's: all but the first 45 left out.
std::string linesAcrossASong(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += timedLine(1000LL * i, "line " + std::to_string(i));
    return text;
}

void buildAndCount(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        LyricBuild build = buildLyrics(text, "many.lrc");
        benchmark::DoNotOptimize(build.errors.data());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BuildLyricsInsideTheScene(benchmark::State& state)
{
    buildAndCount(state, linesInsideTheScene(int(state.range(0))));
}
BENCHMARK(BuildLyricsInsideTheScene)->Arg(10000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Complexity();

void BuildLyricsAcrossASong(benchmark::State& state)
{
    buildAndCount(state, linesAcrossASong(int(state.range(0))));
}
BENCHMARK(BuildLyricsAcrossASong)->Arg(10000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Complexity();

// One line of `bytes` bytes of words, refused as longer than a screen shows, and its file read.
void BuildLyricsOfOneLongLine(benchmark::State& state)
{
    std::string words;
    while (words.size() < std::size_t(state.range(0)))
        words += "la la la ";
    buildAndCount(state, timedLine(1000, words));
}
BENCHMARK(BuildLyricsOfOneLongLine)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->Iterations(1);

void ComposePhoto(benchmark::State& state)
{
    for (auto _ : state) {
        PhotoImage photo = composePhoto(int(state.range(0)), int(state.range(1)));
        benchmark::DoNotOptimize(photo.pixels.data());
    }
}
BENCHMARK(ComposePhoto)->Args({1920, 1080})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
