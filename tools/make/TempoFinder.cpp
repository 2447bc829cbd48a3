// aubio's tempo tracker over the music mixed to mono, one hop at a time, as the blocks come.
#include "tools/make/TempoFinder.h"

#include <aubio/aubio.h>

#include <algorithm>

namespace {

constexpr uint_t kWindow = 1024;
constexpr uint_t kHop = 512;

// aubio says what it cannot do on its own standard error; the tool says it in its own words.
void quiet(int, const char_t*, void*) {}

}  // namespace

struct TempoFinder::Aubio {
    aubio_tempo_t* tempo = nullptr;
    fvec_t* input = nullptr;
    fvec_t* output = nullptr;
    uint_t filled = 0;  // samples of the hop in `input` so far

    Aubio()
        : tempo(new_aubio_tempo("default", kWindow, kHop, uint_t(MusicLoudness::kSampleRate))),
          input(new_fvec(kHop)), output(new_fvec(1))
    {
    }
    ~Aubio()
    {
        if (tempo != nullptr)
            del_aubio_tempo(tempo);
        if (input != nullptr)
            del_fvec(input);
        if (output != nullptr)
            del_fvec(output);
    }
    Aubio(const Aubio&) = delete;
    Aubio& operator=(const Aubio&) = delete;
};

TempoFinder::TempoFinder()
{
    aubio_log_set_function(quiet, nullptr);
    aubio = std::make_unique<Aubio>();
    if (aubio->tempo == nullptr || aubio->input == nullptr || aubio->output == nullptr)
        aubio.reset();
}

TempoFinder::~TempoFinder()
{
    aubio.reset();
    aubio_log_reset();
}

void TempoFinder::add(std::span<const int16_t> stereo)
{
    // Step by step, so the loudness keeps the samples of every beat aubio reports late.
    constexpr std::size_t kStepFrames = 4096;
    for (std::size_t at = 0; at < stereo.size() / 2; at += kStepFrames) {
        std::size_t frames = std::min(kStepFrames, stereo.size() / 2 - at);
        loudness.add(stereo.subspan(2 * at, 2 * frames));
        hear(stereo.data() + 2 * at, frames);
    }
}

void TempoFinder::hear(const int16_t* stereo, std::size_t frames)
{
    if (!aubio)
        return;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        aubio->input->data[aubio->filled++] = smpl_t((stereo[2 * frame] + stereo[2 * frame + 1]) / 65536.0);
        if (aubio->filled < kHop)
            continue;
        aubio->filled = 0;
        aubio_tempo_do(aubio->tempo, aubio->input, aubio->output);
        if (aubio->output->data[0] != 0.0f) {
            double beat = aubio_tempo_get_last_s(aubio->tempo);
            if (times.empty() || beat > times.back()) {
                times.push_back(beat);
                loudness.ask(beat);
            }
        }
    }
}

HeardBeats TempoFinder::finish()
{
    HeardBeats heard;
    heard.strengths = loudness.finish();
    heard.times = std::move(times);
    return heard;
}
