// Cutting "data/config.txt" into lines and lines into resource entries, byte for byte.
// No GL here: tests and the fuzzer drive it with plain text.
//
//   Texture bg data/bg.png
//   Shader plain data/plain.frag data/plain.vert      (fragment shader first)
//   Mesh cube data/cube.mesh
//   File notes data/notes.txt
//
// Fields are separated by single spaces (a tab is an ordinary character); the last field runs
// to the end of the line, spaces included. Any other first field, a lower-case kind word or a
// line that begins with a space is ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class ResourceKind { Texture, Shader, Mesh, File };

struct ConfigEntry {
    ResourceKind kind = ResourceKind::File;
    std::string name;
    std::string path;        // the image, fragment shader, mesh file or file path
    std::string vertexPath;  // Shader lines only
};

struct ConfigLine {
    enum class Outcome {
        Ignored,     // not a resource line
        Entry,       // a complete entry
        Incomplete,  // a kind word without the spaces its fields need; entry.kind says which
    };
    Outcome outcome = Outcome::Ignored;
    ConfigEntry entry;
};

// The lines of a configuration text: a line feed ends a line and a carriage return right
// before it is dropped; the last line counts without a line feed. The views point into `text`.
std::vector<std::string_view> configLines(std::string_view text);

ConfigLine parseConfigLine(std::string_view line);

// The kind word as written in the file, for messages.
const char* kindWord(ResourceKind kind);

// What an incomplete line of the kind lacks: "a Texture line needs a name and an image path".
const char* fieldsNeeded(ResourceKind kind);
