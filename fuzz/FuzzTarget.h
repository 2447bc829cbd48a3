// The entry point every fuzz target defines, libFuzzer's own: one input, whole, each call.
// ReplayMain.cpp calls it where libFuzzer is not linked.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
