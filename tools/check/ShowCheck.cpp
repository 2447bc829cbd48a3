// Checking a show folder.
#include "tools/check/ShowCheck.h"

#include <GL/glew.h>
#include <SDL.h>

#include <climits>
#include <cstdio>
#include <set>

#include "platform/gl/OffscreenContext.h"
#include "rules/InputFile.h"
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

    for (int line = 0; line < kLyricLineCount; ++line) {
        const ConfiguredResource* texture = findResource(config, ResourceKind::Texture, lineTextureName(line).data());
        if (texture == nullptr)
            continue;
        auto image = check.images.find(texture->entry.path);
        if (image != check.images.end() && image->second.decoded)
            check.lineImages[size_t(line)] = &image->second;
    }
}

void checkMusic(bool verbose, ShowCheck& check)
{
    // A folder or a FIFO is refused before SDL_mixer opens it: it would wait on a FIFO for ever.
    OpenedInput opened = openInputFile(kShowMusicPath, "rb");
    if (opened.file == nullptr) {
        check.findings.push_back({kShowMusicPath, 0, Severity::Error,
                                  (opened.missing ? std::string("missing") : "cannot read it (" + opened.failure + ")") +
                                      ": the show ends after its first frame"});
        return;
    }
    std::fclose(opened.file);
    std::string failure;
    check.music = decodeMusic(kShowMusicPath, failure);
    if (!check.music) {
        check.findings.push_back({kShowMusicPath, 0, Severity::Error,
                                  "SDL_mixer cannot decode it (" + failure + "): the show ends after its first frame"});
        return;
    }
    char text[200];
    double seconds = check.music->seconds();
    if (seconds < kPhotoEnd - kMusicEndSlack) {
        std::snprintf(text, sizeof text, "it plays %.3f s, shorter than the %g s the scenes span: the show ends with it",
                      seconds, kPhotoEnd);
        check.findings.push_back({kShowMusicPath, 0, Severity::Warning, text});
    } else if (verbose) {
        std::snprintf(text, sizeof text, "it plays %.3f s; the scenes span %g s", seconds, kPhotoEnd);
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

    std::array<bool, kLyricLineCount> transparent = {};
    for (int line = 0; line < kLyricLineCount; ++line)
        transparent[size_t(line)] = check.lineImages[size_t(line)] != nullptr && check.lineImages[size_t(line)]->fullyTransparent;
    check.timing = checkTiming(readText(kShowTimingPath), kShowTimingPath, transparent, check.findings);
    checkShowNames(config, kShowConfigPath, check.findings);
    checkMusic(verbose, check);

    check.findings = inFileOrder(check.findings, {kShowConfigPath});
    return check;
}
