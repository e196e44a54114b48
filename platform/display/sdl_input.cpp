#include "platform/display/sdl_input.h"

#include "platform/win/input.h"
#include "platform/win/messages.h"

namespace display {
namespace {

struct KeyPair {
  SDL_Keycode sdl;
  int vk;
};

constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, win::VK_BACK},     {SDLK_TAB, win::VK_TAB},         {SDLK_RETURN, win::VK_RETURN},
    {SDLK_KP_ENTER, win::VK_RETURN},    {SDLK_ESCAPE, win::VK_ESCAPE},   {SDLK_SPACE, win::VK_SPACE},
    {SDLK_PAGEUP, win::VK_PRIOR},       {SDLK_PAGEDOWN, win::VK_NEXT},   {SDLK_END, win::VK_END},
    {SDLK_HOME, win::VK_HOME},          {SDLK_LEFT, win::VK_LEFT},       {SDLK_UP, win::VK_UP},
    {SDLK_RIGHT, win::VK_RIGHT},        {SDLK_DOWN, win::VK_DOWN},       {SDLK_INSERT, win::VK_INSERT},
    {SDLK_DELETE, win::VK_DELETE},      {SDLK_LSHIFT, win::VK_SHIFT},    {SDLK_RSHIFT, win::VK_SHIFT},
    {SDLK_LCTRL, win::VK_CONTROL},      {SDLK_RCTRL, win::VK_CONTROL},   {SDLK_LALT, win::VK_MENU},
    {SDLK_RALT, win::VK_MENU},          {SDLK_PAUSE, win::VK_PAUSE},     {SDLK_CAPSLOCK, win::VK_CAPITAL},
    {SDLK_NUMLOCKCLEAR, win::VK_NUMLOCK}, {SDLK_SCROLLLOCK, win::VK_SCROLL},
    {SDLK_SEMICOLON, win::VK_OEM_1},    {SDLK_EQUALS, win::VK_OEM_PLUS}, {SDLK_COMMA, win::VK_OEM_COMMA},
    {SDLK_MINUS, win::VK_OEM_MINUS},    {SDLK_PERIOD, win::VK_OEM_PERIOD}, {SDLK_SLASH, win::VK_OEM_2},
    {SDLK_BACKQUOTE, win::VK_OEM_3},    {SDLK_LEFTBRACKET, win::VK_OEM_4}, {SDLK_BACKSLASH, win::VK_OEM_5},
    {SDLK_RIGHTBRACKET, win::VK_OEM_6}, {SDLK_QUOTE, win::VK_OEM_7},
    {SDLK_KP_MULTIPLY, win::VK_MULTIPLY}, {SDLK_KP_PLUS, win::VK_ADD}, {SDLK_KP_MINUS, win::VK_SUBTRACT},
    {SDLK_KP_PERIOD, win::VK_DECIMAL},  {SDLK_KP_DIVIDE, win::VK_DIVIDE},
};

win::MouseButton ButtonOf(Uint8 b) {
  if (b == SDL_BUTTON_RIGHT) return win::MouseButton::Right;
  if (b == SDL_BUTTON_MIDDLE) return win::MouseButton::Middle;
  return win::MouseButton::Left;
}

bool KnownButton(Uint8 b) { return b == SDL_BUTTON_LEFT || b == SDL_BUTTON_RIGHT || b == SDL_BUTTON_MIDDLE; }

}  // namespace

int VirtualKeyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return win::VK_F1 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return win::VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
  if (key == SDLK_KP_0) return win::VK_NUMPAD0;
  for (const KeyPair& k : kKeys)
    if (k.sdl == key) return k.vk;
  return 0;
}

void FeedEvent(const SDL_Event& e, bool* exposed, bool* quit) {
  switch (e.type) {
    case SDL_QUIT: *quit = true; break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) *quit = true;
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
          e.window.event == SDL_WINDOWEVENT_RESTORED)
        *exposed = true;
      break;
    case SDL_MOUSEMOTION: win::InjectMouseMove(e.motion.x, e.motion.y); break;
    case SDL_MOUSEBUTTONDOWN:
      if (KnownButton(e.button.button)) win::InjectMouseDown(ButtonOf(e.button.button), e.button.x, e.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      if (KnownButton(e.button.button)) win::InjectMouseUp(ButtonOf(e.button.button), e.button.x, e.button.y);
      break;
    case SDL_MOUSEWHEEL: {
      // The wheel carries no position: it turns where the pointer is.
      win::POINT p{};
      win::GetCursorPos(&p);
      const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      if (notches != 0) win::InjectWheel(notches * win::WHEEL_DELTA, p.x, p.y);
      break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (const int vk = VirtualKeyOf(e.key.keysym.sym)) {
        if (e.type == SDL_KEYDOWN) win::InjectKeyDown(vk);
        else win::InjectKeyUp(vk);
      }
      break;
    default: break;
  }
}

}  // namespace display
