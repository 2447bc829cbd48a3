// Opening and reading input files.
#include "rules/InputFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

InputCheck checkInputFile(const char* path)
{
    InputCheck check;
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) {
        check.missing = error == std::errc::no_such_file_or_directory;
        check.failure = error.message();
    } else if (std::filesystem::is_directory(status)) {
        check.failure = std::strerror(EISDIR);
    } else if (!std::filesystem::is_regular_file(status)) {
        check.failure = "not a regular file";
    }
    return check;
}

OpenedInput openInputFile(const char* path, const char* mode)
{
    OpenedInput opened;
    // Looked at before it is opened: opening a FIFO waits for a writer, and the show would never
    // start; a folder opens as if it were a file.
    InputCheck check = checkInputFile(path);
    if (!check.failure.empty()) {
        opened.failure = check.failure;
        opened.missing = check.missing;
        return opened;
    }
    opened.file = std::fopen(path, mode);
    if (opened.file == nullptr) {
        opened.missing = errno == ENOENT;
        opened.failure = std::strerror(errno);
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
