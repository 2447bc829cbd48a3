// A ring of the recent mono mix and the moments still waiting for their 60 ms, summed in the
// order a whole buffer would be, so each loudness is the same to the last bit.
#include "tools/make/MusicLoudness.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

// The heap's order: the earliest first frame on top.
constexpr auto kLater = std::greater<std::pair<int64_t, std::size_t>>();

}  // namespace

MusicLoudness::MusicLoudness() : recent(std::size_t(kKeptFrames)) {}

void MusicLoudness::ask(double seconds)
{
    const int64_t first = std::max<int64_t>(int64_t(seconds * kSampleRate), 0);
    if (first < seen - kKeptFrames)
        throw std::logic_error("a moment of the music asked for after its samples were let go");
    answers.push_back(0.0);
    pending.emplace_back(first, answers.size() - 1);
    std::push_heap(pending.begin(), pending.end(), kLater);
    measureDue();
}

void MusicLoudness::add(std::span<const int16_t> stereo)
{
    // In steps well under the ring's size, so no moment's samples are overwritten before it is
    // measured.
    constexpr std::size_t kStepFrames = 4096;
    for (std::size_t at = 0; at < stereo.size() / 2;) {
        const std::size_t end = std::min(stereo.size() / 2, at + kStepFrames);
        for (; at < end; ++at, ++seen)
            recent[std::size_t(seen % kKeptFrames)] = int32_t(stereo[2 * at]) + int32_t(stereo[2 * at + 1]);
        measureDue();
    }
}

std::vector<double> MusicLoudness::finish()
{
    for (const auto& [first, index] : pending)
        measure(index, std::min(first, seen), std::min(seen, first + kWindowFrames));
    pending.clear();
    return std::move(answers);
}

void MusicLoudness::measure(std::size_t index, int64_t first, int64_t last)
{
    double power = 0.0;
    for (int64_t frame = first; frame < last; ++frame) {
        double mono = recent[std::size_t(frame % kKeptFrames)] / 65536.0;
        power += mono * mono;
    }
    answers[index] = last > first ? power / double(last - first) : 0.0;
}

void MusicLoudness::measureDue()
{
    while (!pending.empty() && pending.front().first + kWindowFrames <= seen) {
        std::pop_heap(pending.begin(), pending.end(), kLater);
        auto [first, index] = pending.back();
        pending.pop_back();
        measure(index, first, first + kWindowFrames);
    }
}
