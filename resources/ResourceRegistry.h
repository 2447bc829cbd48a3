// The show's one store of loaded resources. Construction reads "data/config.txt" and loads
// every resource it names, in file order, with the GL context current; the show then asks for
// shader programs and textures by name. Nothing is ever released: pointers and texture names
// handed out stay valid for the whole run.
#pragma once

#include <string>
#include <unordered_map>

#include "resources/ShaderProgram.h"
#include "resources/Texture.h"
#include "rules/Mesh.h"

class ResourceRegistry {
public:
    // Each keyed by the exact name of its configuration line; the four are independent, and a
    // later line replaces an earlier one of the same name in its own map only.
    std::unordered_map<std::string, ShaderProgram*> shaders;
    std::unordered_map<std::string, TextureName> textures;
    std::unordered_map<std::string, std::string> files;
    std::unordered_map<std::string, Mesh*> meshes;

    // Loads "data/config.txt"; a missing file leaves the registry empty. A malformed mesh
    // throws, and construction stops there.
    ResourceRegistry();

    // When set, the constructor hands it each registry it has built (not one that threw). The
    // show never sets it: a tool that frees the shows it builds learns here of the registry
    // MyDemo keeps no pointer to (tools/preview/RegistryCapture.h).
    static void (*onBuilt)(ResourceRegistry* registry);

    // Both throw std::out_of_range for a name that is not registered.
    ShaderProgram* getShader(const std::string& name) const;
    TextureName getTexture(const std::string& name) const;
};
