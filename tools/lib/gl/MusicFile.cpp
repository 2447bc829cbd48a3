// Decoding music with SDL_mixer on the dummy audio driver.
#include "tools/lib/gl/MusicFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>

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

}  // namespace

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
