// The preview's key map.
#include "tools/preview/PreviewKeys.h"

std::optional<PreviewCommand> commandForKey(SDL_Keycode key, uint16_t modifiers, bool repeat)
{
    using Kind = PreviewCommand::Kind;
    double seek = (modifiers & KMOD_SHIFT) != 0 ? kFineSeekStep : kSeekStep;
    switch (key) {
    case SDLK_LEFT:
        return PreviewCommand{Kind::SeekBy, -seek};
    case SDLK_RIGHT:
        return PreviewCommand{Kind::SeekBy, seek};
    case SDLK_COMMA:
        return PreviewCommand{Kind::StepBy, -kFrameStep};
    case SDLK_PERIOD:
        return PreviewCommand{Kind::StepBy, kFrameStep};
    default:
        break;
    }
    if (repeat)
        return std::nullopt;
    switch (key) {
    case SDLK_ESCAPE:
    case SDLK_q:
        return PreviewCommand{Kind::Quit};
    case SDLK_SPACE:
        return PreviewCommand{Kind::TogglePause};
    case SDLK_HOME:
        return PreviewCommand{Kind::GoToStart};
    case SDLK_LEFTBRACKET:
        return PreviewCommand{Kind::SetLoopStart};
    case SDLK_RIGHTBRACKET:
        return PreviewCommand{Kind::SetLoopEnd};
    case SDLK_BACKSLASH:
        return PreviewCommand{Kind::ClearLoop};
    case SDLK_r:
        return PreviewCommand{Kind::Reload};
    default:
        return std::nullopt;
    }
}
