// How long the data tools take: reading the lyric file, laying out and rendering one lyric
// row's images, and composing the photo at the show's size. Run from anywhere; the inputs
// are the committed sources.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tools/lib/glyphs/FontChain.h"
#include "tools/lib/glyphs/GlyphRaster.h"
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

void ComposePhoto(benchmark::State& state)
{
    for (auto _ : state) {
        PhotoImage photo = composePhoto(int(state.range(0)), int(state.range(1)));
        benchmark::DoNotOptimize(photo.pixels.data());
    }
}
BENCHMARK(ComposePhoto)->Args({1920, 1080})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
