// The lyric build: every stage runs even when an earlier one found faults, so one run reports
// them all; rows are laid out without the characters no font has, so the layout is still
// checked.
#include "tools/lib/lyrics/LyricBuild.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <system_error>

#include "rules/LayoutHeader.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/lyrics/LyricImage.h"
#include "tools/lib/lyrics/TextTiming.h"

namespace {

constexpr int kFontPixels = 64;
// Phrases wider than this (ink and margins) are set in a smaller size for their row only.
constexpr int kWidestRow = 1800;

constexpr const char* kFontChain[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc",
};

struct Missing {
    std::string text;
    std::vector<int> lines;
};

std::string codeName(char32_t codePoint)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(codePoint));
    return code;
}

std::string lineList(const std::vector<int>& lines)
{
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    return text;
}

// Lays out every row, shrinking the phrases that are too wide; the characters no face has are
// collected for one report each.
void layOut(LyricBuild& build, Font& font, std::string_view path, std::vector<RowMeasure>& measures, LayoutStyle& style)
{
    std::map<char32_t, Missing> missing;
    bool measured = true;
    font.setPixelSize(kFontPixels);
    style.ascent = font.ascent();
    style.descent = font.descent();
    for (std::size_t r = 0; r < build.sheet.rows.size(); ++r) {
        const LyricRow& row = build.sheet.rows[r];
        int size = kFontPixels;
        font.setPixelSize(size);
        GlyphRun run = font.layout(row.phrase);
        PixelRect ink = inkBox(run, 0, row.phrase.size());
        int width = ink.width() + 2 * style.margin;
        if (run.error.empty() && width > kWidestRow) {
            size = kFontPixels * kWidestRow / width;
            font.setPixelSize(size);
            run = font.layout(row.phrase);
            ink = inkBox(run, 0, row.phrase.size());
        }
        if (!run.error.empty()) {
            build.errors.push_back(std::string(path) + ":" + std::to_string(row.sourceLine) + ": " + run.error);
            measured = false;
        }
        for (const MissingCharacter& character : run.missing) {
            Missing& entry = missing[character.codePoint];
            entry.text = character.text;
            if (entry.lines.empty() || entry.lines.back() != row.sourceLine)
                entry.lines.push_back(row.sourceLine);
        }
        style.ascent = std::max(style.ascent, run.ascent);
        style.descent = std::max(style.descent, run.descent);
        measures[r].inkLeft = ink.left;
        measures[r].inkRight = ink.right;
        for (int i = 0; i < row.entryCount; ++i) {
            const LyricEntry& entry = build.sheet.entries[std::size_t(row.firstEntry + i)];
            measures[r].entryInk.push_back(inkBox(run, entry.phraseBegin, entry.phraseEnd));
        }
        build.capHeights[r] = size * 73 / 100;
        build.runs[r] = std::move(run);
    }

    std::vector<std::pair<char32_t, Missing>> ordered(missing.begin(), missing.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.second.lines.front() < b.second.lines.front(); });
    for (const auto& [codePoint, entry] : ordered)
        build.errors.push_back(std::string(path) + ":" + std::to_string(entry.lines.front()) + ": no font has " +
                               codeName(codePoint) + " '" + entry.text + "', used on " + lineList(entry.lines) +
                               ": add a --font that has it");
    if (!measured)
        build.runs.clear();
}

// The line a message is about, or 0 when it names none.
int lineOf(const std::string& message, std::string_view path)
{
    if (message.compare(0, path.size(), path) != 0 || message.size() <= path.size() || message[path.size()] != ':')
        return 0;
    return std::atoi(message.c_str() + path.size() + 1);
}

}  // namespace

std::vector<std::string> defaultFontChain()
{
    std::vector<std::string> chain = {kFontChain[0]};
    std::error_code error;
    for (std::size_t i = 1; i < std::size(kFontChain); ++i)
        if (std::filesystem::is_regular_file(kFontChain[i], error))
            chain.push_back(kFontChain[i]);
    return chain;
}

