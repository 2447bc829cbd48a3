// Decoding music with SDL_mixer on the dummy audio driver.
#include "tools/lib/gl/MusicFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tools/lib/audio/Mp3Stream.h"

namespace {

// The mixer open in the show's own format, so what is decoded is what the show would play; ""
// or the reason it is not.
std::string openMixer()
{
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return std::string("cannot start SDL's audio: ") + SDL_GetError();
    }
    if (Mix_OpenAudio(DecodedMusic::kSampleRate, AUDIO_S16LSB, DecodedMusic::kChannels, 2048) != 0)
        return std::string("cannot open audio for decoding: ") + Mix_GetError();
    return "";
}

// SDL_mixer hands SDL the decoder's output in reads of this many bytes; SDL's resampler rounds
// at the edges of what it is given, so the same pieces give the same samples.
constexpr std::size_t kMixerReadBytes = 8192;

using TakeSamples = std::function<bool(std::span<const int16_t>)>;

// A file's samples turned into the show's format in SDL_mixer's pieces.
class ShowFormat {
public:
    ShowFormat(long rate, int channels)
        : stream(SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels), int(rate), AUDIO_S16SYS, DecodedMusic::kChannels,
                                    DecodedMusic::kSampleRate),
                 SDL_FreeAudioStream),
          from(rate), fromChannels(channels)
    {
        if (!stream)
            failure = std::string("SDL cannot convert it: ") + SDL_GetError();
    }
    bool matches(const Mp3Block& block) const { return block.rate == from && block.channels == fromChannels; }

    // False when SDL cannot convert (the reason in `failure`), or when `take` wants no more.
    bool add(std::span<const int16_t> samples, const TakeSamples& take)
    {
        pending.insert(pending.end(), samples.begin(), samples.end());
        const std::size_t piece = kMixerReadBytes / sizeof(int16_t);
        std::size_t used = 0;
        bool going = true;
        for (; going && pending.size() - used >= piece; used += piece)
            going = put({pending.data() + used, piece}, take);
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(used));
        return going;
    }
    // The last piece, shorter than the others, as SDL_mixer's last read is.
    bool finish(const TakeSamples& take)
    {
        bool going = pending.empty() || put(pending, take);
        pending.clear();
        return going;
    }

    std::string failure;

private:
    bool put(std::span<const int16_t> samples, const TakeSamples& take)
    {
        if (!stream)
            return false;
        if (SDL_AudioStreamPut(stream.get(), samples.data(), int(samples.size_bytes())) != 0) {
            failure = std::string("SDL cannot convert it: ") + SDL_GetError();
            return false;
        }
        converted.resize(std::size_t(SDL_AudioStreamAvailable(stream.get())) / sizeof(int16_t));
        int got = SDL_AudioStreamGet(stream.get(), converted.data(), int(converted.size() * sizeof(int16_t)));
        return got <= 0 || take({converted.data(), std::size_t(got) / sizeof(int16_t)});
    }

    std::unique_ptr<SDL_AudioStream, void (*)(SDL_AudioStream*)> stream;
    long from;
    int fromChannels;
    std::vector<int16_t> pending;
    std::vector<int16_t> converted;
};

}  // namespace

bool streamMusic(const std::string& path, const TakeSamples& take, std::string& failure,
                 const std::function<bool()>& stopRequested)
{
    std::optional<ShowFormat> conversion;
    auto convert = [&](const Mp3Block& block) {
        if (!conversion && block.rate == DecodedMusic::kSampleRate && block.channels == DecodedMusic::kChannels)
            return take(block.samples);
        if (!conversion || !conversion->matches(block)) {
            // A file that changes its format midway is converted a stretch at a time.
            if (conversion && !conversion->finish(take))
                return false;
            conversion.emplace(block.rate, block.channels);
        }
        return conversion->add(block.samples, take);
    };
    bool whole = decodeMp3(path, convert, failure, stopRequested) && (!conversion || conversion->finish(take));
    if (!whole && conversion && !conversion->failure.empty())
        failure = conversion->failure;
    return whole;
}

std::optional<DecodedMusic> decodeMusic(const std::string& path, std::string& failure)
{
    failure = openMixer();
    if (!failure.empty())
        return std::nullopt;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (chunk == nullptr) {
        failure = Mix_GetError();
        Mix_CloseAudio();
        return std::nullopt;
    }
    DecodedMusic music;
    music.samples.resize(chunk->alen / sizeof(int16_t));
    std::memcpy(music.samples.data(), chunk->abuf, music.samples.size() * sizeof(int16_t));
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    return music;
}

std::string musicOpens(const std::string& path)
{
    std::string failure = openMixer();
    if (!failure.empty())
        return failure;
    // By content, as the chunk loader recognises a file, not by the name's extension.
    Mix_Music* music = Mix_LoadMUS_RW(SDL_RWFromFile(path.c_str(), "rb"), SDL_TRUE);
    if (music == nullptr)
        failure = Mix_GetError();
    Mix_FreeMusic(music);
    Mix_CloseAudio();
    return failure;
}
