// The lyrics tool: reads the hand-edited lyric file and writes the show's timing file and one
// image per entry (data/texttiming.txt, data/lyrics/000.png … 086.png), after checking that
// every entry can be seen and that nothing shown together overlaps.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/PngWrite.h"
#include "tools/lyrics/LyricFile.h"
#include "tools/lyrics/LyricImage.h"
#include "tools/lyrics/LyricLayout.h"
#include "tools/lyrics/TextRaster.h"
#include "tools/lyrics/TextTiming.h"

namespace {

constexpr const char* kUsage =
    "usage: sovane05-lyrics [--input FILE] [--output FOLDER] [--font FILE] [--check]\n"
    "\n"
    "Reads the lyric file (default authoring/lyrics.txt) and writes FOLDER/texttiming.txt and\n"
    "FOLDER/lyrics/000.png … 086.png (default FOLDER: data). The first entry of the file is\n"
    "the first timing line and image 086, the last is image 000.\n"
    "\n"
    "  --input FILE     the lyric file\n"
    "  --output FOLDER  where texttiming.txt and lyrics/ go\n"
    "  --font FILE      the font (default DejaVu Sans Bold from fonts-dejavu-core)\n"
    "  --check          check the file and the layout, write nothing\n"
    "  --help           this text\n";

constexpr int kFontPixels = 64;
// Phrases wider than this (ink and margins) are set in a smaller size for their row only.
constexpr int kWidestRow = 1800;

struct Options {
    std::string input = "authoring/lyrics.txt";
    std::string output = "data";
    std::string font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    bool check = false;
};

int usageError(const std::string& what)
{
    std::fprintf(stderr, "sovane05-lyrics: %s\n%s", what.c_str(), kUsage);
    return 2;
}

void report(const std::string& line)
{
    std::fprintf(stderr, "sovane05-lyrics: %s\n", line.c_str());
}

int reportAll(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        report(line);
    return 1;
}

struct LaidRow {
    GlyphRun run;
    int capHeight = 0;
};

}  // namespace

int main(int argc, char** argv)
{
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc)
                return false;
            target = argv[++i];
            return true;
        };
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--input" || argument == "--output" || argument == "--font") {
            std::string& target = argument == "--input" ? options.input : argument == "--output" ? options.output : options.font;
            if (!value(target))
                return usageError(std::string(argument) + " needs a value");
        } else {
            return usageError("unknown argument '" + std::string(argument) + "'");
        }
    }

    std::ifstream in(options.input, std::ios::binary);
    if (!in) {
        report(options.input + ": cannot read the lyric file");
        return 1;
    }
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();

    LyricParse parse = parseLyrics(text, options.input);
    if (!parse.ok())
        return reportAll(parse.errors);
    const LyricSheet& sheet = parse.sheet;
    std::vector<std::string> errors = checkSchedule(sheet, options.input);
    if (!errors.empty())
        return reportAll(errors);

    std::string fontError;
    Font font(options.font, fontError);
    if (!fontError.empty() || !font.setPixelSize(kFontPixels)) {
        report(options.font + ": " + (fontError.empty() ? "cannot set the font's size" : fontError));
        return 1;
    }
    LayoutStyle style;
    style.ascent = font.ascent();
    style.descent = font.descent();

    std::vector<LaidRow> laid(sheet.rows.size());
    std::vector<RowMeasure> measures(sheet.rows.size());
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const LyricRow& row = sheet.rows[r];
        int size = kFontPixels;
        font.setPixelSize(size);
        laid[r].run = font.layout(row.phrase);
        PixelRect ink = inkBox(laid[r].run, 0, row.phrase.size());
        int width = ink.width() + 2 * style.margin;
        if (laid[r].run.error.empty() && width > kWidestRow) {
            size = kFontPixels * kWidestRow / width;
            font.setPixelSize(size);
            laid[r].run = font.layout(row.phrase);
            ink = inkBox(laid[r].run, 0, row.phrase.size());
        }
        if (!laid[r].run.error.empty()) {
            errors.push_back(options.input + ":" + std::to_string(row.sourceLine) + ": " + laid[r].run.error);
            continue;
        }
        laid[r].capHeight = size * 73 / 100;
        measures[r].inkLeft = ink.left;
        measures[r].inkRight = ink.right;
        for (int i = 0; i < row.entryCount; ++i) {
            const LyricEntry& entry = sheet.entries[row.firstEntry + i];
            measures[r].entryInk.push_back(inkBox(laid[r].run, entry.phraseBegin, entry.phraseEnd));
        }
    }
    if (!errors.empty())
        return reportAll(errors);

    std::vector<EntryPlacement> placements = placeEntries(sheet, measures, style);
    errors = checkPlacements(sheet, placements, options.input);
    if (!errors.empty())
        return reportAll(errors);
    if (options.check)
        return 0;

    std::filesystem::path output(options.output);
    std::error_code failure;
    std::filesystem::create_directories(output / "lyrics", failure);
    if (failure) {
        report((output / "lyrics").string() + ": cannot create the folder: " + failure.message());
        return 1;
    }
    for (std::size_t i = 0; i < sheet.entries.size(); ++i) {
        const LyricEntry& entry = sheet.entries[i];
        RgbaImage image = renderEntryImage(laid[entry.row].run, entry.phraseBegin, entry.phraseEnd, placements[i],
                                           laid[entry.row].capHeight);
        std::string path = (output / "lyrics" / (std::string(lineTextureName(int(i)).data()) + ".png")).string();
        if (!writePng(path, image.width, image.height, 4, image.pixels.data())) {
            report(path + ": cannot write the image");
            return 1;
        }
    }
    std::string timingPath = (output / "texttiming.txt").string();
    std::ofstream timing(timingPath, std::ios::binary | std::ios::trunc);
    timing << formatTextTiming(sheet.entries);
    timing.close();
    if (!timing) {
        report(timingPath + ": cannot write the timing file");
        return 1;
    }
    return 0;
}
