#pragma once
// The host on the screen, as a small modeller shows it: a bar with the plug-in's icon,
// the current frame, Render and the scene's files; the list of the scene's objects; the
// main view, drawn from the active camera whenever the scene or the time changes; a
// status line. Rendered frames open in a window of their own.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/hostsim/desktop/pixel_image.h"
#include "platform/win/window.h"

class ModuleSession;

namespace hostui {

class HostWindow {
 public:
  // `ask` asks the person for a file name (title, proposal); empty when cancelled.
  using AskFileName = std::function<std::string(const std::string& title, const std::string& proposal)>;
  HostWindow(ModuleSession& module, int screenWidth, int screenHeight, AskFileName ask);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  win::HWND Main() const { return main_; }
  win::HWND View() const { return view_; }
  win::HWND RenderWindow() const { return render_; }
  // The host's idle work: the view redrawn, the object list and the frame brought up to date.
  void Idle();
  // The view's pixels into its window when they changed since the last call, or always
  // with `force`.
  void ShowViewPixels(bool force = false);
  // While set, the plug-in runs a loop of its own: the host's own commands wait. Such a
  // loop (the preview) draws into the view's window, so the next idle draws the scene again.
  void SetPluginBusy(bool busy) {
    pluginBusy_ = busy;
    if (busy) viewDrawnOver_ = true;
  }
  // The status line; news about one frame (`aboutFrame`) goes when another frame shows.
  void SetStatus(const std::string& text, int aboutFrame = -1);
  // The first status: how to show the plug-in's editor, until it shows.
  void ShowEditorHint();
  // Places the controls and sizes the view's drawport to its window and the render to
  // the view's shape within 640 x 480.
  void Layout();

 private:
  static win::LRESULT MainProc(win::HWND h, win::UINT m, win::WPARAM wp, win::LPARAM lp);
  static win::LRESULT ViewProc(win::HWND h, win::UINT m, win::WPARAM wp, win::LPARAM lp);
  static win::LRESULT RenderProc(win::HWND h, win::UINT m, win::WPARAM wp, win::LPARAM lp);
  void PaintMain(win::HDC dc);
  void Command(int id, int code, win::HWND control);
  void SetFrame(int frame);
  void MoveSelected(int vk);
  void RenderFrame();
  void SceneFile(bool save);  // Open scene... or Save scene...
  void ShowRender(const PixelImage& image, const std::string& status, int frame);

  ModuleSession& module_;
  AskFileName ask_;
  win::HWND main_ = nullptr, view_ = nullptr, list_ = nullptr, frameField_ = nullptr, render_ = nullptr;
  PixelImage viewImage_;    // what the view window shows
  std::vector<std::uint8_t> viewBytes_;  // the host's view pixels it was made from
  PixelImage renderImage_;  // the last rendered frame
  std::string renderStatus_;
  std::string status_;
  int statusFrame_ = -1;
  std::string sceneFile_;
  int frame_ = 0;
  int renderWidth_ = 0, renderHeight_ = 0;
  bool pluginBusy_ = false;
  bool viewDrawnOver_ = false;
};

}  // namespace hostui
