// The resource registry: reading the configuration and dispatching each line to its loader.
#include "resources/ResourceRegistry.h"

#include <cstdio>
#include <stdexcept>

#include "rules/ConfigLine.h"
#include "rules/InputFile.h"
#include "rules/ShowFiles.h"

void (*ResourceRegistry::onBuilt)(ResourceRegistry* registry) = nullptr;

ResourceRegistry::ResourceRegistry()
{
    // A missing configuration leaves the registry empty without a word, and the show's first
    // lookup names what is missing; anything else in the way is said first.
    InputText file = readInputFile(kShowConfigPath);
    if (!file.read && !file.missing)
        std::fprintf(stderr, "sovane05: %s: cannot read the configuration: %s\n", kShowConfigPath, file.failure.c_str());
    // A file that could not be read holds no text, and so no lines.
    const std::string& text = file.text;

    size_t lineNumber = 0;
    for (std::string_view lineText : configLines(text)) {
        ++lineNumber;
        ConfigLine line = parseConfigLine(lineText);
        const ConfigEntry& entry = line.entry;
        if (line.outcome == ConfigLine::Outcome::Ignored)
            continue;
        // An entry without its fields names nothing to load; the line is skipped, and a later
        // lookup of the name it meant fails with its own message.
        if (line.outcome == ConfigLine::Outcome::Incomplete) {
            std::fprintf(stderr, "sovane05: %s:%zu: %s\n", kShowConfigPath, lineNumber,
                         fieldsNeeded(entry.kind));
            continue;
        }
        switch (entry.kind) {
        case ResourceKind::Texture:
            textures[entry.name] = loadTexture(entry.path.c_str());
            break;
        case ResourceKind::Shader:
            shaders[entry.name] = loadShaderProgram(entry.path.c_str(), entry.vertexPath.c_str());
            break;
        case ResourceKind::Mesh:
            meshes[entry.name] = new Mesh(entry.path.c_str());
            break;
        case ResourceKind::File:
            files[entry.name] = entry.path;
            break;
        }
    }
    if (onBuilt != nullptr)
        onBuilt(this);
}

ShaderProgram* ResourceRegistry::getShader(const std::string& name) const
{
    auto found = shaders.find(name);
    if (found == shaders.end())
        throw std::out_of_range(std::string(kShowConfigPath) + ": no shader program named \"" + name + "\"");
    return found->second;
}

TextureName ResourceRegistry::getTexture(const std::string& name) const
{
    auto found = textures.find(name);
    if (found == textures.end())
        throw std::out_of_range(std::string(kShowConfigPath) + ": no texture named \"" + name + "\"");
    return found->second;
}
