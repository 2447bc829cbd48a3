// The one translation unit that compiles stb_image's decoder.
//
// Photoshop files are left out: the decoder's removal of a white matte converts colours it
// divided by alpha to bytes without a range check, undefined behaviour for any colour brighter
// than its alpha, which fuzzing found in the first seconds.
#define STBI_NO_PSD
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
