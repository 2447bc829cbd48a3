// Partial file, write, flush, close, rename; the partial file is removed on any failure.
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

fs::path partialPathOf(const fs::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + ".partial-" + std::to_string(processId()));
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
