// The lyric build: every stage runs even when an earlier one found faults, so one run reports
// them all; rows are laid out without the characters no font has, so the layout is still
// checked. Only the rows that hold one of the show's slots are drawn: the others are looked at
// for their characters alone, which keeps a file of any length cheap.
#include "tools/lib/lyrics/LyricBuild.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "platform/system/OutputFile.h"
#include "platform/system/OutputFolder.h"
#include "rules/LayoutHeader.h"
#include "rules/ShowFiles.h"
#include "tools/lib/base/PngWrite.h"
#include "tools/lib/glyphs/FontChain.h"
#include "tools/lib/glyphs/FontPackages.h"
#include "tools/lib/glyphs/TextShaper.h"
#include "tools/lib/lyrics/LyricReport.h"
#include "tools/lib/lyrics/RowText.h"
#include "tools/lib/lyrics/TextTiming.h"
#include "tools/lib/base/Utf8.h"

namespace {

struct Missing {
    std::string text;
    std::vector<int> lines;
};

std::string lineList(const std::vector<int>& lines)
{
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    return text;
}

bool stopped(const LyricBuildOptions& options)
{
    return options.stopRequested && options.stopRequested();
}

// Collects the characters no font has, each with every line that uses it.
class MissingCharacters {
public:
    void note(const std::vector<UncoveredCharacter>& characters, int line)
    {
        for (const UncoveredCharacter& character : characters) {
            Missing& entry = missing[character.codePoint];
            entry.text = character.text;
            if (entry.lines.empty() || entry.lines.back() != line)
                entry.lines.push_back(line);
        }
    }

