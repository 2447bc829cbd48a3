// Partial file, write, flush, close, rename; the partial file is removed on any failure. A
// partial folder, filled by the caller, renamed the same way.
#include "platform/system/OutputFile.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace fs = std::filesystem;

namespace {

long processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

// A hidden name beside `target`: ".NAME.<kind>-<pid>".
fs::path besideTarget(const fs::path& target, const char* kind)
{
    return target.parent_path() / ("." + target.filename().string() + "." + kind + "-" + std::to_string(processId()));
}

fs::path partialPathOf(const fs::path& target)
{
    return besideTarget(target, "partial");
}

std::string cannotWrite(int error)
{
    return std::string("cannot write: ") + std::strerror(error);
}

}  // namespace

OutputFile::OutputFile(const fs::path& destination) : target(destination), partialPath(partialPathOf(destination)) {}

OutputFile::~OutputFile()
{
    if (!committed) {
        std::error_code ignored;
        fs::remove(partialPath, ignored);
    }
}

std::string OutputFile::create() const
{
    return write({});
}

std::string OutputFile::write(std::span<const unsigned char> bytes) const
{
    std::FILE* file = std::fopen(partialPath.string().c_str(), "wb");
    if (file == nullptr)
        return cannotWrite(errno);
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = written && std::fflush(file) == 0;
    int writeError = errno;
    // A full disk may show only when the buffers reach it at the close.
    bool closed = std::fclose(file) == 0;
    if (written && !closed)
        writeError = errno;
    return written && closed ? "" : cannotWrite(writeError);
}

std::string OutputFile::commit()
{
    std::error_code error;
    fs::rename(partialPath, target, error);
    if (error)
        return "cannot replace: " + error.message();
    committed = true;
    return "";
}

OutputFolder::OutputFolder(const fs::path& destination) : target(destination), partialPath(partialPathOf(destination))
{
}

OutputFolder::~OutputFolder()
{
    if (!committed) {
        std::error_code ignored;
        fs::remove_all(partialPath, ignored);
    }
}

std::string OutputFolder::create() const
{
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    // A folder left by an earlier run of the same process number, which was stopped hard.
    if (!error)
        fs::remove_all(partialPath, error);
    if (!error)
        fs::create_directory(partialPath, error);
    return error ? "cannot write: " + error.message() : "";
}

std::string OutputFolder::commit(bool replace)
{
    std::error_code error;
    fs::path old;
    if (replace && fs::exists(fs::symlink_status(target, error))) {
        old = besideTarget(target, "old");
        fs::rename(target, old, error);
        if (error)
            return "cannot replace: cannot move the old folder aside: " + error.message();
    }
    fs::rename(partialPath, target, error);
    if (error) {
        std::error_code ignored;
        if (!old.empty())
            fs::rename(old, target, ignored);
        return "cannot replace: " + error.message();
    }
    committed = true;
    if (!old.empty())
        fs::remove_all(old, error);
    return error ? "written, but the old folder stays at " + old.string() + ": " + error.message() : "";
}

std::optional<std::string> writeFileAtomically(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    OutputFile output(path);
    std::string failure = output.write(bytes);
    if (failure.empty())
        failure = output.commit();
    if (failure.empty())
        return std::nullopt;
    return failure;
}
