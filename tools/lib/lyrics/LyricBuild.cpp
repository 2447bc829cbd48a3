// The lyric build: every stage runs even when an earlier one found faults, so one run reports
// them all; rows are laid out without the characters no font has, so the layout is still
// checked.
#include "tools/lib/lyrics/LyricBuild.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <system_error>

#include "platform/system/OutputFile.h"
#include "platform/system/OutputFolder.h"
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
    fitToShow(parse, path);
    LyricBuild build;
    build.sheet = std::move(parse.sheet);
    build.errors = std::move(parse.errors);
    build.warnings = std::move(parse.warnings);
    for (std::string& error : checkSchedule(build.sheet, path))
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

namespace {

// The 87 images into `images`, each complete before the next; "" after a stop.
std::optional<std::string> writeLyricImages(const LyricBuild& build, const std::filesystem::path& images,
                                            const std::filesystem::path& shownImages,
                                            const std::function<bool()>& stopRequested)
{
    const LyricSheet& sheet = build.sheet;
    for (int slot = 0; slot < kLyricEntryCount; ++slot) {
        if (stopRequested && stopRequested())
            return std::string();
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
        std::string name = std::string(lineTextureName(slot).data()) + ".png";
        std::string failure = writePng(images / name, image.width, image.height, 4, image.pixels.data());
        if (!failure.empty())
            return (shownImages / name).string() + ": " + failure;
    }
    return std::nullopt;
}

// The files themselves, into the existing `folder`.
std::optional<std::string> writeLyricFiles(const LyricBuild& build, const std::filesystem::path& folder,
                                           const std::filesystem::path& shownFolder,
                                           const std::function<bool()>& stopRequested)
{
    const std::filesystem::path shownImages = shownFolder / "lyrics";
    // The timing file and the image folder are each written beside their place and put there
    // when complete: a full disk or a stop leaves the old ones as they were.
    OutputFile timing(folder / kTimingFileName);
    std::string timingText = formatTextTiming(build.sheet.entries, kLyricEntryCount);
    std::string failure = timing.write({reinterpret_cast<const unsigned char*>(timingText.data()), timingText.size()});
    if (!failure.empty())
        return (shownFolder / kTimingFileName).string() + ": " + failure;
    OutputFolder images(folder / "lyrics");
    if (!images.failure.empty())
        return shownImages.string() + ": " + images.failure;
    if (std::optional<std::string> imageFailure = writeLyricImages(build, images.partialPath, shownImages, stopRequested))
        return imageFailure;
    if (stopRequested && stopRequested())
        return std::string();
    failure = images.commit();
    if (!failure.empty())
        return shownImages.string() + ": " + failure;
    failure = timing.commit();
    if (!failure.empty())
        return (shownFolder / kTimingFileName).string() + ": " + failure;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> writeLyrics(const LyricBuild& build, const std::filesystem::path& folder,
                                       const std::filesystem::path& shownFolder,
                                       const std::function<bool()>& stopRequested)
{
    std::error_code error;
    bool made = std::filesystem::create_directories(folder, error);
    if (error)
        return shownFolder.string() + ": cannot make the folder: " + error.message();
    std::optional<std::string> failure = writeLyricFiles(build, folder, shownFolder, stopRequested);
    // A folder made for outputs that never came is taken away again (only when still empty).
    if (failure && made)
        std::filesystem::remove(folder, error);
    return failure;
}

std::string summariseLyrics(const LyricBuild& build)
{
    auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::size_t used = build.sheet.entries.size();
    std::string text = count(used, "entry", "entries") + " in " + count(build.sheet.rows.size(), "line", "lines");
    if (used < std::size_t(kLyricEntryCount))
        text += ", " + std::to_string(kLyricEntryCount - int(used)) + " of " + std::to_string(kLyricEntryCount) +
                " slots unused";
    if (build.sheet.leftOut > 0)
        text += ", " + std::to_string(build.sheet.leftOut) + " left out after the lyric scene";
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