    void report(std::vector<std::string>& errors, std::string_view path) const
    {
        std::vector<std::pair<char32_t, Missing>> ordered(missing.begin(), missing.end());
        std::stable_sort(ordered.begin(), ordered.end(),
                         [](const auto& a, const auto& b) { return a.second.lines.front() < b.second.lines.front(); });
        for (const auto& [codePoint, entry] : ordered)
            errors.push_back(std::string(path) + ":" + std::to_string(entry.lines.front()) + ": no font has " +
                             codeName(codePoint) + " " + shownText(entry.text) + ", used on " +
                             lineList(entry.lines) + ": " + fontRemedy(codePoint));
    }

private:
    std::map<char32_t, Missing> missing;
};

// The rows that hold one of the show's slots, and only their entries that do.
LyricSheet slotted(const LyricSheet& sheet, int slots)
{
    LyricSheet kept;
    int last = std::min(int(sheet.entries.size()), slots);
    kept.entries.assign(sheet.entries.begin(), sheet.entries.begin() + last);
    for (const LyricRow& row : sheet.rows) {
        if (row.firstEntry >= last)
            break;
        kept.rows.push_back(row);
        kept.rows.back().entryCount = std::min(row.entryCount, last - row.firstEntry);
    }
    return kept;
}

// The chain at the lyric size, its problems reported; null when it cannot set a line.
std::unique_ptr<FontChain> openFonts(LyricBuild& build, const LyricBuildOptions& options)
{
    auto fonts = std::make_unique<FontChain>(lyricFontChain(options));
    for (const FontProblem& problem : fonts->problems())
        build.errors.push_back(problem.path + ": cannot use the font: " + problem.reason);
    if (fonts->size() == 0) {
        if (fonts->problems().empty())
            build.errors.push_back("no font to set the lyrics in: install the Debian package fonts-dejavu-core, or "
                                   "give a --font");
        return nullptr;
    }
    if (std::optional<FontProblem> problem = fonts->setPixelSize(kLyricPixels)) {
        build.errors.push_back(problem->path + ": cannot use the font: " + problem->reason);
        return nullptr;
    }
    return fonts;
}

// Sets the rows that hold slots and measures them; false when a row could not be set.
bool setRows(LyricBuild& build, const LyricSheet& shown, FontChain& fonts, std::string_view path,
             const LyricBuildOptions& options, MissingCharacters& missing, LayoutStyle& style,
             std::vector<RowText>& texts)
{
    bool measured = true;
    style.ascent = fonts.ascent(0);
    style.descent = fonts.descent(0);
    for (const LyricRow& row : shown.rows) {
        if (stopped(options))
            return false;
        std::vector<std::pair<std::size_t, std::size_t>> entries;
        for (int i = row.firstEntry; i < row.firstEntry + row.entryCount; ++i)
            entries.emplace_back(shown.entries[std::size_t(i)].phraseBegin, shown.entries[std::size_t(i)].phraseEnd);
        RowText text = setRowText(fonts, row.phrase, entries, style.margin);
        if (!text.error.empty()) {
            build.errors.push_back(std::string(path) + ":" + std::to_string(row.sourceLine) + ": " + text.error);
            measured = false;
        }
        missing.note(text.uncovered, row.sourceLine);
        style.ascent = std::max(style.ascent, text.ascent);
        style.descent = std::max(style.descent, text.descent);
        texts.push_back(std::move(text));
    }
    return measured;
}

// The rows past the last slot: never drawn, but their characters are reported all the same. Each
// character is looked up in the chain once.
void lookAtOtherRows(const LyricSheet& sheet, std::size_t from, FontChain& fonts, const LyricBuildOptions& options,
                     MissingCharacters& missing)
{
    std::unordered_map<char32_t, std::vector<UncoveredCharacter>> looked;
    for (std::size_t r = from; r < sheet.rows.size() && !stopped(options); ++r) {
        const std::string& phrase = sheet.rows[r].phrase;
        std::optional<std::vector<CodePoint>> points = decodeUtf8(phrase);
        for (const CodePoint& point : points.value_or(std::vector<CodePoint>())) {
            auto [known, fresh] = looked.try_emplace(point.value);
            if (fresh)
                known->second = uncoveredCharacters(fonts, std::string_view(phrase).substr(point.begin, point.end - point.begin));
            missing.note(known->second, sheet.rows[r].sourceLine);
        }
    }
}

void layOut(LyricBuild& build, std::string_view path, const LyricBuildOptions& options)
{
    std::unique_ptr<FontChain> fonts = openFonts(build, options);
    if (!fonts)
        return;
    LyricSheet shown = slotted(build.sheet, build.fit.slots);
    MissingCharacters missing;
    LayoutStyle style;
    std::vector<RowText> texts;
    bool measured = setRows(build, shown, *fonts, path, options, missing, style, texts);
    lookAtOtherRows(build.sheet, shown.rows.size(), *fonts, options, missing);
    if (stopped(options)) {
        build.stopped = true;
        return;
    }
    missing.report(build.errors, path);
    // A row that could not be set has no measure to place it by.
    if (!measured)
        return;
    int pitch = style.ascent + style.descent + 2 * style.margin + style.slotGap;
    std::vector<RowMeasure> measures(shown.rows.size());
    for (std::size_t r = 0; r < shown.rows.size(); ++r) {
        const LyricRow& row = shown.rows[r];
        build.runs.push_back(stackLines(texts[r], pitch));
        build.capHeights.push_back(texts[r].pixels * 73 / 100);
        build.rowLines.push_back(int(texts[r].lines.size()));
        PixelRect ink = inkBox(build.runs[r], 0, row.phrase.size());
        measures[r] = {ink.left, ink.right, {}, int(texts[r].lines.size())};
        for (int i = row.firstEntry; i < row.firstEntry + row.entryCount; ++i) {
            const LyricEntry& entry = shown.entries[std::size_t(i)];
            measures[r].entryInk.push_back(inkBox(build.runs[r], entry.phraseBegin, entry.phraseEnd));
        }
    }
    build.placements = placeEntries(shown, measures, style);
    for (std::string& error : checkPlacements(shown, build.placements, path))
        build.errors.push_back(std::move(error));
}

std::vector<std::string> marked(const std::vector<std::string>& warnings, std::string_view path)
{
    std::vector<std::string> lines;
    for (const std::string& warning : warnings)
        lines.push_back(markedWarning(warning, path));
    return lines;
}

}  // namespace

std::vector<std::string> lyricFontChain(const LyricBuildOptions& options)
{
    std::vector<std::string> chain = options.fonts;
    if (!options.onlyGivenFonts)
        for (const std::string& font : fontChainForAllScripts())
            if (std::find(chain.begin(), chain.end(), font) == chain.end())
                chain.push_back(font);
    return chain;
}

