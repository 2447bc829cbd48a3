// The preview window's title text.
#include "tools/preview/PreviewTitle.h"

#include <cstdio>

#include "rules/LyricLayers.h"

namespace {

// Beside this one, the title keeps to ASCII: Xlib in the C locale refuses some other characters
// (an en dash among them), and SDL then leaves the old title standing.
const char* const kSeparator = " \u00b7 ";
// A compiler's message can be long; the title keeps its start, the whole goes to standard error.
constexpr size_t kLongestFault = 100;

std::string seconds(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", time);
    return text;
}

}  // namespace

std::string previewTitle(const TitleFacts& facts)
{
    std::string title = "Sovane05 preview";
    title += kSeparator + seconds(facts.time) + " s";
    title += kSeparator + (facts.scene.empty() ? std::string("no scene") : facts.scene);
    if (!facts.entries.empty()) {
        title += kSeparator;
        for (size_t i = 0; i < facts.entries.size(); ++i)
            title += (i == 0 ? "" : " ") + facts.entries[i];
    }
    if (facts.paused)
        title += std::string(kSeparator) + "paused";
    if (facts.loop)
        title += kSeparator + ("loop " + seconds(facts.loop->start) + "-" + seconds(facts.loop->end) + " s");
    if (!facts.fault.empty()) {
        std::string fault = facts.fault;
        if (fault.size() > kLongestFault) {
            fault.resize(kLongestFault);
            // Never end inside a UTF-8 sequence.
            while (!fault.empty() && (static_cast<unsigned char>(fault.back()) & 0xC0) == 0x80)
                fault.pop_back();
            if (!fault.empty() && static_cast<unsigned char>(fault.back()) >= 0xC0)
                fault.pop_back();
            fault += "...";
        }
        title += kSeparator + fault;
    }
    return title;
}

std::string sceneTitle(const std::string& kind, int index, int count)
{
    return kind + " " + std::to_string(index + 1) + "/" + std::to_string(count);
}

std::vector<std::string> activeEntryNames(const double* lineStart, const double* lineEnd, int count, double time)
{
    std::vector<std::string> names;
    forEachActiveLine(lineStart, lineEnd, count, time,
                      [&](int line, float) { names.emplace_back(lineTextureName(line, count).data()); });
    return names;
}
