// Short MP3 tracks made at test time (a quiet tone encoded with lame), cached in the build
// folder so that each length is encoded once.
#pragma once

#include <filesystem>

// Path to an MP3 of about `seconds` seconds of 44.1 kHz stereo.
std::filesystem::path testMusic(double seconds);
