#pragma once
// The seam between the headless window system and a real screen. A display backend (a
// separate layer, see the command-line host's "open") installs itself here; the window
// system stays headless when none is installed, and modal loops then answer from the
// answer queue and never block.
//
// Contract:
// - PumpEvents waits at most `wait_ms` for the person's input, turns each event into the
//   window system's own input (the same calls the input injector makes) and returns.
// - Present shows the composited desktop (every visible top-level window in z-order) when
//   anything changed since the last call.
// - QuitRequested is true once the person closed the screen window: loops end then.
// Nested loops (a modal form, a menu being tracked, a busy-wait of the host) call
// PumpEvents, then dispatch the window system's queue, then Present.
namespace win {

class DisplayHooks {
 public:
  virtual ~DisplayHooks() = default;
  virtual void PumpEvents(unsigned wait_ms) = 0;
  virtual void Present() = 0;
  virtual bool QuitRequested() const = 0;
};

// Null removes the display. The window system does not own the hooks.
void SetDisplayHooks(DisplayHooks* hooks);
DisplayHooks* GetDisplayHooks();
// True while a person is at a screen: modal UI runs for real when no scripted answer waits.
inline bool HasInteractiveDisplay() { return GetDisplayHooks() != nullptr; }

}  // namespace win
