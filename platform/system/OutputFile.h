// Writing a finished file in one step: into a temporary file beside it, then renamed over
// the target, so an interrupted run never leaves half a file under the real name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace compose {

// Returns what went wrong, or nothing when the file is in place.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

}  // namespace compose
