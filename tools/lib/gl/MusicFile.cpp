// Decoding music with SDL_mixer on the dummy audio driver.
#include "tools/lib/gl/MusicFile.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>

std::optional<DecodedMusic> decodeMusic(const std::string& path, std::string& failure)
{
    // The show's own format, so what is decoded is what the show would play.
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = std::string("cannot start SDL's audio: ") + SDL_GetError();
            return std::nullopt;
        }
    }
    if (Mix_OpenAudio(DecodedMusic::kSampleRate, AUDIO_S16LSB, DecodedMusic::kChannels, 2048) != 0) {
        failure = std::string("cannot open audio for decoding: ") + Mix_GetError();
        return std::nullopt;
    }
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
