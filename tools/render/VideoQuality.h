// The video's encoding settings a user chooses by one word: a draft to check the timing
// quickly, the normal export, or the best picture for the time it takes.
#pragma once

#include <optional>
#include <string_view>

enum class VideoQuality { Draft, Normal, Best };

// x264's preset and constant rate factor for a quality.
struct X264Settings {
    std::string_view preset;
    int crf = 18;
};

constexpr X264Settings x264Settings(VideoQuality quality)
{
    switch (quality) {
    case VideoQuality::Draft:
        return {"ultrafast", 23};
    case VideoQuality::Best:
        return {"slow", 16};
    case VideoQuality::Normal:
        break;
    }
    return {"veryfast", 18};
}

constexpr std::optional<VideoQuality> parseVideoQuality(std::string_view word)
{
    if (word == "draft")
        return VideoQuality::Draft;
    if (word == "normal")
        return VideoQuality::Normal;
    if (word == "best")
        return VideoQuality::Best;
    return std::nullopt;
}
