// Partial file, write, flush, close, sync, rename; the partial file is removed on any failure.
#include "platform/system/OutputFile.h"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
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

// Why `target` may not be replaced: a folder, a device or a FIFO stays what it is (as root, a
// rename over /dev/full would replace the device). "" for a regular file or nothing.
std::string targetProblem(const fs::path& target)
{
    std::error_code error;
    fs::file_status status = fs::status(target, error);
    if (!fs::exists(status) || fs::is_regular_file(status))
        return "";
    return fs::is_directory(status) ? cannotWrite(EISDIR) : "cannot write: not a regular file";
}

// Flushes and closes `file`, keeping the first error: a full disk may show only when the
// buffers reach it at the close.
std::string finish(std::FILE* file, bool written, int writeError)
{
    if (written && std::fflush(file) != 0) {
        written = false;
        writeError = errno;
    }
    bool closed = std::fclose(file) == 0;
    if (written && !closed) {
        written = false;
        writeError = errno;
    }
    return written ? "" : cannotWrite(writeError);
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
    if (std::string problem = targetProblem(target); !problem.empty())
        return problem;
    std::FILE* file = std::fopen(partialPath.string().c_str(), "wb");
    if (file == nullptr)
        return cannotWrite(errno);
    errno = 0;
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return finish(file, written, errno);
}

std::string OutputFile::copyFrom(std::FILE* source) const
{
    if (std::string problem = targetProblem(target); !problem.empty())
        return problem;
    std::FILE* file = std::fopen(partialPath.string().c_str(), "wb");
    if (file == nullptr)
        return cannotWrite(errno);
    char block[65536];
    bool written = true;
    int writeError = 0;
    size_t count = 0;
    errno = 0;
    while (written && (count = std::fread(block, 1, sizeof block, source)) > 0) {
        written = std::fwrite(block, 1, count, file) == count;
        writeError = errno;
    }
    if (written && std::ferror(source)) {
        int readError = errno;
        std::fclose(file);
        return std::string("cannot read: ") + (readError != 0 ? std::strerror(readError) : "read error");
    }
    return finish(file, written, writeError);
}

std::string OutputFile::commit()
{
    if (std::string problem = targetProblem(target); !problem.empty())
        return problem;
    if (std::string failure = syncFile(partialPath); !failure.empty())
        return failure;
    std::error_code error;
    fs::rename(partialPath, target, error);
    if (error)
        return "cannot replace: " + error.message();
    committed = true;
    return "";
}

std::string OutputFile::writeAndCommit(std::span<const unsigned char> bytes)
{
    std::string failure = write(bytes);
    return failure.empty() ? commit() : failure;
}

std::optional<std::string> writeFileAtomically(const fs::path& path, const std::vector<unsigned char>& bytes)
{
    OutputFile output(path);
    std::string failure = output.writeAndCommit(bytes);
    if (failure.empty())
        return std::nullopt;
    return failure;
}

std::string syncFile(const fs::path& path)
{
#ifdef _WIN32
    int file = _open(path.string().c_str(), _O_RDWR | _O_BINARY);
    if (file < 0)
        return cannotWrite(errno);
    bool synced = _commit(file) == 0;
    int syncError = errno;
    _close(file);
#else
    int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return cannotWrite(errno);
    bool synced = fsync(file) == 0;
    int syncError = errno;
    close(file);
#endif
    return synced ? "" : cannotWrite(syncError);
}
