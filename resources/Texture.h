// Loading an image file into a GL 2D texture with stb_image.
#pragma once

#include <cstdint>

// The name of a GL texture object.
using TextureName = uint32_t;

// Decodes the image at `path` (relative to the working directory) into a new RGBA texture
// with linear filtering, repeat wrapping and level 0 only, and returns its name. The name is
// reserved before the file is touched, so a file that cannot be read, decoded or is over the
// size limits (rules/TextureImage.h) still yields a fresh name, one with no image; the
// reason goes to standard error.
TextureName loadTexture(const char* path);

// False for a name loadTexture left without an image, which must draw nothing; true for every
// other name. No GL call.
bool hasImage(TextureName texture);

// Sets what hasImage says of `texture`. The record is one for the process, but texture names
// count from 1 in each GL context: a program that keeps builds in several contexts (the
// preview) puts back the record of the build whose context it makes current again.
void setHasImage(TextureName texture, bool has);
