// The committed data/ folder as the show will read it: every resource registered and present,
// the lyric images placing all 87 entries visibly and without overlap at the times of the
// timing file, the mesh valid, the background's tempo and timetable those of the show, and the
// texture and folder budgets kept.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "rules/ConfigLine.h"
#include "rules/LayoutHeader.h"
#include "rules/Mesh.h"
#include "rules/ShowTimeline.h"
#include "tests/support/Image.h"
#include "tests/support/TempDir.h"

namespace {

const std::filesystem::path kRoot = SOVANE05_SOURCE_DIR;
constexpr int kEntries = 87;

std::vector<ConfigEntry> configEntries()
{
    std::string text = readFile(kRoot / "data/config.txt");
    std::vector<ConfigEntry> entries;
    for (std::string_view line : configLines(text)) {
        ConfigLine parsed = parseConfigLine(line);
        EXPECT_NE(parsed.outcome, ConfigLine::Outcome::Incomplete) << line;
        if (parsed.outcome == ConfigLine::Outcome::Entry)
            entries.push_back(parsed.entry);
    }
    return entries;
}

// Width and height from a PNG's header chunk, without decoding it.
std::optional<std::pair<long, long>> pngSize(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::string(reinterpret_cast<char*>(head) + 12, 4) != "IHDR")
        return std::nullopt;
    auto word = [&](int at) { return long(head[at]) << 24 | long(head[at + 1]) << 16 | long(head[at + 2]) << 8 | head[at + 3]; };
    return std::pair{word(16), word(20)};
}

// The `const float` constants of a shader whose values are numbers, or products and quotients
// of numbers and earlier constants, as the background program writes its timetable. A
// constant written any other way is left out.
std::map<std::string, double> shaderConstants(const std::string& source)
{
    std::map<std::string, double> constants;
    std::istringstream lines(source);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, type, name, equals, expression;
        if (!(words >> keyword >> type >> name >> equals) || keyword != "const" || type != "float" || equals != "=" ||
            !std::getline(words, expression, ';'))
            continue;
        auto operand = [&](const std::string& term) -> std::optional<double> {
            if (auto known = constants.find(term); known != constants.end())
                return known->second;
            std::size_t used = 0;
            try {
                double number = std::stod(term, &used);
                return used == term.size() ? std::optional(number) : std::nullopt;
            } catch (const std::logic_error&) {
                return std::nullopt;
            }
        };
        std::istringstream terms(expression);
        std::string term, operation;
        std::optional<double> value = terms >> term ? operand(term) : std::nullopt;
        while (value && terms >> operation) {
            std::optional<double> next = terms >> term ? operand(term) : std::nullopt;
            if (!next || (operation != "*" && operation != "/"))
                value = std::nullopt;
            else
                value = operation == "*" ? *value * *next : *value / *next;
        }
        if (value)
            constants[name] = *value;
    }
    return constants;
}

struct ShownEntry {
    double start = 0.0;
    double end = 0.0;
    std::string name;
    int left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<ShownEntry> committedEntries()
{
    std::vector<ShownEntry> entries;
    std::FILE* timing = std::fopen((kRoot / "data/texttiming.txt").c_str(), "r");
    if (timing == nullptr)
        return entries;
    for (int k = 1; k <= kEntries; ++k) {
        ShownEntry entry;
        if (std::fscanf(timing, "%lf %lf\n", &entry.start, &entry.end) != 2)
            break;
        char name[8];
        std::snprintf(name, sizeof name, "%03d", kEntries - k);
        entry.name = name;
        Image image = loadImage((kRoot / "data/lyrics" / (entry.name + ".png")).string());
        std::optional<TextPlacement> place = readLayoutHeader(image.pixels.data(), image.width, image.height);
        if (!place)
            throw std::runtime_error(entry.name + ".png has no layout header");
        entry.left = place->left;
        entry.top = place->top;
        entry.right = place->left + image.width;
        entry.bottom = place->top + image.height - 1;
        int opaque = 0;
        for (std::size_t i = 3; i < image.pixels.size(); i += 4)
            opaque += image.pixels[i] == 255;
        if (opaque < 20)
            throw std::runtime_error(entry.name + ".png shows almost nothing");
        entries.push_back(entry);
    }
    std::fclose(timing);
    return entries;
}

}  // namespace

TEST(ShowData, ConfigRegistersEveryResourceTheShowUsesAndEachFileExists)
{
    std::map<std::string, ConfigEntry> byName;
    for (const ConfigEntry& entry : configEntries())
        byName[entry.name] = entry;
    std::map<std::string, std::pair<ResourceKind, std::string>> expected = {
        {"photo", {ResourceKind::Texture, "data/photo.png"}},
        {"white", {ResourceKind::Shader, "data/white.frag"}},
        {"textlayout", {ResourceKind::Shader, "data/textlayout.frag"}},
    };
    for (int i = 0; i < kEntries; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "%03d", i);
        expected[name] = {ResourceKind::Texture, std::string("data/lyrics/") + name + ".png"};
    }
    for (const auto& [name, want] : expected) {
        ASSERT_TRUE(byName.count(name)) << "data/config.txt does not register \"" << name << "\"";
        EXPECT_EQ(byName[name].kind, want.first) << name;
        EXPECT_EQ(byName[name].path, want.second) << name;
    }
    EXPECT_EQ(byName["white"].vertexPath, "data/white.vert");
    EXPECT_EQ(byName["textlayout"].vertexPath, "data/textlayout.vert");
    bool hasMesh = false;
    for (const auto& [name, entry] : byName) {
        EXPECT_TRUE(std::filesystem::is_regular_file(kRoot / entry.path)) << name << ": " << entry.path;
        if (entry.kind == ResourceKind::Shader) {
            EXPECT_TRUE(std::filesystem::is_regular_file(kRoot / entry.vertexPath)) << name << ": " << entry.vertexPath;
        }
        hasMesh = hasMesh || entry.kind == ResourceKind::Mesh;
    }
    EXPECT_TRUE(hasMesh) << "data/config.txt registers no mesh";
}

