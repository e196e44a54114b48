#include "apps/hostsim/desktop/file_prompt.h"

#include "apps/hostsim/desktop/host_controls.h"
#include "platform/display/sdl_display.h"
#include "platform/win/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

using namespace win;

namespace hostui {
namespace {

enum : int { kField = 1, kOk, kCancel };
constexpr int kWidth = 420, kHeight = 130;

struct Prompt {
  bool done = false;
  bool accepted = false;
  std::string text;
};
Prompt* g_prompt = nullptr;  // the one question being asked

void Finish(HWND h, bool accepted) {
  if (!g_prompt || g_prompt->done) return;
  g_prompt->done = true;
  g_prompt->accepted = accepted;
  g_prompt->text = FieldText(GetDlgItem(h, kField));
}

LRESULT PromptProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if ((id == kField && code == kEnter) || (id == kOk && code == kClicked)) Finish(h, true);
      if ((id == kField && code == kEscape) || (id == kCancel && code == kClicked)) Finish(h, false);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(h, &ps);
      const HGDIOBJ old = SelectObject(dc, HostFont());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      RECT t{12, 8, kWidth - 12, 28};
      DrawText(dc, "File name:", -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_CLOSE: Finish(h, false); return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

}  // namespace

std::string AskFileName(display::SdlDisplay& screen, HWND owner, const std::string& title,
                        const std::string& proposal) {
  const char* cls = RegisterHostClass("HostPrompt", &PromptProc, COLOR_BTNFACE);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  const RECT f = FrameThickness(style, 0);
  const int w = kWidth + f.left + f.right, h = kHeight + f.top + f.bottom;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 3;
  const HWND dlg = CreateWindowEx(0, cls, title.c_str(), style, x, y, w, h, owner, nullptr, nullptr, nullptr);
  const HWND field = CreateField(dlg, kField, proposal);
  MoveWindow(field, 12, 32, kWidth - 24, 24, 1);
  MoveWindow(CreateButton(dlg, kOk, "OK"), kWidth - 184, 80, 80, 26, 1);
  MoveWindow(CreateButton(dlg, kCancel, "Cancel"), kWidth - 92, 80, 80, 26, 1);
  Prompt prompt;
  Prompt* outer = g_prompt;
  g_prompt = &prompt;
  EnableWindow(owner, 0);
  ShowWindow(dlg, SW_SHOW);
  SetActiveWindow(dlg);
  SetFocus(field);
  while (!prompt.done && !screen.QuitRequested()) {
    screen.PumpEvents(16);
    PumpPendingMessages();
    screen.Present();
  }
  g_prompt = outer;
  EnableWindow(owner, 1);
  DestroyWindow(dlg);
  SetActiveWindow(owner);
  return prompt.accepted ? prompt.text : std::string();
}

}  // namespace hostui
