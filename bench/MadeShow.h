// A show made of a whole song for the benchmarks, by the real sovane05-make: a generated song of
// four minutes at 120 BPM, a lyric file of 400 word-stamped entries across it with a solo in the
// middle, two pictures. Made once per program, in a temporary folder, and found again there.
#pragma once

#include <filesystem>
#include <string>

struct MadeShow {
    std::filesystem::path folder;  // holds data/
    std::string failure;           // why it could not be made, or ""
    double seconds = 0.0;          // the music's length
};

// `makeTool` is the sovane05-make to run.
const MadeShow& madeShow(const std::filesystem::path& makeTool);
