// Fuzzes reading a lyric file and fitting it to the show, from the file's bytes in any encoding
// to entries and messages: every message names the file and holds no control character that
// would garble it, every entry is well-formed UTF-8 text of its row with a window that opens
// inside the lyric scene (or the song), and no kind of message floods the report.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "fuzz/FuzzTarget.h"
#include "tools/lib/lyrics/LyricFile.h"
#include "tools/lib/lyrics/LyricReport.h"
#include "tools/lib/base/Utf8.h"

namespace {

constexpr std::string_view kPath = "fuzz.lrc";

void checkMessage(const std::string& message)
{
    if (message.substr(0, kPath.size() + 1) != std::string(kPath) + ":")
        std::abort();
    if (std::any_of(message.begin(), message.end(), [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; }))
        std::abort();
}

void checkSheet(const LyricParse& parse, const ShowFit& fit)
{
    const LyricSheet& sheet = parse.sheet;
    if (parse.ok() && int(sheet.entries.size()) > fit.slots)
        std::abort();
    for (const LyricEntry& entry : sheet.entries) {
        if (!(entry.start < entry.end) || entry.start >= fit.sceneEnd)
            std::abort();
        if (entry.row < 0 || std::size_t(entry.row) >= sheet.rows.size())
            std::abort();
        const std::string& phrase = sheet.rows[std::size_t(entry.row)].phrase;
        if (entry.phraseBegin > entry.phraseEnd || entry.phraseEnd > phrase.size() ||
            phrase.compare(entry.phraseBegin, entry.phraseEnd - entry.phraseBegin, entry.text) != 0)
            std::abort();
        if (!isUtf8(entry.text) || entry.text.empty())
            std::abort();
    }
}

// At most a screenful of each kind, and one count line after it.
void checkLimited(const std::vector<std::string>& messages)
{
    std::vector<std::string> limited = limitMessages(messages, kPath, "errors");
    std::map<std::string, std::size_t> perKind;
    for (const std::string& message : limited)
        ++perKind[messageKind(message, kPath)];
    for (const auto& [kind, count] : perKind)
        if (count > kMostOfOneKind + 1 && kind.find(" more errors like ") == std::string::npos)
            std::abort();
    if (limited.size() > messages.size() || (messages.size() <= kMostOfOneKind && limited != messages))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LyricParse parse = parseLyricFile(bytes, kPath);
    // The stock lyric scene, or a whole song (some with a part of it cut out), by the input's size.
    ShowFit fit = size % 2 == 0 ? ShowFit{} : wholeSongFit(600.0, size % 3 == 0 ? 30.0 : 0.0);
    fitToShow(parse, kPath, fit);
    for (const std::string& message : parse.errors)
        checkMessage(message);
    for (const std::string& message : parse.warnings)
        checkMessage(message);
    checkSheet(parse, fit);
    checkLimited(parse.errors);
    return 0;
}
