// Temporary file, write, flush, rename; the temporary file is removed on any failure.
#include "platform/system/OutputFile.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace compose {

namespace {

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The temporary file is named after the process, so two runs writing one target never share it.
long processId()
{
#ifdef _WIN32
    return _getpid();
#else
    return getpid();
#endif
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::filesystem::path partial = path;
    partial += ".partial-" + std::to_string(processId());
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(partial.string().c_str(), "wb"));
    if (!file)
        return std::string("cannot write: ") + std::strerror(errno);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    int writeError = errno;
    bool closed = std::fclose(file.release()) == 0;
    if (!closed && written)
        writeError = errno;
    if (!written || !closed) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return std::string("cannot write: ") + std::strerror(writeError);
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return "cannot replace: " + error.message();
    }
    return std::nullopt;
}

}  // namespace compose
