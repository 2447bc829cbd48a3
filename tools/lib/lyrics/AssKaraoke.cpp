// Writing a lyric sheet as ASS karaoke subtitles.
#include "tools/lib/lyrics/AssKaraoke.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

long long centiseconds(double seconds)
{
    return std::llround(seconds * 100.0);
}

std::string header(const AssCanvas& canvas)
{
    char text[1024];
    // Colours are &HAABBGGRR: words still to be sung in a translucent white, sung ones in the
    // lyric images' pale pink, a dark outline and a soft shadow below and to the right.
    std::snprintf(text, sizeof text,
                  "[Script Info]\n"
                  "ScriptType: v4.00+\n"
                  "PlayResX: %d\n"
                  "PlayResY: %d\n"
                  "WrapStyle: 2\n"
                  "ScaledBorderAndShadow: yes\n"
                  "\n"
                  "[V4+ Styles]\n"
                  "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, "
                  "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, "
                  "Alignment, MarginL, MarginR, MarginV, Encoding\n"
                  "Style: Lyric,DejaVu Sans,%d,&H00E6D2FF,&H40FFFFFF,&H00301418,&H80000000,-1,0,0,0,100,100,0,0,1,3,3,"
                  "5,60,60,0,1\n"
                  "\n"
                  "[Events]\n"
                  "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n",
                  canvas.width, canvas.height, canvas.fontSize);
    return text;
}

// One row's event: each entry's words after a \kf lasting until the next entry starts; the
// last lasts as long as the one before it, within the row.
std::string rowEvent(const LyricRow& row, const std::vector<const LyricEntry*>& entries)
{
    long long start = centiseconds(row.start);
    long long end = centiseconds(row.end);
    std::string text = "{\\fad(150,200)}";
    long long at = start;
    long long lastLength = end - start;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LyricEntry& entry = *entries[i];
        long long entryStart = std::clamp(centiseconds(entry.start), at, end);
        if (entryStart > at)
            text += "{\\k" + std::to_string(entryStart - at) + "}";
        long long entryEnd = i + 1 < entries.size() ? std::clamp(centiseconds(entries[i + 1]->start), entryStart, end)
                                                    : std::min(end, entryStart + lastLength);
        std::size_t wordsEnd = i + 1 < entries.size() ? entries[i + 1]->phraseBegin : row.phrase.size();
        text += "{\\kf" + std::to_string(entryEnd - entryStart) + "}" +
                assText(std::string_view(row.phrase).substr(entry.phraseBegin, wordsEnd - entry.phraseBegin));
        lastLength = entryEnd - entryStart;
        at = entryEnd;
    }
    return "Dialogue: 0," + assTime(row.start) + "," + assTime(row.end) + ",Lyric,,0,0,0,," + text + "\n";
}

}  // namespace

std::string assTime(double seconds)
{
    long long total = std::max(0LL, centiseconds(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%02lld", total / 360000, total / 6000 % 60, total / 100 % 60,
                  total % 100);
    return text;
}

std::string assText(std::string_view text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '{' || c == '}') {
            shown += '\\';
            shown += c;
        } else if (c == '\\' && i + 1 < text.size() && std::string_view("Nnh{}").find(text[i + 1]) != std::string_view::npos) {
            // A word joiner between them keeps both characters and their meaning apart.
            shown += "\\\u2060";
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string assKaraoke(const LyricSheet& sheet, const AssCanvas& canvas)
{
    std::string ass = header(canvas);
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        std::vector<const LyricEntry*> entries;
        for (const LyricEntry& entry : sheet.entries)
            if (entry.row == int(r))
                entries.push_back(&entry);
        if (!entries.empty())
            ass += rowEvent(sheet.rows[r], entries);
    }
    return ass;
}
