// The configuration check.
#include "tools/check/ConfigCheck.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string_view>

#include "rules/InputFile.h"
#include "rules/TimingFile.h"

namespace {

constexpr ResourceKind kKinds[] = {ResourceKind::Texture, ResourceKind::Shader, ResourceKind::Mesh,
                                   ResourceKind::File};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isWord(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// Edit distance without regard to case, enough to tell a slip ("Textures", "shader") from a word
// that means something else.
size_t distance(std::string_view a, std::string_view b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The kind a mistyped kind word most likely meant, or nothing.
const char* meantKind(std::string_view word)
{
    const char* best = nullptr;
    size_t bestDistance = 3;
    for (ResourceKind kind : kKinds) {
        size_t d = distance(word, kindWord(kind));
        if (d < bestDistance) {
            best = kindWord(kind);
            bestDistance = d;
        }
    }
    return best;
}

std::string inQuotes(std::string_view text)
{
    std::string quoted(1, '"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

// What the line would register, were it read as `line`: "texture \"000\"", or "".
std::string wouldRegister(std::string_view line)
{
    ConfigLine parsed = parseConfigLine(line);
    if (parsed.outcome != ConfigLine::Outcome::Entry)
        return "";
    return std::string(kindNoun(parsed.entry.kind)) + " " + inQuotes(parsed.entry.name);
}

// A line the show passes over without a word. Returns the warning, or "" when the line is
// plainly not meant as a resource (blank, or a first field that is no word, such as "#").
std::string ignoredLineProblem(std::string_view line)
{
    if (std::all_of(line.begin(), line.end(), isBlank))
        return "";
    if (isBlank(line.front())) {
        std::string_view rest = line.substr(line.find_first_not_of(" \t"));
        std::string meant = wouldRegister(rest);
        std::string problem = "the line starts with a blank, so the show ignores it";
        if (!meant.empty())
            problem += "; without the blank it would register " + meant;
        return problem;
    }
    size_t kindEnd = line.find(' ');
    std::string_view kind = line.substr(0, kindEnd);
    if (!isWord(kind))
        return "";
    std::string problem = "unknown kind " + inQuotes(kind);
    const char* meant = meantKind(kind);
    if (meant == nullptr)
        return problem + ": the show ignores this line";
    problem += " (did you mean " + inQuotes(meant) + "?): the show ignores this line";
    std::string registers = kindEnd == std::string_view::npos ? "" : wouldRegister(meant + std::string(line.substr(kindEnd)));
    if (!registers.empty())
        problem += ", which would have registered " + registers;
    return problem;
}

struct PathRole {
    const char* what;         // "image"
    const char* consequence;  // what the show makes of it when the file is not there
    Severity missing;
};

PathRole roleOf(ResourceKind kind, bool vertex)
{
    switch (kind) {
    case ResourceKind::Texture:
        return {"image", "the texture gets no image and draws nothing", Severity::Error};
    case ResourceKind::Shader:
        return {vertex ? "vertex shader" : "fragment shader", "the program cannot compile", Severity::Error};
    case ResourceKind::Mesh:
        return {"mesh file", "the mesh stays empty", Severity::Error};
    case ResourceKind::File:
        break;
    }
    return {"file", "the show records the path without opening it", Severity::Warning};
}

// Checks one path of a complete line; true when the file is there.
bool checkPath(const std::string& path, const PathRole& role, const std::string& configPath, size_t line,
               std::vector<Finding>& findings)
{
    if (path.empty()) {
        findings.push_back({configPath, line, role.missing, std::string("the ") + role.what + " path is empty: " + role.consequence});
        return false;
    }
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    bool exists = std::filesystem::exists(status);
    if (isBlank(path.back())) {
        Severity severity = exists ? Severity::Warning : role.missing;
        std::string problem = std::string("the ") + role.what + " path " + inQuotes(path) + " ends in a blank";
        problem += exists ? ", and a file of that name is what the show reads" : ", and no such file exists: " + std::string(role.consequence);
        findings.push_back({configPath, line, severity, problem});
        return exists;
    }
    if (!exists) {
        findings.push_back({configPath, line, role.missing, std::string("no ") + role.what + " " + inQuotes(path) + ": " + role.consequence});
        return false;
    }
    if (std::filesystem::is_directory(status)) {
        findings.push_back({configPath, line, role.missing, std::string("the ") + role.what + " " + inQuotes(path) + " is a folder: " + role.consequence});
        return false;
    }
    return true;
}

}  // namespace

const char* kindNoun(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Texture:
        return "texture";
    case ResourceKind::Shader:
        return "shader program";
    case ResourceKind::Mesh:
        return "mesh";
    case ResourceKind::File:
        break;
    }
    return "file";
}

ConfigCheck checkConfig(const std::string& path)
{
    ConfigCheck check;
    InputText file = readInputFile(path.c_str());
    if (!file.read) {
        check.findings.push_back({path, 0, Severity::Error,
                                  "cannot read it (" + file.failure + "): the show registers nothing and stops at start-up"});
        return check;
    }
    check.found = true;
    const std::string& text = file.text;

    std::map<std::pair<ResourceKind, std::string>, size_t> registeredAt;  // index into resources
    size_t lineNumber = 0;
    for (std::string_view lineText : configLines(text)) {
        ++lineNumber;
        ConfigLine line = parseConfigLine(lineText);
        if (line.outcome == ConfigLine::Outcome::Ignored) {
            std::string problem = ignoredLineProblem(lineText);
            if (!problem.empty())
                check.findings.push_back({path, lineNumber, Severity::Warning, problem});
            continue;
        }
        if (line.outcome == ConfigLine::Outcome::Incomplete) {
            check.findings.push_back({path, lineNumber, Severity::Error, std::string(fieldsNeeded(line.entry.kind)) + ": the show skips this line"});
            continue;
        }
        ConfiguredResource resource{line.entry, lineNumber};
        const ConfigEntry& entry = resource.entry;
        if (entry.name.empty()) {
            check.findings.push_back({path, lineNumber, Severity::Warning,
                                      std::string("empty name (two spaces after \"") + kindWord(entry.kind) +
                                          "\"): the show registers this " + kindNoun(entry.kind) +
                                          " under \"\", which nothing asks for"});
        }
        auto key = std::pair{entry.kind, entry.name};
        if (auto earlier = registeredAt.find(key); earlier != registeredAt.end()) {
            ConfiguredResource& replaced = check.resources[earlier->second];
            replaced.wins = false;
            check.findings.push_back({path, lineNumber, Severity::Warning,
                                      std::string(kindNoun(entry.kind)) + " " + inQuotes(entry.name) +
                                          " is registered on line " + std::to_string(replaced.line) +
                                          " too: this later line wins"});
        }
        registeredAt[key] = check.resources.size();
        resource.filesPresent = checkPath(entry.path, roleOf(entry.kind, false), path, lineNumber, check.findings);
        if (entry.kind == ResourceKind::Shader)
            resource.filesPresent =
                checkPath(entry.vertexPath, roleOf(entry.kind, true), path, lineNumber, check.findings) &&
                resource.filesPresent;
        check.resources.push_back(resource);
    }
    return check;
}

const ConfiguredResource* findResource(const ConfigCheck& config, ResourceKind kind, const std::string& name)
{
    for (const ConfiguredResource& resource : config.resources) {
        if (resource.wins && resource.entry.kind == kind && resource.entry.name == name)
            return &resource;
    }
    return nullptr;
}

void checkShowNames(const ConfigCheck& config, const std::string& path, const ShowNames& names,
                    std::vector<Finding>& findings)
{
    if (!config.found)
        return;
    const char* const kStops = ": the show stops at start-up";
    const int count = names.lineCount;
    // The lyric textures in the order of their names, missing runs said in one line each.
    int runStart = -1;
    for (int number = 0; number <= count; ++number) {
        bool missing = number < count &&
                       findResource(config, ResourceKind::Texture, lineTextureName(count - 1 - number, count).data()) == nullptr;
        if (missing && runStart < 0)
            runStart = number;
        if (!missing && runStart >= 0) {
            std::string first = lineTextureName(count - 1 - runStart, count).data();
            std::string last = lineTextureName(count - number, count).data();
            std::string message = runStart == number - 1
                                      ? "no texture named " + inQuotes(first)
                                      : "no textures named " + inQuotes(first) + " to " + inQuotes(last) + " (" +
                                            std::to_string(number - runStart) + ")";
            findings.push_back({path, 0, Severity::Error, message + kStops});
            runStart = -1;
        }
    }
    const std::pair<ResourceKind, const char*> kOthers[] = {
        {ResourceKind::Texture, "photo"}, {ResourceKind::Shader, "white"}, {ResourceKind::Shader, "textlayout"}};
    for (const auto& [kind, name] : kOthers) {
        if (kind == ResourceKind::Texture && !names.photo)
            continue;
        if (findResource(config, kind, name) == nullptr)
            findings.push_back({path, 0, Severity::Error, std::string("no ") + kindNoun(kind) + " named " + inQuotes(name) + kStops});
    }
}
