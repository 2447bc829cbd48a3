// Building the show in a context of its own, judging the build, and freeing all of it.
#include "tools/preview/OwnedShow.h"

#include <GL/glew.h>
#include <SDL.h>

#include <algorithm>

#include "platform/gl/GlStartup.h"
#include "rules/SceneList.h"
#include "show/ShowBuild.h"
#include "tools/preview/RegistryCapture.h"

namespace {

std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getValue, PFNGLGETSHADERINFOLOGPROC getLog,
                    GLenum lengthName = GL_INFO_LOG_LENGTH)
{
    GLint length = 0;
    getValue(object, lengthName, &length);
    std::string log(size_t(std::max(length, 0)), '\0');
    GLsizei written = 0;
    if (length > 0)
        getLog(object, length, &written, log.data());
    log.resize(size_t(written));
    return log;
}

void setViewport(SDL_Window* window)
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window, &width, &height);
    glViewport(0, 0, width, height);
}

}  // namespace

OwnedShow::OwnedShow(SDL_Window* previewWindow, const ShowSources& sources) : window(previewWindow)
{
    requestShowContext();
    context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        found.push_back(std::string("cannot create an OpenGL 4.1 core context: ") + SDL_GetError());
        return;
    }
    std::string glFailure = loadGlEntryPoints();
    if (!glFailure.empty()) {
        found.push_back("cannot load the OpenGL entry points: " + glFailure);
        return;
    }
    setViewport(window);

    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    RegistryCapture capture;
    BuiltShow built = buildShow(width, height);

    // The show holds plain pointers and frees nothing; from here on each object has one owner.
    for (ResourceRegistry* registry : capture.registries) {
        adopt(registry);
        for (const auto& [name, texture] : registry->textures)
            imageRecord.emplace_back(texture, hasImage(texture));
    }
    std::vector<cg_engine::Scene*>& scenes = built.demo ? built.demo->scenes : built.abandonedScenes;
    for (cg_engine::Scene* scene : scenes)
        adopt(scene);
    show = std::move(built.demo);

    if (!built.failure.empty())
        found.push_back(built.failure);
    else if (!registries.empty())
        inspect(*registries.back(), sources);
    // The show skips what it cannot use of its scene list; here that is a fault like any other.
    SceneListFile list = readSceneListFile(kShowSceneListPath);
    listed = list.present;
    for (const SceneListFault& fault : list.list.faults)
        found.push_back(describeFault(kShowSceneListPath, fault));
}

OwnedShow::~OwnedShow()
{
    // The heap objects need no GL; the context takes every GL object of the build with it.
    if (context != nullptr)
        SDL_GL_DeleteContext(context);
}

void OwnedShow::adopt(ResourceRegistry* registry)
{
    registries.emplace_back(registry);
    for (auto& [name, program] : registry->shaders)
        programs.emplace_back(program);
    for (auto& [name, mesh] : registry->meshes) {
        for (MeshFace* face : mesh->faces)
            faces.emplace_back(face);
        meshes.emplace_back(mesh);
    }
}

void OwnedShow::adopt(cg_engine::Scene* scene)
{
    // The scene classes have no virtual destructor, so each is freed as what it is. No other
    // kind of scene is in the show.
    if (auto* lyrics = dynamic_cast<Lyrics*>(scene)) {
        quads.emplace_back(lyrics->quad);
        adoptArray(lyrics->lineTextures, textureArrays);
        adoptArray(lyrics->lineStart, timeArrays);
        adoptArray(lyrics->lineEnd, timeArrays);
        lyricsScenes.emplace_back(lyrics);
    } else if (auto* photo = dynamic_cast<PhotoCompo*>(scene)) {
        quads.emplace_back(photo->quad);
        adoptArray(photo->photoTextures, textureArrays);
        photoScenes.emplace_back(photo);
    }
}

template <typename Element>
void OwnedShow::adoptArray(Element* array, std::vector<std::unique_ptr<Element[]>>& owners)
{
    if (array != nullptr && adoptedArrays.insert(array).second)
        owners.emplace_back(array);
}

void OwnedShow::inspect(const ResourceRegistry& registry, const ShowSources& sources)
{
    for (const auto& [name, source] : sources.programs) {
        auto built = registry.shaders.find(name);
        if (built == registry.shaders.end())
            continue;
        GLuint program = built->second->program;
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != 0)
            continue;
        GLuint shaders[2] = {0, 0};
        GLsizei count = 0;
        glGetAttachedShaders(program, 2, &count, shaders);
        bool compiled = true;
        for (GLsizei i = 0; i < count; ++i) {
            GLint status = 0;
            glGetShaderiv(shaders[i], GL_COMPILE_STATUS, &status);
            if (status != 0)
                continue;
            compiled = false;
            GLint stage = 0;
            glGetShaderiv(shaders[i], GL_SHADER_TYPE, &stage);
            const std::string& path = stage == GL_FRAGMENT_SHADER ? source.fragmentPath : source.vertexPath;
            std::string log = infoLog(shaders[i], glGetShaderiv, glGetShaderInfoLog);
            // The text GL compiled, read the same way, for placing its syntax errors.
            std::string text = infoLog(shaders[i], glGetShaderiv, glGetShaderSource, GL_SHADER_SOURCE_LENGTH);
            for (std::string& fault : compileFaults(path, log, text))
                found.push_back(std::move(fault));
        }
        if (compiled) {
            // The loader validated the program after linking it, and validation replaced the
            // link's log; linking once more brings it back.
            glLinkProgram(program);
            for (std::string& fault : linkFaults(name, source, infoLog(program, glGetProgramiv, glGetProgramInfoLog)))
                found.push_back(std::move(fault));
        }
    }
    // A texture whose image did not decode was never given one: its level 0 has no size.
    for (const auto& [name, path] : sources.texturePaths) {
        auto built = registry.textures.find(name);
        if (built == registry.textures.end())
            continue;
        glBindTexture(GL_TEXTURE_2D, built->second);
        GLint width = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        if (width == 0)
            found.push_back(path + ": the image does not decode");
    }
}

void OwnedShow::makeCurrent() const
{
    if (context == nullptr)
        return;
    SDL_GL_MakeCurrent(window, context);
    setViewport(window);
    for (const auto& [texture, has] : imageRecord)
        setHasImage(texture, has);
}

void OwnedShow::draw(double time) const
{
    if (context == nullptr)
        return;
    if (show)
        drawShowMoment(*show, time);
    else
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

BuildQuality OwnedShow::quality() const
{
    if (!show)
        return BuildQuality::None;
    return found.empty() ? BuildQuality::Sound : BuildQuality::Faulty;
}
