// A complete, small show written into a folder at test time: 87 lyric line images, two photos,
// simple "white" and "textlayout" programs, the timing file, data/config.txt and, when asked
// for, a scene list.
//
// The fixture programs keep the show's contract and make pixels easy to predict: every layer
// sits at depth "zscore"; "white" paints rgb(0.25, 0.25, time / 64) opaque; "textlayout"
// stretches its image over the whole screen. Each line image is a 12×4 strip, opaque in its
// colour over the columns [left, right) (fractions of the width) and transparent elsewhere.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "rules/TimingFile.h"
#include "tests/support/Image.h"

struct FixtureLine {
    double start = 0.0;
    double end = 0.0;
    Rgba colour;
    float left = 0.0f;
    float right = 1.0f;
};

struct FixtureShow {
    FixtureShow();

    std::array<FixtureLine, kLyricLineCount> lines;  // hidden (0, 0) and distinctly coloured
    // The photo: opaque in this colour over its left half, transparent over its right half.
    Rgba photo = {200, 120, 40, 255};
    // When set, written instead of the pairs made from `lines`.
    std::string timingText;
    bool writeTiming = true;
    // When set, written as data/scenes.txt.
    std::string sceneList;
    // A second photo, "photo2": opaque in this colour over its right half, transparent over its left.
    Rgba secondPhoto = {40, 90, 210, 255};
};

void writeFixtureShow(const std::filesystem::path& folder, const FixtureShow& show = {});

// The colour the fixture "white" program paints at show time `time`.
Rgba fixtureBackground(double time);
