// aubio's tempo tracker over the music, mixed to mono, one hop at a time.
#include "tools/make/TempoFinder.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <memory>

namespace {

constexpr uint_t kWindow = 1024;
constexpr uint_t kHop = 512;
constexpr int64_t kStrengthFrames = DecodedMusic::kSampleRate * 60 / 1000;

// aubio's objects, deleted with the function that made them.
struct TempoDeleter {
    void operator()(aubio_tempo_t* tempo) const { del_aubio_tempo(tempo); }
};
struct VectorDeleter {
    void operator()(fvec_t* vector) const { del_fvec(vector); }
};

double mono(const DecodedMusic& music, int64_t frame)
{
    return (music.samples[size_t(frame) * 2] + music.samples[size_t(frame) * 2 + 1]) / 65536.0;
}

}  // namespace

double loudnessAfter(const DecodedMusic& music, double seconds)
{
    int64_t first = std::clamp<int64_t>(int64_t(seconds * DecodedMusic::kSampleRate), 0, music.frames());
    int64_t last = std::min(music.frames(), first + kStrengthFrames);
    double power = 0.0;
    for (int64_t frame = first; frame < last; ++frame)
        power += mono(music, frame) * mono(music, frame);
    return last > first ? power / double(last - first) : 0.0;
}

namespace {

// aubio says what it cannot do on its own standard error; the tool says it in its own words.
void quiet(int, const char_t*, void*) {}

}  // namespace

HeardBeats findBeats(const DecodedMusic& music)
{
    HeardBeats heard;
    aubio_log_set_function(quiet, nullptr);
    std::unique_ptr<aubio_tempo_t, TempoDeleter> tempo(
        new_aubio_tempo("default", kWindow, kHop, uint_t(DecodedMusic::kSampleRate)));
    std::unique_ptr<fvec_t, VectorDeleter> input(new_fvec(kHop));
    std::unique_ptr<fvec_t, VectorDeleter> output(new_fvec(1));
    if (!tempo || !input || !output)
        return heard;
    for (int64_t start = 0; start + int64_t(kHop) <= music.frames(); start += kHop) {
        for (uint_t i = 0; i < kHop; ++i)
            input->data[i] = smpl_t(mono(music, start + i));
        aubio_tempo_do(tempo.get(), input.get(), output.get());
        if (output->data[0] != 0.0f) {
            double beat = aubio_tempo_get_last_s(tempo.get());
            if (heard.times.empty() || beat > heard.times.back()) {
                heard.times.push_back(beat);
                heard.strengths.push_back(loudnessAfter(music, beat));
            }
        }
    }
    aubio_log_reset();
    return heard;
}
