// Slots, placements and the schedule and overlap checks of the lyric entries.
#include "tools/lib/lyrics/LyricLayout.h"

#include <algorithm>
#include <cstdio>

#include "rules/LayoutHeader.h"

namespace {

std::string where(std::string_view path, int line)
{
    return std::string(path) + ":" + std::to_string(line) + ": ";
}

// An entry named in a message: its words and the moment it appears.
std::string named(const LyricEntry& entry)
{
    return shownText(entry.text) + " at " + formatLyricSeconds(entry.start);
}

bool together(const LyricEntry& a, const LyricEntry& b)
{
    return std::max(a.start, b.start) < std::min(a.end, b.end);
}

}  // namespace

std::vector<int> assignSlots(const std::vector<LyricRow>& rows, const std::vector<int>& lines)
{
    std::vector<int> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows[a].start < rows[b].start; });

    std::vector<int> slots(rows.size(), 0);
    std::vector<double> slotFreeAt;
    for (int row : order) {
        std::size_t height = lines.empty() ? 1 : std::size_t(std::max(lines[std::size_t(row)], 1));
        auto freeFrom = [&](std::size_t first) {
            for (std::size_t slot = first; slot < first + height && slot < slotFreeAt.size(); ++slot)
                if (slotFreeAt[slot] > rows[row].start)
                    return false;
            return true;
        };
        std::size_t first = 0;
        while (!freeFrom(first))
            ++first;
        if (slotFreeAt.size() < first + height)
            slotFreeAt.resize(first + height, 0.0);
        for (std::size_t slot = first; slot < first + height; ++slot)
            slotFreeAt[slot] = rows[row].end;
        slots[row] = int(first);
    }
    return slots;
}

std::vector<LineBreak> allowedRowBreaks(std::string_view phrase,
                                        const std::vector<std::pair<std::size_t, std::size_t>>& entries,
                                        const std::function<int(std::size_t, std::size_t)>& width, int widest)
{
    std::vector<bool> wide;
    for (const auto& [begin, end] : entries)
        wide.push_back(width(begin, end) > widest);
    std::vector<LineBreak> allowed;
    for (const LineBreak& opportunity : lineBreaks(phrase)) {
        if (opportunity.offset >= phrase.size() || entries.empty()) {
            allowed.push_back(opportunity);
            continue;
        }
        // The entry the offset falls in: the last that begins at or before it.
        auto after = std::upper_bound(entries.begin(), entries.end(), opportunity.offset,
                                      [](std::size_t offset, const auto& entry) { return offset < entry.first; });
        if (after == entries.begin())
            continue;
        std::size_t entry = std::size_t(after - entries.begin()) - 1;
        if (entry > 0 && opportunity.offset == entries[entry].first)
            allowed.push_back({opportunity.offset, opportunity.mandatory || wide[entry] || wide[entry - 1]});
        else if (wide[entry])
            allowed.push_back(opportunity);
    }
    return allowed;
}

std::vector<EntryPlacement> placeEntries(const LyricSheet& sheet, const std::vector<RowMeasure>& rows,
                                         const LayoutStyle& style)
{
    std::vector<int> lines;
    for (const RowMeasure& measure : rows)
        lines.push_back(measure.lines);
    std::vector<int> slots = assignSlots(sheet.rows, lines);
    int slotCount = 0;
    for (std::size_t r = 0; r < slots.size(); ++r)
        slotCount = std::max(slotCount, slots[r] + lines[r]);
    int pitch = style.ascent + style.descent + 2 * style.margin + style.slotGap;
    int blockTop = style.centreY - (slotCount * pitch - style.slotGap) / 2;

    std::vector<EntryPlacement> placements(sheet.entries.size());
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const LyricRow& row = sheet.rows[r];
        const RowMeasure& measure = rows[r];
        int originX = (kReferenceWidth - (measure.inkRight - measure.inkLeft)) / 2 - measure.inkLeft;
        int baselineY = blockTop + slots[r] * pitch + style.margin + style.ascent;
        for (int i = 0; i < row.entryCount; ++i) {
            const PixelRect& ink = measure.entryInk[i];
            EntryPlacement& placement = placements[row.firstEntry + i];
            placement.originX = originX;
            placement.baselineY = baselineY;
            placement.slot = slots[r];
            placement.lineStep = measure.lines > 1 ? pitch : 0;
            placement.rect = {originX + ink.left - style.margin, baselineY + ink.top - style.margin,
                              originX + ink.right + style.margin, baselineY + ink.bottom + style.margin};
        }
        // Neighbours on a line share their margins: where they would meet, each gets half.
        for (int i = 0; i + 1 < row.entryCount; ++i) {
            PixelRect& left = placements[row.firstEntry + i].rect;
            PixelRect& right = placements[row.firstEntry + i + 1].rect;
            bool oneLine = left.top < right.bottom && right.top < left.bottom;
            if (oneLine && left.right > right.left) {
                int cut = (originX + measure.entryInk[i].right + originX + measure.entryInk[i + 1].left + 1) / 2;
                left.right = std::max(left.left + 2, cut);
                right.left = left.right;
            }
        }
    }
    return placements;
}

