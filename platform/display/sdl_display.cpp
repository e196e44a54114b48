#include "platform/display/sdl_display.h"

#include <algorithm>
#include <stdexcept>

#include "platform/display/sdl_input.h"
#include "platform/win/compositor.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"

namespace display {
namespace {

// A frame at the usual 60 Hz refresh when nothing else wakes the loop.
constexpr unsigned kRefreshMs = 16;
// How long a tapped key stays down: about as long as a finger holds it.
constexpr Uint32 kTapMs = 100;

std::string SdlReason(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

}  // namespace

SdlDisplay::SdlDisplay(int width, int height, const std::string& title) {
  // The picture is the window system's pixels blitted to a plain window surface: no GL
  // driver is loaded behind it (one that SDL unloads again leaves its allocations behind).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) throw std::runtime_error(SdlReason("no screen"));
  // Without a screen SDL falls back to drivers nobody sees: a program would wait there for
  // a person forever. They serve only when asked for by name (tests).
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if ((driver == "dummy" || driver == "offscreen" || driver == "evdev") && !SDL_getenv("SDL_VIDEODRIVER")) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw std::runtime_error("no screen (no X or Wayland display; try xvfb-run)");
  }
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, 0);
  if (!window_) {
    const std::string reason = SdlReason("cannot open the screen window");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    throw std::runtime_error(reason);
  }
  win::SetScreenSize(width, height);
  win::SetDisplayHooks(this);
}

SdlDisplay::~SdlDisplay() {
  if (win::GetDisplayHooks() == this) win::SetDisplayHooks(nullptr);
  SDL_SetCursor(SDL_GetDefaultCursor());
  for (auto& [id, cursor] : cursors_)
    if (cursor) SDL_FreeCursor(cursor);
  SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlDisplay::PumpEvents(unsigned wait_ms) {
  // A key released soon after its press (a quick tap, a scripted key) stays down until it
  // has been down for a while, so that a loop polling the key state between its frames
  // sees it; what follows the release waits with it, in order.
  const Uint32 now = SDL_GetTicks();
  if (!held_.empty() && static_cast<Sint32>(heldUntil_ - now) > 0) {
    SDL_Delay(std::min<Uint32>(wait_ms, heldUntil_ - now));
    SDL_PumpEvents();
    return;
  }
  std::vector<SDL_Event> batch = std::move(held_);
  held_.clear();
  SDL_Event e;
  bool any = !batch.empty() ? SDL_PollEvent(&e) != 0
             : wait_ms > 0 ? SDL_WaitEventTimeout(&e, static_cast<int>(wait_ms)) != 0
                           : SDL_PollEvent(&e) != 0;
  for (; any; any = SDL_PollEvent(&e) != 0) batch.push_back(e);
  for (const SDL_Event& ev : batch) {
    if (!held_.empty()) {
      held_.push_back(ev);
      continue;
    }
    // Event times, not handling times: a press that waited behind a held release keeps
    // its own moment.
    const Uint32 t = ev.key.timestamp;
    if (ev.type == SDL_KEYDOWN && !pressedAt_.count(ev.key.keysym.sym)) pressedAt_[ev.key.keysym.sym] = t;
    if (ev.type == SDL_KEYUP) {
      const auto down = pressedAt_.find(ev.key.keysym.sym);
      if (down != pressedAt_.end() && t - down->second < kTapMs && SDL_GetTicks() - down->second < kTapMs) {
        heldUntil_ = down->second + kTapMs;
        held_.push_back(ev);
        continue;
      }
      if (down != pressedAt_.end()) pressedAt_.erase(down);
    }
    FeedEvent(ev, &exposed_, &quit_);
  }
}

// The screen's pointer takes the shape the window system chose (sizing arrows at a
// sizeable border, the I-beam over text); shapes it has no match for show the arrow.
void SdlDisplay::ShowCursorShape() {
  win::CursorInfo info;
  const win::WORD id = win::GetCursorIdentity(win::GetCursor(), &info) && !info.module ? info.id : 0;
  if (id == cursorShown_) return;
  cursorShown_ = id;
  // Keyed by the system cursors' resource names, which are their ids.
  static const std::map<const char*, SDL_SystemCursor> kShapes = {
      {win::IDC_IBEAM, SDL_SYSTEM_CURSOR_IBEAM},       {win::IDC_WAIT, SDL_SYSTEM_CURSOR_WAIT},
      {win::IDC_CROSS, SDL_SYSTEM_CURSOR_CROSSHAIR},   {win::IDC_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENWSE},
      {win::IDC_SIZENESW, SDL_SYSTEM_CURSOR_SIZENESW}, {win::IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE},
      {win::IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS},     {win::IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL},
      {win::IDC_NO, SDL_SYSTEM_CURSOR_NO},             {win::IDC_HAND, SDL_SYSTEM_CURSOR_HAND},
      {win::IDC_APPSTARTING, SDL_SYSTEM_CURSOR_WAITARROW}};
  const auto shape = kShapes.find(win::MAKEINTRESOURCE(id));
  if (shape == kShapes.end()) {
    SDL_SetCursor(SDL_GetDefaultCursor());
    return;
  }
  auto [it, made] = cursors_.try_emplace(id, nullptr);
  if (made) it->second = SDL_CreateSystemCursor(shape->second);
  SDL_SetCursor(it->second ? it->second : SDL_GetDefaultCursor());
}

void SdlDisplay::Present() {
  ShowCursorShape();
  // Loops may present many times a frame; the screen needs a picture once a refresh.
  const Uint32 now = SDL_GetTicks();
  if (!exposed_ && now - lastPresent_ < kRefreshMs) return;
  lastPresent_ = now;
  win::WindowImage desktop;
  win::CaptureDesktop(&desktop);
  // Nothing changed and nothing uncovered: the screen already shows it.
  if (!exposed_ && desktop.pixels == shown_) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (!target) return;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(desktop.pixels.data(), desktop.width, desktop.height, 32,
                                                           desktop.width * 4, SDL_PIXELFORMAT_RGB888);
  if (!source) return;
  SDL_BlitSurface(source, nullptr, target, nullptr);
  SDL_FreeSurface(source);
  SDL_UpdateWindowSurface(window_);
  shown_ = std::move(desktop.pixels);
  exposed_ = false;
}

std::vector<std::uint32_t> SdlDisplay::ShownPixels() const {
  std::vector<std::uint32_t> out;
  SDL_Surface* s = SDL_GetWindowSurface(window_);
  if (!s) return out;
  out.resize(static_cast<std::size_t>(s->w) * s->h);
  SDL_ConvertPixels(s->w, s->h, s->format->format, s->pixels, s->pitch, SDL_PIXELFORMAT_RGB888, out.data(), s->w * 4);
  for (std::uint32_t& p : out) p &= 0x00FFFFFF;
  return out;
}

void RunMessageLoop(SdlDisplay& display, const std::function<void()>& idle) {
  while (!display.QuitRequested() && !win::QuitRequested()) {
    display.PumpEvents(kRefreshMs);
    win::PumpPendingMessages();
    if (idle) idle();
    display.Present();
  }
}

}  // namespace display
