// Checking a whole show folder at once, each kind of file by the show's own reader: the
// configuration, every image, program and mesh it names, the scene list, the timing file, the
// names the show asks for and the music. Runs in the show folder, where "data/" is.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/check/ImageCheck.h"
#include "tools/check/TimetableCheck.h"
#include "tools/check/TimingCheck.h"
#include "tools/lib/base/Finding.h"
#include "tools/lib/gl/MusicFile.h"

constexpr long long kTextureBudget = 160LL << 20;

struct ShowCheck {
    std::vector<Finding> findings;  // in file order
    // Why the checker itself could not do all of its work (no GL context), or "".
    std::string failure;

    Timetable timetable;
    TimingCheck timing;
    std::map<std::string, CheckedImage> images;  // by path
    std::vector<const CheckedImage*> lineImages;  // what each lyric line shows; null for none
    std::optional<DecodedMusic> music;
    std::string backgroundVertex;  // the source of the "white" program's vertex stage, or ""
};

ShowCheck checkShow(bool verbose);
