#include "platform/win/modal_loop.h"

#include "platform/win/display_hooks.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"

namespace win {

bool WaitForDisplayInput(unsigned waitMs) {
  DisplayHooks* d = GetDisplayHooks();
  if (!d || d->QuitRequested()) return false;
  d->Present();
  d->PumpEvents(waitMs);
  return !d->QuitRequested();
}

bool NextModalMessage(MSG* m, unsigned waitMs) {
  for (;;) {
    if (DisplayHooks* d = GetDisplayHooks(); d && d->QuitRequested()) return false;
    if (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) return true;
    if (!WaitForDisplayInput(waitMs)) return false;
  }
}

bool ModalRunsOnScreen() { return HasInteractiveDisplay() && PendingModalAnswers() == 0; }

}  // namespace win
