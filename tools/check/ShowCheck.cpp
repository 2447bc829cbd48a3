// Checking a show folder.
#include "tools/check/ShowCheck.h"

#include <GL/glew.h>
#include <SDL.h>

#include <climits>
#include <cstdio>
#include <set>

#include "platform/gl/OffscreenContext.h"
#include "rules/InputFile.h"
#include "rules/SceneList.h"
#include "rules/ShowFiles.h"
#include "rules/ShowTimeline.h"
#include "show/ShowGlState.h"
#include "tools/check/ConfigCheck.h"
#include "tools/check/MeshCheck.h"
#include "tools/check/ProgramCheck.h"

namespace {

// The off-screen context, released when the check is done.
class CheckContext {
public:
    CheckContext() : context(createOffscreenContext(64, 64)) {}
    ~CheckContext()
    {
        if (context.context != nullptr)
            SDL_GL_DeleteContext(context.context);
        if (context.window != nullptr)
            SDL_DestroyWindow(context.window);
    }
    CheckContext(const CheckContext&) = delete;
    CheckContext& operator=(const CheckContext&) = delete;

    OffscreenContext context;
};

std::optional<std::string> readText(const std::string& path)
{
    InputText file = readInputFile(path.c_str());
    if (!file.read)
        return std::nullopt;
    return std::move(file.text);
}

std::string mebibytes(long long bytes)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1 << 20));
    return text;
}

void checkImages(const ConfigCheck& config, int maxTextureSize, bool verbose, ShowCheck& check)
{
    long long textureBytes = 0;
    for (const ConfiguredResource& resource : config.resources) {
        if (resource.entry.kind != ResourceKind::Texture || !resource.filesPresent)
            continue;
        const std::string& path = resource.entry.path;
        auto found = check.images.find(path);
        if (found == check.images.end())
            found = check.images.emplace(path, checkImage(path, maxTextureSize, verbose, check.findings)).first;
        // Every line uploads a texture of its own, also one that a later line replaces.
        textureBytes += found->second.textureBytes();
    }
    std::string total = "the textures take " + mebibytes(textureBytes) + " (width × height × 4, " +
                        std::to_string(textureBytes) + " bytes)";
    if (textureBytes > kTextureBudget)
        check.findings.push_back({kShowConfigPath, 0, Severity::Error, total + ", over the budget of " + mebibytes(kTextureBudget)});
    else if (verbose)
        check.findings.push_back({kShowConfigPath, 0, Severity::Note, total + " of the budget of " + mebibytes(kTextureBudget)});
}

// The image each lyric line shows, once the timing file told how many lines there are.
void findLineImages(const ConfigCheck& config, ShowCheck& check)
{
    const int count = int(check.timing.lines.size());
    check.lineImages.assign(size_t(count), nullptr);
    for (int line = 0; line < count; ++line) {
        const ConfiguredResource* texture = findResource(config, ResourceKind::Texture, lineTextureName(line, count).data());
        if (texture == nullptr)
            continue;
        auto image = check.images.find(texture->entry.path);
        if (image != check.images.end() && image->second.decoded)
            check.lineImages[size_t(line)] = &image->second;
    }
}

// The music decoded, or what keeps it from the show.
std::optional<Finding> decodeShowMusic(ShowCheck& check)
{
    // A folder or a FIFO is refused before SDL_mixer opens it: it would wait on a FIFO for ever.
    OpenedInput opened = openInputFile(kShowMusicPath, "rb");
    if (opened.file == nullptr)
        return Finding{kShowMusicPath, 0, Severity::Error,
                       (opened.missing ? std::string("missing") : "cannot read it (" + opened.failure + ")") +
                           ": the show ends after its first frame"};
    std::fclose(opened.file);
    std::string failure;
    check.music = decodeMusic(kShowMusicPath, failure);
    if (!check.music)
        return Finding{kShowMusicPath, 0, Severity::Error,
                       "SDL_mixer cannot decode it (" + failure + "): the show ends after its first frame"};
    return std::nullopt;
}

// The music's length against the scenes' span.
void checkMusicLength(bool verbose, ShowCheck& check)
{
    if (!check.music)
        return;
    char text[240];
    double seconds = check.music->seconds();
    double span = check.timetable.end();
    if (seconds < span - kMusicEndSlack) {
        std::snprintf(text, sizeof text, "it plays %.3f s, shorter than the %g s the scenes span: the show ends with it",
                      seconds, span);
        check.findings.push_back({kShowMusicPath, 0, Severity::Warning, text});
    } else if (seconds > span + kMusicEndSlack) {
        std::snprintf(text, sizeof text,
                      "it plays %.3f s, %.3f s past the end of the last scene at %g s: the picture stays as last "
                      "drawn until the music ends",
                      seconds, seconds - span, span);
        check.findings.push_back({kShowMusicPath, 0, Severity::Warning, text});
    } else if (verbose) {
        std::snprintf(text, sizeof text, "it plays %.3f s; the scenes span %g s", seconds, span);
        check.findings.push_back({kShowMusicPath, 0, Severity::Note, text});
    }
}

}  // namespace

ShowCheck checkShow(bool verbose)
{
    ShowCheck check;
    ConfigCheck config = checkConfig(kShowConfigPath);
    check.findings = config.findings;

    CheckContext gl;
    int maxTextureSize = INT_MAX;
    if (gl.context.failure.empty()) {
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
        // Programs are validated against the state the show validates them in.
        setShowGlState();
    } else {
        check.failure = "cannot check the shader programs: " + gl.context.failure;
    }

    checkImages(config, maxTextureSize, verbose, check);
    std::set<std::string> meshes;
    for (const ConfiguredResource& resource : config.resources) {
        if (!resource.filesPresent)
            continue;
        if (resource.entry.kind == ResourceKind::Shader && gl.context.failure.empty())
            checkProgram(resource, kShowConfigPath, check.findings);
        if (resource.entry.kind == ResourceKind::Mesh && meshes.insert(resource.entry.path).second)
            checkMeshFile(resource.entry.path, check.findings);
    }

    // Decoded first, since the scenes are weighed against its length; said last, as before.
    std::optional<Finding> musicFault = decodeShowMusic(check);
    std::optional<double> musicSeconds;
    if (check.music)
        musicSeconds = check.music->seconds();
    check.timetable = checkTimetable(
        readSceneListFile(kShowSceneListPath), kShowSceneListPath,
        [&](const std::string& name) { return findResource(config, ResourceKind::Texture, name) != nullptr; },
        musicSeconds, check.findings);

    check.timing = readTimingForCheck(readText(kShowTimingPath), kShowTimingPath, timingRulesOf(check.timetable),
                                      check.findings);
    findLineImages(config, check);
    std::vector<bool> transparent(check.lineImages.size());
    for (size_t line = 0; line < transparent.size(); ++line)
        transparent[line] = check.lineImages[line] != nullptr && check.lineImages[line]->fullyTransparent;
    checkTimingWindows(check.timing, kShowTimingPath, transparent, check.findings);

    ShowNames names;
    names.lineCount = check.timing.rules.lyricsWindows.empty() ? 0 : int(check.timing.lines.size());
    names.photo = !check.timetable.listed;
    checkShowNames(config, kShowConfigPath, names, check.findings);
    if (musicFault)
        check.findings.push_back(*musicFault);
    checkMusicLength(verbose, check);

    if (const ConfiguredResource* white = findResource(config, ResourceKind::Shader, "white"))
        check.backgroundVertex = readText(white->entry.vertexPath).value_or("");
    check.findings = inFileOrder(check.findings, {kShowConfigPath});
    return check;
}
