// Reading a user's picture for the photo: opened through the show's input check (a folder or a
// FIFO is refused, never waited on) and decoded through the show's own image entry, with its
// limits (64 megapixels, the header checked before anything is decoded), then widened to RGBA.
#pragma once

#include <optional>
#include <string>

#include "tools/lib/photo/PhotoComposition.h"

// The picture at `path`; nothing, with "<path>: cannot read the picture: <why>" in `failure`,
// when it cannot be read or decoded, or is over the limits.
std::optional<Picture> readPicture(const std::string& path, std::string& failure);
