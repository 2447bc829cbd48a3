// A temporary folder that lives as long as the object, and small file helpers for fixtures.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root; }
    std::filesystem::path operator/(std::string_view relative) const { return root / relative; }

private:
    std::filesystem::path root;
};

// Makes `folder` the working folder for the object's lifetime, for code that reads "data/..."
// relative to it.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous;
};

// Writes `content` byte for byte, creating the parent folders.
void writeFile(const std::filesystem::path& path, std::string_view content);
std::string readFile(const std::filesystem::path& path);

// Makes a FIFO at `path`: a path that opens like a file but blocks a reader until a writer comes.
void makeFifo(const std::filesystem::path& path);