std::vector<std::string> checkSchedule(const LyricSheet& sheet, std::string_view path, const SceneRules& rules)
{
    std::vector<std::string> errors;
    for (const LyricEntry& entry : sheet.entries) {
        if (showsTooBriefly(entry, rules.sceneStart, rules.sceneEnd, rules.minimumSeconds)) {
            double shown = secondsInside(entry, rules.sceneStart, rules.sceneEnd);
            char buffer[160];
            std::snprintf(buffer, sizeof buffer, "shows for %.3f s inside the lyric scene (%.0f–%.0f s); it needs %.1f s",
                          std::max(shown, 0.0), rules.sceneStart, rules.sceneEnd, rules.minimumSeconds);
            // Cut short by the scene's edge, or by the next line: the fit lengthens it where it can.
            const char* remedy = entry.end > rules.sceneEnd    ? ": start it earlier, or leave it out"
                                 : entry.start < rules.sceneStart ? ": end it later, or leave it out"
                                                                  : ": give it a later end (start the next line later), or join it to its neighbour";
            errors.push_back(where(path, entry.sourceLine) + named(entry) + " " + buffer + remedy);
        }
    }

    std::vector<int> up = entriesUpAtStarts(sheet.entries);
    for (std::size_t i = 0; i < sheet.entries.size(); ++i) {
        const LyricEntry& entry = sheet.entries[i];
        if (up[i] > rules.maximumAtOnce) {
            errors.push_back(where(path, entry.sourceLine) + std::to_string(up[i]) + " entries show at once at " +
                             formatLyricSeconds(entry.start) + " when " + shownText(entry.text) +
                             " appears; the show draws at most " + std::to_string(rules.maximumAtOnce));
            break;
        }
    }
    return errors;
}

std::vector<std::string> checkPlacements(const LyricSheet& sheet, const std::vector<EntryPlacement>& placements,
                                         std::string_view path)
{
    std::vector<std::string> errors;
    const PixelRect frame{0, 0, kReferenceWidth, kReferenceHeight};
    for (std::size_t i = 0; i < sheet.entries.size(); ++i) {
        const PixelRect& rect = placements[i].rect;
        if (rect.left < frame.left || rect.top < frame.top || rect.right > frame.right || rect.bottom > frame.bottom ||
            rect.width() < 2 || rect.height() < 1)
            errors.push_back(where(path, sheet.entries[i].sourceLine) + named(sheet.entries[i]) +
                             " does not fit on the 1920×1080 screen (" + std::to_string(rect.left) + "," +
                             std::to_string(rect.top) + " to " + std::to_string(rect.right) + "," +
                             std::to_string(rect.bottom) + ")");
    }
    for (std::size_t i = 0; i < sheet.entries.size(); ++i) {
        for (std::size_t j = i + 1; j < sheet.entries.size(); ++j) {
            const LyricEntry& a = sheet.entries[i];
            const LyricEntry& b = sheet.entries[j];
            if (together(a, b) && placements[i].rect.overlaps(placements[j].rect))
                errors.push_back(where(path, b.sourceLine) + shownText(b.text) + " covers " + shownText(a.text) + " of line " +
                                 std::to_string(a.sourceLine) + " on screen from " +
                                 formatLyricSeconds(std::max(a.start, b.start)) + " to " +
                                 formatLyricSeconds(std::min(a.end, b.end)));
        }
    }
    return errors;
}
