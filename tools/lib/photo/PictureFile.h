// Reading a user's picture for the photo: any format stb_image decodes, widened to RGBA.
#pragma once

#include <optional>
#include <string>

#include "tools/lib/photo/PhotoComposition.h"

// The picture at `path`; nothing, with "<path>: cannot read the picture: <why>" in `failure`,
// when it cannot be decoded.
std::optional<Picture> readPicture(const std::string& path, std::string& failure);
