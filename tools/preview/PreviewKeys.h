// What each key does in the preview window, decided without a window or GL so tests reach it:
// a key press, its modifiers and whether it is the keyboard's own repeat, to one command.
//
//   Space pause/resume   Left/Right 5 s (Shift: 1 s)   , . one frame while paused   Home 0 s
//   [ ] loop start/end at the moment shown   \ no loop   r reload now   Escape q quit
#pragma once

#include <SDL_keycode.h>

#include <cstdint>
#include <optional>

struct PreviewCommand {
    enum class Kind { Quit, TogglePause, SeekBy, StepBy, GoToStart, SetLoopStart, SetLoopEnd, ClearLoop, Reload };
    Kind kind = Kind::Quit;
    double seconds = 0.0;  // SeekBy and StepBy: how far, negative backwards

    bool operator==(const PreviewCommand&) const = default;
};

constexpr double kSeekStep = 5.0;
constexpr double kFineSeekStep = 1.0;
constexpr double kFrameStep = 1.0 / 60.0;

// The command of a key press, or nothing for a key the preview does not use. Held seek and step
// keys repeat; a held key that toggles or sets something acts once.
std::optional<PreviewCommand> commandForKey(SDL_Keycode key, uint16_t modifiers, bool repeat);
