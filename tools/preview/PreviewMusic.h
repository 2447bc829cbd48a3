// The show's music for the preview, played from any moment: on the sound device, or where
// there is none on SDL's silent driver, so the clock follows the music's own position either
// way. Any line it has to say goes to `report`.
//
//   PreviewMusic music(kShowMusicPath, report);
//   music.playFrom(12.0, false);
//   std::optional<double> position = music.position();
#pragma once

#include <functional>
#include <optional>
#include <string>

typedef struct _Mix_Music Mix_Music;

class PreviewMusic {
public:
    using Report = std::function<void(const std::string&)>;

    // Opens the audio (saying so once when it has to play silent) and loads the music.
    PreviewMusic(std::string path, Report report);
    ~PreviewMusic();
    PreviewMusic(const PreviewMusic&) = delete;
    PreviewMusic& operator=(const PreviewMusic&) = delete;

    bool loaded() const { return music != nullptr; }
    // In seconds; nothing when not loaded or the decoder cannot tell.
    std::optional<double> length() const;
    // Sets the music to `time` and plays it, or holds it there; music that had ended starts again.
    void playFrom(double time, bool paused);
    void setPaused(bool paused);
    // Where the playing music is; nothing while it is paused, has ended or is not loaded.
    std::optional<double> position() const;
    // Loads the file again; the music playing stays when the file cannot be loaded.
    void reload();

private:
    std::string path;
    Report report;
    Mix_Music* music = nullptr;
    bool audioOpen = false;
};
