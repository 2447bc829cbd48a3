// Reading the scene list.
#include "rules/SceneList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <optional>

#include "rules/ConfigLine.h"
#include "rules/InputFile.h"

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> fieldsOf(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t position = 0;
    while (position < line.size()) {
        while (position < line.size() && isBlank(line[position]))
            ++position;
        std::size_t end = position;
        while (end < line.size() && !isBlank(line[end]))
            ++end;
        if (end > position)
            fields.push_back(line.substr(position, end - position));
        position = end;
    }
    return fields;
}

// A plain decimal number: strtod, since the web page's C++ library has no from_chars for
// doubles, without the signs and hexadecimal forms strtod also takes.
std::optional<double> secondsIn(std::string_view field)
{
    if (field.empty() || field.front() == '+' || field.find_first_of("xX") != std::string_view::npos)
        return std::nullopt;
    std::string text(field);
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string window(double start, double end)
{
    return seconds(start) + " to " + seconds(end) + " s";
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// The scene on one line, or what is wrong with it.
std::optional<ListedScene> readScene(const std::vector<std::string_view>& fields, std::string& fault)
{
    ListedScene scene;
    if (fields[0] == sceneKindName(SceneKind::Lyrics)) {
        scene.kind = SceneKind::Lyrics;
    } else if (fields[0] == sceneKindName(SceneKind::PhotoCompo)) {
        scene.kind = SceneKind::PhotoCompo;
    } else {
        fault = "unknown scene kind " + quoted(fields[0]) + ": the kinds are Lyrics and PhotoCompo";
        return std::nullopt;
    }
    if (fields.size() < 3) {
        fault = std::string("a ") + sceneKindName(scene.kind) + " line needs a start and an end in seconds";
        return std::nullopt;
    }
    for (std::size_t field : {1, 2}) {
        if (!secondsIn(fields[field])) {
            fault = quoted(fields[field]) + " is not a number of seconds";
            return std::nullopt;
        }
    }
    scene.start = *secondsIn(fields[1]);
    scene.end = *secondsIn(fields[2]);
    if (scene.start < 0.0) {
        fault = "the window " + window(scene.start, scene.end) + " starts before the show does, at 0 s";
        return std::nullopt;
    }
    if (!(scene.start < scene.end)) {
        fault = "the window " + window(scene.start, scene.end) +
                (scene.start == scene.end ? " is empty" : " ends before it starts") +
                ": a scene draws strictly between its start and its end";
        return std::nullopt;
    }
    if (scene.kind == SceneKind::Lyrics && fields.size() > 3) {
        fault = "a Lyrics line takes a start and an end; " + quoted(fields[3]) + " is one field too many";
        return std::nullopt;
    }
    if (fields.size() > std::size_t(3 + kMostPhotoLayers)) {
        fault = "a photo scene draws at most " + std::to_string(kMostPhotoLayers) + " textures; " +
                quoted(fields[3 + kMostPhotoLayers]) + " is one too many";
        return std::nullopt;
    }
    if (scene.kind == SceneKind::PhotoCompo) {
        for (std::size_t field = 3; field < fields.size(); ++field)
            scene.textures.emplace_back(fields[field]);
        if (scene.textures.empty())
            scene.textures.emplace_back(kDefaultPhotoTexture);
    }
    return scene;
}

}  // namespace

const char* sceneKindName(SceneKind kind)
{
    return kind == SceneKind::Lyrics ? "Lyrics" : "PhotoCompo";
}

SceneList parseSceneList(std::string_view text)
{
    SceneList list;
    std::vector<std::string_view> lines = configLines(text);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        std::vector<std::string_view> fields = fieldsOf(lines[index]);
        if (fields.empty() || fields[0].front() == '#')
            continue;
        const int number = int(index) + 1;
        auto fault = [&](const std::string& what) { list.faults.push_back({number, what}); };
        if (int(list.scenes.size()) == kMostScenes) {
            fault("scene " + std::to_string(kMostScenes + 1) + " is one too many: a show has at most " +
                  std::to_string(kMostScenes) + " scenes, and every later line is skipped too");
            break;
        }
        std::string what;
        std::optional<ListedScene> scene = readScene(fields, what);
        if (!scene) {
            fault(what);
            continue;
        }
        scene->line = number;
        const ListedScene* overlapped = nullptr;
        for (const ListedScene& earlier : list.scenes) {
            if (std::max(earlier.start, scene->start) < std::min(earlier.end, scene->end)) {
                overlapped = &earlier;
                break;
            }
        }
        if (overlapped != nullptr) {
            fault("the window " + window(scene->start, scene->end) + " overlaps line " +
                  std::to_string(overlapped->line) + "'s, " + window(overlapped->start, overlapped->end) +
                  ": two scenes that both clear the frame would hide each other");
            continue;
        }
        list.scenes.push_back(std::move(*scene));
    }
    return list;
}

SceneListFile readSceneListFile(const char* path)
{
    SceneListFile file;
    InputText input = readInputFile(path);
    if (input.missing)
        return file;
    file.present = true;
    file.readable = input.read;
    if (!input.read) {
        file.list.faults.push_back({0, "cannot read the scene list (" + input.failure + ")"});
        return file;
    }
    file.list = parseSceneList(input.text);
    return file;
}

std::string describeFault(std::string_view path, const SceneListFault& fault)
{
    std::string where(path);
    if (fault.line > 0)
        where += ":" + std::to_string(fault.line);
    return where + ": " + fault.what;
}
