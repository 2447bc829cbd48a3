// A made show's own copy of the background program: the stock "white" with its fixed cues
// (128 BPM from 0 s, the build, flash and warm colours at 45 s, the fade before 58 s) replaced
// by the song's: its tempo and first downbeat, a build, a flash and the warm colours at every
// photo scene and back to night colours after it, the fade at the music's end. Everything else
// of the program, its look and its cost per pixel, stays as it is; with the stock show's cues
// the copy draws what the stock program draws. No GL here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct BackgroundCues {
    double beatsPerMinute = 128.0;
    double firstDownbeat = 0.0;
    double end = 58.0;                                    // where the fade to black ends
    std::vector<std::pair<double, double>> warmWindows;  // the photo scenes' windows
};

// `stock` with its cues replaced, stage by stage ("white.vert" or "white.frag", by `stage`);
// nothing, with the line it could not find in `missing`, when the stock program is not the one
// this was written for.
std::optional<std::string> backgroundWithCues(std::string_view stock, std::string_view stage,
                                              const BackgroundCues& cues, std::string& missing);

// A number as a GLSL float literal, to the millisecond or the thousandth of a beat: "140.0",
// "97.5", "0.412".
std::string floatLiteral(double value);