LyricBuild buildLyrics(std::string_view text, std::string_view path, const LyricBuildOptions& options)
{
    LyricParse parse = parseLyrics(text, path);
    fitToShow(parse, path, options.fit);
    LyricBuild build;
    build.fit = options.fit;
    build.sheet = std::move(parse.sheet);
    build.errors = std::move(parse.errors);
    build.warnings = std::move(parse.warnings);
    SceneRules rules;
    rules.sceneEnd = options.fit.sceneEnd;
    rules.maximumAtOnce = options.fit.maximumAtOnce;
    for (std::string& error : checkSchedule(build.sheet, path, rules))
        build.errors.push_back(std::move(error));

    std::string fontError;
    Font font(options.fonts.empty() ? defaultFontChain() : options.fonts, fontError);
    if (fontError.empty() && !font.setPixelSize(kFontPixels))
        fontError = "cannot set the font's size";
    if (!fontError.empty()) {
        build.errors.push_back(fontError);
    } else {
        std::vector<RowMeasure> measures(build.sheet.rows.size());
        LayoutStyle style;
        build.runs.resize(build.sheet.rows.size());
        build.capHeights.resize(build.sheet.rows.size());
        layOut(build, font, path, measures, style);
        // A row whose text could not be read has no measure to place it by.
        if (!build.runs.empty() || build.sheet.rows.empty()) {
            build.placements = placeEntries(build.sheet, measures, style);
            for (std::string& error : checkPlacements(build.sheet, build.placements, path))
                build.errors.push_back(std::move(error));
        }
    }

    if (options.strict)
        build.errors.insert(build.errors.end(), build.warnings.begin(), build.warnings.end());
    // Reported in the order of the file, whichever stage found them.
    std::stable_sort(build.errors.begin(), build.errors.end(),
                     [&](const std::string& a, const std::string& b) { return lineOf(a, path) < lineOf(b, path); });
    std::stable_sort(build.warnings.begin(), build.warnings.end(),
                     [&](const std::string& a, const std::string& b) { return lineOf(a, path) < lineOf(b, path); });
    return build;
}

std::optional<std::string> writeLyrics(const LyricBuild& build, const std::filesystem::path& folder)
{
    std::error_code failure;
    std::filesystem::create_directories(folder / "lyrics", failure);
    if (failure)
        return (folder / "lyrics").string() + ": cannot create the folder: " + failure.message();
    const LyricSheet& sheet = build.sheet;
    const int slots = writtenSlots(build);
    for (int slot = 0; slot < slots; ++slot) {
        RgbaImage image;
        if (slot < int(sheet.entries.size())) {
            const LyricEntry& entry = sheet.entries[std::size_t(slot)];
            image = renderEntryImage(build.runs[std::size_t(entry.row)], entry.phraseBegin, entry.phraseEnd,
                                     build.placements[std::size_t(slot)], build.capHeights[std::size_t(entry.row)]);
        } else {
            // A slot the file leaves unused: a lyric image with nothing in it, so it stays
            // transparent even if its window ever opened.
            image.width = 2;
            image.height = 2;
            image.pixels.assign(16, 0);
            writeLayoutHeader(image.pixels.data(), image.width, {0, 0});
        }
        std::string path = (folder / "lyrics" / (std::string(lineTextureName(slot, slots).data()) + ".png")).string();
        if (!writePng(path, image.width, image.height, 4, image.pixels.data()))
            return path + ": cannot write the image";
    }
    std::string timingPath = (folder / kTimingFileName).string();
    std::ofstream timing(timingPath, std::ios::binary | std::ios::trunc);
    timing << formatTextTiming(sheet.entries, slots);
    timing.close();
    if (!timing)
        return timingPath + ": cannot write the timing file";
    return std::nullopt;
}

int writtenSlots(const LyricBuild& build)
{
    int entries = int(build.sheet.entries.size());
    return build.fit.fillSlots ? std::max(entries, build.fit.slots) : entries;
}

std::string summariseLyrics(const LyricBuild& build)
{
    auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::size_t used = build.sheet.entries.size();
    const int slots = build.fit.slots;
    std::string text = count(used, "entry", "entries") + " in " + count(build.sheet.rows.size(), "line", "lines");
    if (build.fit.fillSlots && used < std::size_t(slots))
        text += ", " + std::to_string(slots - int(used)) + " of " + std::to_string(slots) + " slots unused";
    if (build.sheet.leftOutBefore > 0)
        text += ", " + std::to_string(build.sheet.leftOutBefore) + " left out before the part taken";
    if (build.sheet.leftOut > 0)
        text += ", " + std::to_string(build.sheet.leftOut) + " left out after " +
                (build.fit.holderName.empty() ? "the lyric scene" : "the end");
    if (!build.warnings.empty())
        text += ", " + count(build.warnings.size(), "warning", "warnings");
    return text;
}

std::string markedWarning(std::string_view warning, std::string_view path)
{
    std::string text(warning);
    std::size_t after = text.compare(0, path.size(), path) == 0 ? path.size() : 0;
    std::size_t mark = text.find(": ", after);
    if (mark == std::string::npos)
        return "warning: " + text;
    return text.insert(mark + 2, "warning: ");
}
