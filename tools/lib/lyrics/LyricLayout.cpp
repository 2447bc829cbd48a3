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
    return "'" + entry.text + "' at " + formatLyricSeconds(entry.start);
}

bool together(const LyricEntry& a, const LyricEntry& b)
{
    return std::max(a.start, b.start) < std::min(a.end, b.end);
}

}  // namespace

std::vector<int> assignSlots(const std::vector<LyricRow>& rows)
{
    std::vector<int> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rows[a].start < rows[b].start; });

    std::vector<int> slots(rows.size(), 0);
    std::vector<double> slotFreeAt;
    for (int row : order) {
        std::size_t slot = 0;
        while (slot < slotFreeAt.size() && slotFreeAt[slot] > rows[row].start)
            ++slot;
        if (slot == slotFreeAt.size())
            slotFreeAt.push_back(0.0);
        slotFreeAt[slot] = rows[row].end;
        slots[row] = int(slot);
    }
    return slots;
}

std::vector<EntryPlacement> placeEntries(const LyricSheet& sheet, const std::vector<RowMeasure>& rows,
                                         const LayoutStyle& style)
{
    std::vector<int> slots = assignSlots(sheet.rows);
    int slotCount = slots.empty() ? 0 : *std::max_element(slots.begin(), slots.end()) + 1;
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
            placement.rect = {originX + ink.left - style.margin, baselineY + ink.top - style.margin,
                              originX + ink.right + style.margin, baselineY + ink.bottom + style.margin};
        }
        // Neighbours in a row share their margins: where they would meet, each gets half.
        for (int i = 0; i + 1 < row.entryCount; ++i) {
            PixelRect& left = placements[row.firstEntry + i].rect;
            PixelRect& right = placements[row.firstEntry + i + 1].rect;
            if (left.right > right.left) {
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
        double shown = std::min(entry.end, rules.sceneEnd) - std::max(entry.start, rules.sceneStart);
        // Times come from whole milliseconds; a difference of doubles may fall a hair short.
        if (shown < rules.minimumSeconds - 1e-9) {
            char buffer[160];
            std::snprintf(buffer, sizeof buffer, "shows for %.3f s inside the lyric scene (%.0f–%.0f s); it needs %.1f s",
                          std::max(shown, 0.0), rules.sceneStart, rules.sceneEnd, rules.minimumSeconds);
            errors.push_back(where(path, entry.sourceLine) + named(entry) + " " + buffer);
        }
    }

    // The count only rises at a start, so the starts are the moments to look at.
    for (const LyricEntry& entry : sheet.entries) {
        int count = 0;
        for (const LyricEntry& other : sheet.entries)
            count += other.start <= entry.start && entry.start < other.end;
        if (count > rules.maximumAtOnce) {
            errors.push_back(where(path, entry.sourceLine) + std::to_string(count) + " entries show at once at " +
                             formatLyricSeconds(entry.start) + " when '" + entry.text +
                             "' appears; the show draws at most " + std::to_string(rules.maximumAtOnce));
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
                errors.push_back(where(path, b.sourceLine) + "'" + b.text + "' covers '" + a.text + "' of line " +
                                 std::to_string(a.sourceLine) + " on screen from " +
                                 formatLyricSeconds(std::max(a.start, b.start)) + " to " +
                                 formatLyricSeconds(std::min(a.end, b.end)));
        }
    }
    return errors;
}
