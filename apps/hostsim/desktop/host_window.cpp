#include "apps/hostsim/desktop/host_window.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <utility>

#include "apps/hostsim/desktop/host_controls.h"
#include "apps/hostsim/frame_image.h"
#include "apps/hostsim/module_session.h"
#include "platform/host/host.h"
#include "platform/win/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

using namespace win;

namespace hostui {
namespace {

enum : int { kIcon = 1, kPrevFrame, kFrameField, kNextFrame, kRender, kOpen, kSave, kObjects };

constexpr int kBar = 36, kStatus = 22, kListWidth = 200, kGap = 6, kButtonHeight = 26;
constexpr int kLastFrame = 100000;
constexpr int kRenderMaxWidth = 640, kRenderMaxHeight = 480;
constexpr float kMoveStep = 0.25f;  // world units per arrow key
constexpr const char* kShowEditorHint = "Click the plug-in's button to show its editor";

HostWindow* g_host = nullptr;  // one host per process

struct BarItem {
  int id;
  int x, width;
};
constexpr BarItem kBarItems[] = {{kIcon, 6, 96},         {kPrevFrame, 158, 24}, {kFrameField, 184, 56},
                                 {kNextFrame, 242, 24},  {kRender, 280, 80},    {kOpen, 368, 104},
                                 {kSave, 478, 104}};

// RGBA bytes of a view as window pixels.
PixelImage ViewImage(const host::View& v) {
  PixelImage img{v.width, v.height, {}};
  if (v.pixels.size() != static_cast<std::size_t>(v.width) * v.height * 4) return img;
  img.pixels.resize(static_cast<std::size_t>(v.width) * v.height);
  for (std::size_t i = 0; i < img.pixels.size(); ++i)
    img.pixels[i] = (std::uint32_t{v.pixels[i * 4]} << 16) | (std::uint32_t{v.pixels[i * 4 + 1]} << 8) |
                    v.pixels[i * 4 + 2];
  return img;
}

PixelImage RenderImage(int width, int height) {
  const FrameImage f = CaptureRender(width, height);
  PixelImage img{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  for (std::size_t i = 0; i < img.pixels.size(); ++i)
    img.pixels[i] = (std::uint32_t{f.rgb[i * 3]} << 16) | (std::uint32_t{f.rgb[i * 3 + 1]} << 8) | f.rgb[i * 3 + 2];
  return img;
}

void DrawLabel(HDC dc, const RECT& r, const std::string& text, UINT format) {
  RECT t = r;
  DrawText(dc, text.c_str(), -1, &t, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace

HostWindow::HostWindow(ModuleSession& module, int screenWidth, int screenHeight, AskFileName ask)
    : module_(module), ask_(std::move(ask)) {
  g_host = this;
  const char* cls = RegisterHostClass("HostMain", &HostWindow::MainProc, COLOR_BTNFACE);
  RegisterHostClass("HostView", &HostWindow::ViewProc, COLOR_APPWORKSPACE);
  main_ = CreateWindowEx(0, cls, "hostsim", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, screenWidth, screenHeight,
                         nullptr, nullptr, nullptr, nullptr);
  const std::string title = host::LoadedPlugin(module.PluginId()).descriptor.title;
  CreateButton(main_, kIcon, title.empty() ? "Plug-in" : title);
  CreateButton(main_, kPrevFrame, "<");
  frameField_ = CreateField(main_, kFrameField, "0");
  CreateButton(main_, kNextFrame, ">");
  CreateButton(main_, kRender, "Render");
  CreateButton(main_, kOpen, "Open scene...");
  CreateButton(main_, kSave, "Save scene...");
  list_ = CreateList(main_, kObjects);
  view_ = CreateWindowEx(0, "HostView", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main_, nullptr, nullptr, nullptr);
  Layout();
  ShowWindow(main_, SW_SHOW);
  SetFocus(list_);
  frame_ = static_cast<int>(tsxAnimGetActiveTime());
  SetWindowText(frameField_, std::to_string(frame_).c_str());
  Idle();
}

HostWindow::~HostWindow() {
  if (IsWindow(render_)) DestroyWindow(render_);
  if (IsWindow(main_)) DestroyWindow(main_);
  g_host = nullptr;
}

void HostWindow::Layout() {
  RECT c;
  GetClientRect(main_, &c);
  for (const BarItem& b : kBarItems)
    MoveWindow(GetDlgItem(main_, b.id), b.x, (kBar - kButtonHeight) / 2, b.width, kButtonHeight, 1);
  const int bodyTop = kBar, bodyBottom = c.bottom - kStatus;
  MoveWindow(list_, kGap, bodyTop + 20, kListWidth, std::max(20, bodyBottom - bodyTop - 20 - kGap), 1);
  const int vx = kListWidth + 2 * kGap;
  const int vw = std::max<int>(2, c.right - vx - kGap), vh = std::max(2, bodyBottom - bodyTop);
  MoveWindow(view_, vx, bodyTop, vw, vh, 1);
  // One drawport pixel per screen pixel; a render shows what the view shows, smaller.
  host::SetDrawportSize(vw, vh);
  const double scale = std::min({1.0, double(kRenderMaxWidth) / vw, double(kRenderMaxHeight) / vh});
  renderWidth_ = std::max(2, static_cast<int>(vw * scale));
  renderHeight_ = std::max(2, static_cast<int>(vh * scale));
  host::SetRenderSize(renderWidth_, renderHeight_);
}

void HostWindow::PaintMain(HDC dc) {
  RECT c;
  GetClientRect(main_, &c);
  const HGDIOBJ old = SelectObject(dc, HostFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawLabel(dc, RECT{110, 0, 156, kBar}, "Frame", DT_LEFT);
  DrawLabel(dc, RECT{kGap, kBar, kGap + kListWidth, kBar + 20}, "Objects", DT_LEFT);
  RECT line{0, c.bottom - kStatus, c.right, c.bottom};
  DrawEdge(dc, &line, BDR_SUNKENOUTER, BF_RECT);
  DrawLabel(dc, RECT{kGap, c.bottom - kStatus, c.right - kGap, c.bottom}, status_, DT_LEFT);
  SelectObject(dc, old);
}

void HostWindow::SetStatus(const std::string& text, int aboutFrame) {
  status_ = text;
  statusFrame_ = aboutFrame;
  RECT c;
  GetClientRect(main_, &c);
  RECT line{0, c.bottom - kStatus, c.right, c.bottom};
  InvalidateRect(main_, &line, 1);
}

void HostWindow::ShowEditorHint() { SetStatus(kShowEditorHint); }

void HostWindow::Idle() {
  const int now = static_cast<int>(tsxAnimGetActiveTime());
  if (now != frame_ && GetFocus() != frameField_) {
    frame_ = now;
    SetWindowText(frameField_, std::to_string(frame_).c_str());
  }
  // News about one frame goes once another is shown.
  if (statusFrame_ >= 0 && statusFrame_ != frame_) SetStatus("");
  std::vector<std::string> names;
  int selected = -1;
  const host::NodeHandle sel = host::Selected();
  for (host::NodeHandle n : host::TopLevelNodes()) {
    if (n == sel) selected = static_cast<int>(names.size());
    names.push_back(host::NodeName(n));
  }
  SetListItems(list_, names);
  SetListSelection(list_, selected);
  tsxAllViewsRefresh();
  ShowViewPixels(std::exchange(viewDrawnOver_, false));
}

void HostWindow::ShowViewPixels(bool force) {
  const host::View& v = host::ActiveView(host::State());
  // Called several times a frame while the plug-in previews: only a changed view converts.
  if (!force && v.width == viewImage_.width && v.height == viewImage_.height && v.pixels == viewBytes_) return;
  viewBytes_ = v.pixels;
  viewImage_ = ViewImage(v);
  const HDC dc = GetDC(view_);
  DrawPixelImage(dc, 0, 0, viewImage_);
  ReleaseDC(view_, dc);
}

void HostWindow::SetFrame(int frame) {
  frame_ = std::clamp(frame, 0, kLastFrame);
  tsxAnimSetActiveTime(static_cast<float>(frame_));
  SetWindowText(frameField_, std::to_string(frame_).c_str());
  Idle();
}

void HostWindow::MoveSelected(int vk) {
  const host::NodeHandle sel = host::Selected();
  if (!sel) return;
  host::Node* n = host::State().scene.FindId(reinterpret_cast<host::NodeId>(sel));
  if (!n || n->parent) return;
  // Left and right along X, up and down along Z (away and nearer), Page Up and Down along Y.
  CtsxVec3f d{0, 0, 0};
  switch (vk) {
    case VK_LEFT: d.x = -kMoveStep; break;
    case VK_RIGHT: d.x = kMoveStep; break;
    case VK_UP: d.z = -kMoveStep; break;
    case VK_DOWN: d.z = kMoveStep; break;
    case VK_PRIOR: d.y = kMoveStep; break;
    case VK_NEXT: d.y = -kMoveStep; break;
    default: return;
  }
  // The whole path moves: keys keep their timing.
  n->position.Offset(d);
  Idle();
}

void HostWindow::RenderFrame() {
  SetStatus("Rendering frame " + std::to_string(frame_) + "...");
  UpdateWindow(main_);
  bool done = false;
  try {
    done = host::Render(static_cast<float>(frame_));
  } catch (const std::exception& e) {
    SetStatus(std::string("Render failed: ") + e.what());
    return;
  }
  if (!done) {
    SetStatus("The render of frame " + std::to_string(frame_) + " was stopped");
    return;
  }
  ShowRender(RenderImage(renderWidth_, renderHeight_), module_.StatusText(), frame_);
  SetStatus("Rendered frame " + std::to_string(frame_), frame_);
}

void HostWindow::ShowRender(const PixelImage& image, const std::string& status, int frame) {
  renderImage_ = image;
  renderStatus_ = status;
  const std::string title = "Render - frame " + std::to_string(frame);
  if (!IsWindow(render_)) {
    const char* cls = RegisterHostClass("HostRender", &HostWindow::RenderProc, COLOR_BTNFACE);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    const RECT frameSize = FrameThickness(style, 0);
    const int w = image.width + frameSize.left + frameSize.right;
    const int h = image.height + kStatus + frameSize.top + frameSize.bottom;
    RECT screen;
    GetWindowRect(GetDesktopWindow(), &screen);
    // Bottom right, clear of the plug-in's windows that open near the top left.
    render_ = CreateWindowEx(0, cls, title.c_str(), style, std::max<int>(0, screen.right - w - 24),
                             std::max<int>(0, screen.bottom - h - 48), w, h, main_, nullptr, nullptr, nullptr);
  }
  SetWindowText(render_, title.c_str());
  InvalidateRect(render_, nullptr, 1);
  ShowWindow(render_, SW_SHOW);
  SetWindowPos(render_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void HostWindow::SceneFile(bool save) {
  std::string file = save && sceneFile_.empty() ? "scene.scn" : sceneFile_;
  for (;;) {
    file = ask_(save ? "Save scene" : "Open scene", file);
    if (file.empty()) return;
    std::error_code ec;
    if (!save || !std::filesystem::exists(std::filesystem::symlink_status(file, ec))) break;
    // As the editor's save dialogs do: an existing file is replaced only when the person says so.
    const std::string question = "\"" + file + "\" already exists.\nDo you want to replace it?";
    if (MessageBox(main_, question.c_str(), "Save scene", MB_YESNO | MB_ICONWARNING) == IDYES) break;
  }
  try {
    if (save) host::SaveScene(file);
    else host::LoadScene(file);
    sceneFile_ = file;
    SetWindowText(main_, ("hostsim - " + file).c_str());
    SetStatus((save ? "Saved " : "Opened ") + file);
  } catch (const std::exception& e) {
    SetStatus(std::string(save ? "Cannot save the scene: " : "Cannot open the scene: ") + e.what());
  }
  Idle();
}

void HostWindow::Command(int id, int code, HWND control) {
  if (id == kIcon) {
    // The plug-in's own answer to a click: the host only passes it on.
    if (code == kClicked) {
      host::ClickIcon(module_.PluginId());
      // The editor shows now: the hint how to show it is done.
      if (status_ == kShowEditorHint) SetStatus("");
    }
    if (code == kRightClicked) host::RightClickIcon(module_.PluginId());
    return;
  }
  if (pluginBusy_) {
    SetStatus("The plug-in is busy: Esc stops its preview");
    return;
  }
  switch (id) {
    case kPrevFrame: SetFrame(frame_ - 1); break;
    case kNextFrame: SetFrame(frame_ + 1); break;
    case kFrameField:
      if (code == kEnter) {
        const std::string text = FieldText(control);
        char* end = nullptr;
        const long f = std::strtol(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == 0) SetFrame(static_cast<int>(std::clamp<long>(f, 0, kLastFrame)));
        else SetWindowText(control, std::to_string(frame_).c_str());
        SetFocus(list_);
      } else if (code == kEscape) {
        SetWindowText(control, std::to_string(frame_).c_str());
        SetFocus(list_);
      }
      break;
    case kRender: RenderFrame(); break;
    case kOpen: SceneFile(false); break;
    case kSave: SceneFile(true); break;
    case kObjects:
      if (code == kSelected) {
        const std::vector<host::NodeHandle> nodes = host::TopLevelNodes();
        const int i = ListSelection(list_);
        if (i >= 0 && i < static_cast<int>(nodes.size())) tsxSelectSobj(static_cast<tsxSOBJ*>(nodes[i]));
        Idle();
      } else if (code == kArrowKey) {
        MoveSelected(ListArrow(list_));
      }
      break;
    default: break;
  }
}

LRESULT HostWindow::MainProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  HostWindow* self = g_host;
  if (!self || (self->main_ && self->main_ != h)) return DefWindowProc(h, m, wp, lp);
  switch (m) {
    case WM_SIZE:
      if (self->view_) self->Layout();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(h, &ps);
      self->PaintMain(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_COMMAND:
      self->Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

LRESULT HostWindow::ViewProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  HostWindow* self = g_host;
  switch (m) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(h, &ps);
      if (self) DrawPixelImage(dc, 0, 0, self->viewImage_);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      // The keys go to the object list: the arrows move the selection.
      if (self) SetFocus(self->list_);
      return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

LRESULT HostWindow::RenderProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  HostWindow* self = g_host;
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(h, &ps);
      if (self) {
        DrawPixelImage(dc, 0, 0, self->renderImage_);
        RECT c;
        GetClientRect(h, &c);
        RECT line{0, c.bottom - kStatus, c.right, c.bottom};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &line, BDR_SUNKENOUTER, BF_RECT);
        const HGDIOBJ old = SelectObject(dc, HostFont());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawLabel(dc, RECT{kGap, line.top, line.right - kGap, line.bottom}, self->renderStatus_, DT_LEFT);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DESTROY:
      if (self && self->render_ == h) self->render_ = nullptr;
      return 0;
    default: return DefWindowProc(h, m, wp, lp);
  }
}

}  // namespace hostui
