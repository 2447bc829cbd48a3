// Opening the show's input files (configuration, shaders, meshes, images, the lyric timing, the
// music) and every file a tool reads, without the traps of a plain fopen: a folder opens as if
// it were a file and then reads as an absurd length or nothing, a FIFO blocks the program until
// someone writes to it, and a length taken before reading is wrong for a file that changes
// while it is read. The one check every reader goes through. No GL here.
#pragma once

#include <cstdio>
#include <string>

struct InputCheck {
    std::string failure;   // why the path may not be read, as strerror words; "" for a regular file
    bool missing = false;  // nothing at all is at the path
};

// Looks at `path` without opening it, for a reader that opens the file itself (SDL_mixer opens
// the music): a folder is "Is a directory", a FIFO, a socket or a device "not a regular file".
InputCheck checkInputFile(const char* path);

struct OpenedInput {
    std::FILE* file = nullptr;  // the caller closes it; null when the file cannot be read
    std::string failure;        // why not, as strerror words ("Is a directory"); "" when opened
    bool missing = false;       // nothing at all is at the path
};

// Opens `path` for reading with `mode` ("r" or "rb") when it is a regular file. Never blocks:
// a FIFO, a socket or a device is refused as "not a regular file".
OpenedInput openInputFile(const char* path, const char* mode);

struct InputText {
    bool read = false;
    std::string text;     // the whole content, however its length changed while it was read
    std::string failure;  // why it could not be read; "" when read
    bool missing = false;
};

// The whole content of the regular file at `path`, read to its end in binary.
InputText readInputFile(const char* path);