LyricBuild buildLyrics(std::string_view bytes, std::string_view path, const LyricBuildOptions& given)
{
    // A stop once answered holds: the stages after the one that saw it do not ask again.
    LyricBuildOptions options = given;
    if (given.stopRequested)
        options.stopRequested = [ask = given.stopRequested, said = false]() mutable { return said = said || ask(); };
    LyricBuild build;
    build.fit = options.fit;
    LyricParse parse = parseLyricFile(bytes, path, options.encoding);
    build.stopped = stopped(options);
    if (build.stopped)
        return build;
    fitToShow(parse, path, options.fit);
    build.sheet = std::move(parse.sheet);
    build.errors = std::move(parse.errors);
    build.warnings = std::move(parse.warnings);
    SceneRules rules;
    rules.sceneEnd = options.fit.sceneEnd;
    rules.maximumAtOnce = options.fit.maximumAtOnce;
    for (std::string& error : checkSchedule(build.sheet, path, rules))
        build.errors.push_back(std::move(error));
    build.stopped = stopped(options);
    if (build.stopped)
        return build;
    layOut(build, path, options);

    if (options.strict)
        build.errors.insert(build.errors.end(), build.warnings.begin(), build.warnings.end());
    // Reported in the order of the file, whichever stage found them.
    auto byLine = [&](const std::string& a, const std::string& b) { return messageLine(a, path) < messageLine(b, path); };
    std::stable_sort(build.errors.begin(), build.errors.end(), byLine);
    std::stable_sort(build.warnings.begin(), build.warnings.end(), byLine);
    return build;
}

std::optional<std::vector<RgbaImage>> drawLyricImages(const LyricBuild& build, const std::function<bool()>& stop)
{
    const LyricSheet& sheet = build.sheet;
    const int slots = writtenSlots(build);
    std::vector<RgbaImage> images;
    for (int slot = 0; slot < slots; ++slot) {
        if (stop && stop())
            return std::nullopt;
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
        images.push_back(std::move(image));
    }
    return images;
}

namespace {

// The files themselves, into the existing `folder`.
std::optional<std::string> writeLyricFiles(const LyricBuild& build, const std::vector<RgbaImage>& images,
                                           const std::filesystem::path& folder,
                                           const std::filesystem::path& shownFolder,
                                           const std::function<void(int)>& written)
{
    const int slots = writtenSlots(build);
    const std::filesystem::path shownImages = shownFolder / "lyrics";
    OutputFile timing(folder / kTimingFileName);
    std::string timingText = formatTextTiming(build.sheet.entries, slots);
    std::string failure = timing.write({reinterpret_cast<const unsigned char*>(timingText.data()), timingText.size()});
    if (!failure.empty())
        return (shownFolder / kTimingFileName).string() + ": " + failure;
    OutputFolder output(folder / "lyrics");
    if (!output.failure.empty())
        return shownImages.string() + ": " + output.failure;
    for (int slot = 0; slot < slots; ++slot) {
        const RgbaImage& image = images[std::size_t(slot)];
        std::string name = std::string(lineTextureName(slot, slots).data()) + ".png";
        failure = writePng(output.partialPath / name, image.width, image.height, 4, image.pixels.data());
        if (!failure.empty())
            return (shownImages / name).string() + ": " + failure;
        if (written)
            written(slot + 1);
    }
    failure = output.commit();
    if (!failure.empty())
        return shownImages.string() + ": " + failure;
    failure = timing.commit();
    if (!failure.empty())
        return (shownFolder / kTimingFileName).string() + ": " + failure;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> writeLyrics(const LyricBuild& build, const std::vector<RgbaImage>& images,
                                       const std::filesystem::path& folder, const std::filesystem::path& shownFolder,
                                       const std::function<void(int)>& written)
{
    std::error_code error;
    bool made = std::filesystem::create_directories(folder, error);
    if (error)
        return shownFolder.string() + ": cannot make the folder: " + error.message();
    std::optional<std::string> failure = writeLyricFiles(build, images, folder, shownFolder, written);
    // A folder made for outputs that never came is taken away again (only when still empty).
    if (failure && made)
        std::filesystem::remove(folder, error);
    return failure;
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

std::string failureSummary(const LyricBuild& build, bool strict)
{
    return countedProblems(build.errors.size(), strict ? 0 : build.warnings.size()) + ": nothing made";
}

std::vector<std::string> lyricReport(const LyricBuild& build, std::string_view path, bool strict)
{
    std::vector<std::string> lines;
    if (!strict)
        lines = marked(limitMessages(build.warnings, path, "warnings"), path);
    for (std::string& error : limitMessages(build.errors, path, "errors"))
        lines.push_back(std::move(error));
    return lines;
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
