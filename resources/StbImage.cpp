// The one translation unit that compiles stb_image's decoder.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
