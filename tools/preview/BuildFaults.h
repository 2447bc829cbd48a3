// What makes a rebuilt show unfit to replace the one on screen, put into the one-line reports
// the preview gives, and the rule for which of two builds to show. No GL here; OwnedShow asks
// GL for the faults and hands the logs to these.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/preview/ShowSources.h"

// None: initialise() threw and there is nothing to draw.
enum class BuildQuality { None, Faulty, Sound };

// The info log of a shader that did not compile, one line per message, read by the one reader
// of driver logs (tools/lib/base/DriverLog.h) in any driver's form: Mesa's "0:5(12): error: ..."
// (source 0, line 5, column 12) becomes "data/white.frag:5: error: ..."; a line that names no
// severity is kept after the path. With the compiled `source`, a syntax error goes on the line
// at fault.
std::vector<std::string> compileFaults(std::string_view path, std::string_view log, std::string_view source = {});

// The info log of a program whose shaders compiled but which does not link, named by its
// config line: "data/config.txt:1: program "white" does not link: ...".
std::vector<std::string> linkFaults(std::string_view name, const ProgramSource& source, std::string_view log);

// A new build replaces the show on screen when it is sound, or when it draws something and the
// show on screen is not sound: the last good show stays until a good one comes.
bool replacesShown(BuildQuality shown, BuildQuality candidate);