TEST(ShowData, MeshesHaveEveryIndexInRangeAndOutwardNormals)
{
    for (const ConfigEntry& entry : configEntries()) {
        if (entry.kind != ResourceKind::Mesh)
            continue;
        SCOPED_TRACE(entry.path);
        Mesh mesh;
        mesh.readText(readFile(kRoot / entry.path), entry.path.c_str());
        ASSERT_FALSE(mesh.faces.empty());
        ASSERT_NO_THROW(mesh.expandFaces());
        ASSERT_TRUE(mesh.hasNormals);
        ASSERT_TRUE(mesh.hasTexCoords);
        // Every corner's normal points away from the middle of the solid (the origin).
        for (int vertex = 0; vertex < mesh.vertexCount; vertex += 3) {
            float centre[3] = {0, 0, 0};
            for (int corner = 0; corner < 3; ++corner)
                for (int axis = 0; axis < 3; ++axis)
                    centre[axis] += mesh.vertexPositions[(vertex + corner) * 3 + axis] / 3.0f;
            for (int corner = 0; corner < 3; ++corner) {
                const float* normal = &mesh.vertexNormals[(vertex + corner) * 3];
                EXPECT_NEAR(std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]), 1.0, 1e-3);
                EXPECT_GT(normal[0] * centre[0] + normal[1] * centre[1] + normal[2] * centre[2], 0.0f);
            }
        }
    }
}

TEST(ShowData, EveryLyricEntryShowsLongEnoughAndNothingShownTogetherOverlaps)
{
    std::vector<ShownEntry> entries;
    ASSERT_NO_THROW(entries = committedEntries());
    ASSERT_EQ(int(entries.size()), kEntries) << "data/texttiming.txt needs 87 pairs";
    std::set<std::string> seen;
    for (const ShownEntry& entry : entries) {
        seen.insert(entry.name);
        EXPECT_GE(std::min(entry.end, kLyricsEnd) - std::max(entry.start, kLyricsStart), 0.3 - 1e-9)
            << entry.name << " shows too briefly inside (0, 45) s";
        EXPECT_TRUE(entry.left >= 0 && entry.top >= 0 && entry.right <= 1920 && entry.bottom <= 1080)
            << entry.name << " leaves the 1920×1080 frame";
        int atOnce = 0;
        for (const ShownEntry& other : entries)
            atOnce += other.start <= entry.start && entry.start < other.end;
        EXPECT_LE(atOnce, 10) << "when " << entry.name << " appears at " << entry.start << " s";
    }
    EXPECT_EQ(int(seen.size()), kEntries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            const ShownEntry& a = entries[i];
            const ShownEntry& b = entries[j];
            bool together = std::max(a.start, b.start) < std::min(a.end, b.end);
            bool overlap = a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
            EXPECT_FALSE(together && overlap) << a.name << " and " << b.name << " cover each other";
        }
    }
}

TEST(ShowData, BackgroundProgramKeepsTheShowsTempoAndTimetable)
{
    const std::pair<const char*, double> expected[] = {
        {"kBeat", kSecondsPerBeat},
        {"kBar", kSecondsPerBar},
        {"kChorus", kPhotoStart},
        {"kEnd", kPhotoEnd},
    };
    for (const char* stage : {"data/white.frag", "data/white.vert"}) {
        std::map<std::string, double> constants = shaderConstants(readFile(kRoot / stage));
        for (const auto& [name, seconds] : expected) {
            ASSERT_TRUE(constants.count(name)) << stage << " has no constant " << name << " of numbers";
            EXPECT_NEAR(constants[name], seconds, 1e-9) << name << " in " << stage;
        }
    }
}

TEST(ShowData, TexturesAndTheFolderStayWithinTheirBudgets)
{
    long long textureBytes = 0;
    for (const ConfigEntry& entry : configEntries()) {
        if (entry.kind != ResourceKind::Texture)
            continue;
        std::optional<std::pair<long, long>> size = pngSize(kRoot / entry.path);
        ASSERT_TRUE(size) << entry.path << " is not a PNG";
        textureBytes += (long long)size->first * size->second * 4;
    }
    long long folderBytes = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(kRoot / "data"))
        if (file.is_regular_file())
            folderBytes += (long long)file.file_size();
    RecordProperty("textureBytes", std::to_string(textureBytes));
    RecordProperty("dataBytes", std::to_string(folderBytes));
    EXPECT_LT(textureBytes, 160ll << 20) << "all textures together, width × height × 4";
    EXPECT_LT(folderBytes, 8ll << 20) << "the data/ folder";
}
