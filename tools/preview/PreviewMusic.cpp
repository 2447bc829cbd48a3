// Playing the show's music for the preview with SDL_mixer.
#include "tools/preview/PreviewMusic.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <utility>

#include "rules/InputFile.h"

namespace {

// The music through the input check first: SDL_mixer would wait on a FIFO with the window still,
// and call a folder a corrupt file. Nothing, with the reason in `failure`, when it cannot load.
Mix_Music* loadMusic(const std::string& path, std::string& failure)
{
    InputCheck check = checkInputFile(path.c_str());
    if (!check.failure.empty()) {
        failure = check.failure;
        return nullptr;
    }
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    if (music == nullptr)
        failure = Mix_GetError();
    return music;
}

// The show's own audio format.
bool openAudio()
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    if (Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 2048) == 0)
        return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

}  // namespace

PreviewMusic::PreviewMusic(std::string musicPath, Report reportLine) : path(std::move(musicPath)), report(std::move(reportLine))
{
    audioOpen = openAudio();
    if (!audioOpen) {
        report(std::string("no sound device (") + SDL_GetError() + "): playing silent");
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        audioOpen = openAudio();
    }
    if (!audioOpen) {
        report(std::string("cannot open even SDL's silent audio: ") + SDL_GetError() + "; the clock runs alone");
        return;
    }
    std::string failure;
    music = loadMusic(path, failure);
    if (music == nullptr)
        report(path + ": cannot load the music: " + failure + "; the clock runs alone");
}

PreviewMusic::~PreviewMusic()
{
    if (music != nullptr)
        Mix_FreeMusic(music);
    if (audioOpen) {
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

std::optional<double> PreviewMusic::length() const
{
    if (music == nullptr)
        return std::nullopt;
    double seconds = Mix_MusicDuration(music);
    if (seconds <= 0.0)
        return std::nullopt;
    return seconds;
}

void PreviewMusic::playFrom(double time, bool paused)
{
    if (music == nullptr)
        return;
    // Mix_PlayingMusic stays true while paused and turns false only once the music has ended.
    if (Mix_PlayingMusic() == 0)
        Mix_PlayMusic(music, 1);
    Mix_SetMusicPosition(time);
    setPaused(paused);
}

void PreviewMusic::setPaused(bool paused)
{
    if (music == nullptr || Mix_PlayingMusic() == 0)
        return;
    if (paused && Mix_PausedMusic() == 0)
        Mix_PauseMusic();
    else if (!paused && Mix_PausedMusic() != 0)
        Mix_ResumeMusic();
}

std::optional<double> PreviewMusic::position() const
{
    if (music == nullptr || Mix_PlayingMusic() == 0 || Mix_PausedMusic() != 0)
        return std::nullopt;
    return Mix_GetMusicPosition(music);
}

void PreviewMusic::reload()
{
    if (!audioOpen)
        return;
    std::string failure;
    Mix_Music* fresh = loadMusic(path, failure);
    if (fresh == nullptr) {
        report(path + ": cannot load the music: " + failure + "; the music playing stays");
        return;
    }
    // Freeing the music halts it; the caller sets the new one playing where the clock is.
    if (music != nullptr)
        Mix_FreeMusic(music);
    music = fresh;
}
