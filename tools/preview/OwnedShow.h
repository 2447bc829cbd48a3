// One build of the show that the preview owns: a GL context of its own on the preview's window,
// holding every GL object the build made, and every heap object of the build (the show, its
// scenes and their quads, the registry with its programs and meshes). Destroying it deletes the
// context with all its GL objects and frees the rest, so rebuilding all evening keeps memory
// flat. The build is judged by asking GL about what it made: programs that did not link (with
// their shaders' logs) and textures without an image.
//
//   auto candidate = std::make_unique<OwnedShow>(window, sources);   // its context is current
//   if (!replacesShown(shown->quality(), candidate->quality())) shown->makeCurrent();
#pragma once

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/ResourceRegistry.h"
#include "resources/Texture.h"
#include "show/Lyrics.h"
#include "show/MyDemo.h"
#include "show/PhotoCompo.h"
#include "tools/preview/BuildFaults.h"
#include "tools/preview/ShowSources.h"

struct SDL_Window;

class OwnedShow {
public:
    // Creates a context on `window`, makes it current, loads GL's entry points and builds the
    // show in it for the window's size, reading data/ from the working folder.
    OwnedShow(SDL_Window* window, const ShowSources& sources);
    ~OwnedShow();
    OwnedShow(const OwnedShow&) = delete;
    OwnedShow& operator=(const OwnedShow&) = delete;

    // Makes this build's context current and its viewport the window's drawable, and puts back
    // which of its textures have no image: a later build in another context reuses the same
    // texture names and leaves its own record (a faulty build's missing photo would hide this
    // build's photo).
    void makeCurrent() const;
    // Draws the moment `time`, or clears the frame when there is no show.
    void draw(double time) const;

    MyDemo* demo() const { return show.get(); }
    BuildQuality quality() const;
    // Why the build is faulty or failed, one line each: "<path>[:<line>]: <what>".
    const std::vector<std::string>& faults() const { return found; }
    // False when not even a context could be made; nothing can be drawn then.
    bool hasContext() const { return context != nullptr; }
    // The show's timetable came from its scene list.
    bool hasSceneList() const { return listed; }

private:
    void adopt(cg_engine::Scene* scene);
    void adopt(ResourceRegistry* registry);
    // Arrays the scenes keep on the heap, each taken once however many scenes share it.
    template <typename Element>
    void adoptArray(Element* array, std::vector<std::unique_ptr<Element[]>>& owners);
    void inspect(const ResourceRegistry& registry, const ShowSources& sources);

    SDL_Window* window;
    void* context = nullptr;  // SDL_GLContext
    std::unique_ptr<MyDemo> show;
    std::vector<std::string> found;
    std::vector<std::pair<TextureName, bool>> imageRecord;  // each texture's name, and whether it has an image

    std::vector<std::unique_ptr<Lyrics>> lyricsScenes;
    std::vector<std::unique_ptr<PhotoCompo>> photoScenes;
    std::vector<std::unique_ptr<double[]>> timeArrays;
    std::vector<std::unique_ptr<TextureName[]>> textureArrays;
    std::vector<std::unique_ptr<ScreenQuad>> quads;
    std::vector<std::unique_ptr<ResourceRegistry>> registries;
    std::vector<std::unique_ptr<ShaderProgram>> programs;
    std::vector<std::unique_ptr<Mesh>> meshes;
    std::vector<std::unique_ptr<MeshFace>> faces;
    std::set<const void*> adoptedArrays;
    bool listed = false;
};
