#pragma once
// The window system's desktop in one SDL window of the screen's size, one pixel for one
// pixel. Installed as the window system's display hooks while it lives.
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win/display_hooks.h"
#include "platform/win/types.h"

namespace display {

class SdlDisplay : public win::DisplayHooks {
 public:
  // Sizes the window system's screen to width x height and opens the window; throws
  // std::runtime_error with SDL's reason when no video device can be opened.
  SdlDisplay(int width, int height, const std::string& title);
  ~SdlDisplay() override;
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  void PumpEvents(unsigned wait_ms) override;
  // At most once a refresh (16 ms) unless the screen window was uncovered.
  void Present() override;
  bool QuitRequested() const override { return quit_; }

  // What the window shows now, 0x00RRGGBB, top row first (tests).
  std::vector<std::uint32_t> ShownPixels() const;

 private:
  void ShowCursorShape();

  SDL_Window* window_ = nullptr;
  std::map<win::WORD, SDL_Cursor*> cursors_;  // made on first use
  win::WORD cursorShown_ = 0;
  std::vector<std::uint32_t> shown_;  // the last presented desktop
  std::vector<SDL_Event> held_;  // a tapped key's release and what came after it
  Uint32 heldUntil_ = 0;
  std::map<SDL_Keycode, Uint32> pressedAt_;  // keys down, since when
  Uint32 lastPresent_ = 0;
  bool exposed_ = true;
  bool quit_ = false;
};

// The standard loop of a program on the screen: input, the window system's queue, the
// program's idle work, then the picture, until the person closes the screen or the
// window system quits.
void RunMessageLoop(SdlDisplay& display, const std::function<void()>& idle = {});

}  // namespace display
