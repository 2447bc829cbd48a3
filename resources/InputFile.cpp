// Opening and reading input files.
#include "resources/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

OpenedInput openInputFile(const char* path, const char* mode)
{
    OpenedInput opened;
    // Without O_NONBLOCK, opening a FIFO waits for a writer, and the show would never start.
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        opened.missing = errno == ENOENT;
        opened.failure = std::strerror(errno);
        return opened;
    }
    struct stat status = {};
    if (fstat(descriptor, &status) != 0)
        opened.failure = std::strerror(errno);
    else if (S_ISDIR(status.st_mode))
        opened.failure = std::strerror(EISDIR);
    else if (!S_ISREG(status.st_mode))
        opened.failure = "not a regular file";
    if (!opened.failure.empty()) {
        close(descriptor);
        return opened;
    }
    // Blocking again for the reads, which on a regular file never wait anyway.
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    opened.file = fdopen(descriptor, mode);
    if (opened.file == nullptr) {
        opened.failure = std::strerror(errno);
        close(descriptor);
    }
    return opened;
}

InputText readInputFile(const char* path)
{
    InputText input;
    OpenedInput opened = openInputFile(path, "rb");
    if (opened.file == nullptr) {
        input.failure = opened.failure;
        input.missing = opened.missing;
        return input;
    }
    char block[65536];
    size_t count = 0;
    errno = 0;
    while ((count = std::fread(block, 1, sizeof block, opened.file)) > 0)
        input.text.append(block, count);
    if (std::ferror(opened.file)) {
        input.failure = errno != 0 ? std::strerror(errno) : "read error";
        input.text.clear();
    } else {
        input.read = true;
    }
    std::fclose(opened.file);
    return input;
}
