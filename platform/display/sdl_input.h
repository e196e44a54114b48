#pragma once
// SDL's events as the window system's input: the same injector calls a test makes, so
// a person's clicks and keys take the paths the tests take.
#include <SDL.h>

namespace display {

// The window system's virtual key for an SDL key (US layout for punctuation); 0 for a
// key the window system has no code for.
int VirtualKeyOf(SDL_Keycode key);

// Hands one event to the window system's injector. Window events that uncover the
// screen set `exposed`; the close request sets `quit`.
void FeedEvent(const SDL_Event& e, bool* exposed, bool* quit);

}  // namespace display
