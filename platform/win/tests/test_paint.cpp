// The paint cycle: merged invalidation, the BeginPaint clip, erase and frame order,
// RedrawWindow's flags, clipping of children, resizing, window DCs and the compositor.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/compositor.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/region_api.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A class per background (brushes are kept for the life of the process, as classes keep them).
const char* ClassWith(COLORREF background, UINT style = 0, const char* name = nullptr) {
  static std::vector<std::unique_ptr<std::string>> names;
  std::ostringstream os;
  os << (name ? name : "QmPaint") << std::hex << background << "_" << style;
  WNDCLASS existing;
  if (!GetClassInfo(nullptr, os.str().c_str(), &existing)) {
    names.push_back(std::make_unique<std::string>(os.str()));
    WNDCLASS wc;
    wc.style = style;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = names.back()->c_str();
    wc.hbrBackground = background == CLR_INVALID ? nullptr : CreateSolidBrush(background);
    RegisterClass(&wc);
    return names.back()->c_str();
  }
  for (const auto& n : names)
    if (*n == os.str()) return n->c_str();
  return nullptr;
}

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWindowSystem(); }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
    for (WNDPROC p : instances_) FreeProcInstance(p);
  }
  HWND Make(const char* cls, DWORD style, HWND parent, int x, int y, int w, int h, DWORD ex = 0) {
    return CreateWindowEx(ex, cls, "", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }
  void Subclass(HWND h, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, WNDPROC)> f) {
    auto prev = reinterpret_cast<WNDPROC>(GetWindowLong(h, GWL_WNDPROC));
    WNDPROC inst = MakeProcInstance([f, prev](HWND w, UINT m, WPARAM wp, LPARAM lp) { return f(w, m, wp, lp, prev); });
    instances_.push_back(inst);
    SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(inst));
  }
  void Watch(std::vector<UINT> only) {
    log_.clear();
    SetMessageObserver([this, only](HWND h, UINT m, WPARAM, LPARAM) {
      if (std::find(only.begin(), only.end(), m) != only.end()) log_.push_back({h, m});
    });
  }
  static COLORREF Pixel(HWND h, int x, int y) {
    WindowImage img;
    EXPECT_TRUE(CaptureWindow(h, &img));
    return img.At(x, y);
  }
  std::vector<std::pair<HWND, UINT>> log_;
  std::vector<WNDPROC> instances_;
};

TEST_F(PaintTest, InvalidationMergesIntoOneWmPaintClippedToTheUnion) {
  HWND h = Make(ClassWith(kWhite), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 100, 100);
  PumpPendingMessages();
  std::vector<PAINTSTRUCT> paints;
  std::vector<RECT> clipBoxes;
  Subclass(h, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m != WM_PAINT) return CallWindowProc(prev, w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    paints.push_back(ps);
    RECT box;
    GetClipBox(dc, &box);
    clipBoxes.push_back(box);
    RECT all{0, 0, 100, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EndPaint(w, &ps);
    return 0;
  });
  const RECT r1{10, 10, 20, 20}, r2{50, 60, 70, 80};
  InvalidateRect(h, &r1, 0);
  InvalidateRect(h, &r2, 0);
  HRGN upd = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetUpdateRgn(h, upd, 0), COMPLEXREGION);
  HRGN expect = CreateRectRgn(0, 0, 0, 0);
  HRGN a = CreateRectRgnIndirect(&r1);
  HRGN b = CreateRectRgnIndirect(&r2);
  CombineRgn(expect, a, b, RGN_OR);
  EXPECT_TRUE(EqualRgn(upd, expect));
  RECT bounds;
  EXPECT_TRUE(GetUpdateRect(h, &bounds, 0));
  EXPECT_EQ(bounds, (RECT{10, 10, 70, 80}));
  for (HRGN r : {upd, expect, a, b}) DeleteObject(r);

  PumpPendingMessages();
  ASSERT_EQ(paints.size(), 1u);
  EXPECT_EQ(paints[0].rcPaint, (RECT{10, 10, 70, 80}));
  EXPECT_EQ(clipBoxes[0], (RECT{10, 10, 70, 80}));
  EXPECT_FALSE(paints[0].fErase);
  // Only the two rectangles were drawn, not the box around them.
  EXPECT_EQ(Pixel(h, 15, 15), kBlack);
  EXPECT_EQ(Pixel(h, 69, 79), kBlack);
  EXPECT_EQ(Pixel(h, 30, 30), kWhite);
  EXPECT_EQ(Pixel(h, 5, 5), kWhite);
  EXPECT_EQ(Pixel(h, 20, 20), kWhite);
  EXPECT_FALSE(GetUpdateRect(h, &bounds, 0));
  PumpPendingMessages();
  EXPECT_EQ(paints.size(), 1u);
  // A clip removed inside the paint bracket does not reach beyond the update region.
  Subclass(h, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m != WM_PAINT) return CallWindowProc(prev, w, m, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    SelectClipRgn(dc, nullptr);
    RECT all{0, 0, 100, 100};
    FillRect(dc, &all, GetSysColorBrush(COLOR_HIGHLIGHT));
    EndPaint(w, &ps);
    return 0;
  });
  const RECT r3{90, 0, 100, 10};
  InvalidateRect(h, &r3, 0);
  PumpPendingMessages();
  EXPECT_EQ(Pixel(h, 95, 5), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(Pixel(h, 30, 30), kWhite);
}

TEST_F(PaintTest, ShowingPaintsFrameThenBackgroundThenClient) {
  HWND top = Make(ClassWith(kWhite), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 200, 200);
  PumpPendingMessages();
  // Frame and background while being shown, the client from the queue.
  Watch({WM_NCPAINT, WM_ERASEBKGND, WM_PAINT, WM_SHOWWINDOW, WM_WINDOWPOSCHANGED});
  HWND child = Make(ClassWith(kGreen), WS_CHILD | WS_CAPTION | WS_VISIBLE, top, 10, 10, 120, 80);
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{
                      {child, WM_SHOWWINDOW}, {child, WM_NCPAINT}, {child, WM_ERASEBKGND}, {child, WM_WINDOWPOSCHANGED}}));
  log_.clear();
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{child, WM_PAINT}}));
  // Invalidated later, BeginPaint erases inside WM_PAINT.
  InvalidateRect(child, nullptr, 1);
  log_.clear();
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{child, WM_PAINT}, {child, WM_ERASEBKGND}}));

  HWND h = Make(ClassWith(kGreen), WS_CAPTION | WS_VISIBLE, nullptr, 10, 10, 120, 80);
  PumpPendingMessages();
  const int b = GetSystemMetrics(SM_CXDLGFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(Pixel(h, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(Pixel(h, 1, 40), GetSysColor(COLOR_ACTIVEBORDER));
  EXPECT_EQ(Pixel(h, 110, b + 2), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(Pixel(h, b + 5, b + cap + 5), kGreen);
  // Losing the activation repaints the caption in the inactive colour.
  HWND other = Make(ClassWith(kGreen), WS_POPUP | WS_VISIBLE, nullptr, 300, 300, 10, 10);
  EXPECT_EQ(GetActiveWindow(), other);
  PumpPendingMessages();
  EXPECT_EQ(Pixel(h, 110, b + 2), GetSysColor(COLOR_INACTIVECAPTION));

  // Without a class background nothing is erased, and BeginPaint says so.
  HWND bare = Make(ClassWith(CLR_INVALID), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 20, 20);
  BOOL erase = 0;
  Subclass(bare, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m != WM_PAINT) return CallWindowProc(prev, w, m, wp, lp);
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    erase = ps.fErase;
    EndPaint(w, &ps);
    return 0;
  });
  PumpPendingMessages();
  EXPECT_TRUE(erase);
}

TEST_F(PaintTest, RedrawWindowFlagsAndChildren) {
  HWND p = Make(ClassWith(kWhite), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 100, 100);
  HWND c = Make(ClassWith(kBlue), WS_CHILD | WS_VISIBLE, p, 20, 20, 40, 40);
  PumpPendingMessages();
  RECT under{25, 25, 30, 30}, r;
  // Without WS_CLIPCHILDREN the children under the area are invalidated too.
  InvalidateRect(p, &under, 0);
  EXPECT_TRUE(GetUpdateRect(c, &r, 0));
  EXPECT_EQ(r, (RECT{5, 5, 10, 10}));
  ValidateRect(p, nullptr);
  ValidateRect(c, nullptr);
  SetWindowLong(p, GWL_STYLE, GetWindowLong(p, GWL_STYLE) | WS_CLIPCHILDREN);
  InvalidateRect(p, &under, 0);
  EXPECT_FALSE(GetUpdateRect(c, &r, 0));
  RedrawWindow(p, &under, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  EXPECT_TRUE(GetUpdateRect(c, &r, 0));

  // RDW_UPDATENOW paints at once, parent before child, without the queue.
  Watch({WM_PAINT, WM_ERASEBKGND});
  RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{p, WM_PAINT}, {p, WM_ERASEBKGND}, {c, WM_PAINT}, {c, WM_ERASEBKGND}}));
  EXPECT_EQ(PendingMessageCount(), 0u);
  Watch({WM_PAINT});
  PumpPendingMessages();
  EXPECT_TRUE(log_.empty());

  // RDW_ERASENOW erases now and leaves the painting for later.
  Watch({WM_PAINT, WM_ERASEBKGND});
  RedrawWindow(p, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_ERASENOW);
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{p, WM_ERASEBKGND}}));
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{p, WM_ERASEBKGND}, {p, WM_PAINT}}));

  // An internal paint comes with an empty update region.
  RECT seen{1, 1, 1, 1};
  Subclass(p, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m != WM_PAINT) return CallWindowProc(prev, w, m, wp, lp);
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    seen = ps.rcPaint;
    EndPaint(w, &ps);
    return 0;
  });
  RedrawWindow(p, nullptr, nullptr, RDW_INTERNALPAINT);
  PumpPendingMessages();
  EXPECT_EQ(seen, (RECT{0, 0, 0, 0}));
  // Hidden windows are not painted until shown.
  ShowWindow(c, SW_HIDE);
  PumpPendingMessages();
  InvalidateRect(c, nullptr, 1);
  Watch({WM_PAINT});
  PumpPendingMessages();
  EXPECT_TRUE(log_.empty());
  ShowWindow(c, SW_SHOW);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{c, WM_PAINT}}));
}

TEST_F(PaintTest, ClipChildrenKeepsTheParentsDrawingOffItsChildren) {
  for (const bool clip : {true, false}) {
    SCOPED_TRACE(clip ? "clip children" : "no clip");
    HWND p = Make(ClassWith(kWhite), WS_POPUP | WS_VISIBLE | (clip ? WS_CLIPCHILDREN : 0), nullptr, 0, 0, 100, 100);
    HWND c = Make(ClassWith(kBlue), WS_CHILD | WS_VISIBLE, p, 20, 20, 40, 40);
    UpdateWindow(p);
    HDC dc = GetDC(p);
    RECT all{0, 0, 100, 100};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 30, 30), clip ? CLR_INVALID : kBlack);
    ReleaseDC(p, dc);
    EXPECT_EQ(Pixel(p, 30, 30), kBlue);  // the child covers the spot either way
    EXPECT_EQ(Pixel(p, 5, 5), kBlack);
    // Moved away without redrawing: the parent's own pixels show.
    SetWindowPos(c, nullptr, 200, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
    EXPECT_EQ(Pixel(p, 30, 30), clip ? kWhite : kBlack);
    // Moved back and away again with redrawing: the uncovered area is erased at once and
    // due for painting.
    SetWindowPos(c, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
    ShowWindow(c, SW_HIDE);
    EXPECT_EQ(Pixel(p, 30, 30), kWhite);
    RECT r;
    EXPECT_TRUE(GetUpdateRect(p, &r, 0));
    EXPECT_EQ(r, (RECT{20, 20, 60, 60}));
    DestroyWindow(p);
  }
}

TEST_F(PaintTest, ResizingKeepsPixelsAndInvalidatesWhatTheClassAsksFor) {
  HWND h = Make(ClassWith(kWhite), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 50, 50);
  UpdateWindow(h);
  HDC dc = GetDC(h);
  RECT all{0, 0, 50, 50};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetWindowPos(h, nullptr, 0, 0, 80, 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Pixel(h, 10, 10), kBlack);
  EXPECT_EQ(Pixel(h, 70, 55), kWhite);
  HRGN upd = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(h, upd, 0);
  HRGN grown = CreateRectRgn(0, 0, 80, 60);
  HRGN old = CreateRectRgn(0, 0, 50, 50);
  CombineRgn(grown, grown, old, RGN_DIFF);
  EXPECT_TRUE(EqualRgn(upd, grown));
  // The DC taken before the resize draws into the new buffer.
  RECT corner{70, 50, 80, 60};
  FillRect(dc, &corner, GetSysColorBrush(COLOR_HIGHLIGHT));
  EXPECT_EQ(Pixel(h, 75, 55), GetSysColor(COLOR_HIGHLIGHT));

  HWND redraw = Make(ClassWith(kWhite, CS_HREDRAW), WS_POPUP | WS_VISIBLE, nullptr, 0, 0, 50, 50);
  UpdateWindow(redraw);
  SetWindowPos(redraw, nullptr, 0, 0, 60, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT r;
  GetUpdateRect(redraw, &r, 0);
  EXPECT_EQ(r, (RECT{0, 0, 60, 50}));

  // A DC outliving its window draws nothing and can still be released once.
  DestroyWindow(h);
  EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
  EXPECT_EQ(WindowFromDC(dc), nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
  for (HRGN x : {upd, grown, old}) DeleteObject(x);
  EXPECT_EQ(GetDC(nullptr), ScreenDC());

  // An absurd size (from a damaged form, say) gets a bounded buffer, not a failure.
  HWND huge = Make(ClassWith(kWhite), WS_POPUP, nullptr, 0, 0, 1 << 30, 1 << 30);
  HDC hdc = GetDC(huge);
  RECT big{0, 0, 1 << 30, 1 << 30};
  EXPECT_TRUE(FillRect(hdc, &big, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  EXPECT_EQ(GetPixel(hdc, 10, 10), kBlack);
  RECT box;
  GetClipBox(hdc, &box);
  EXPECT_LE(std::int64_t{box.right} * box.bottom, std::int64_t{1} << 24);
  ReleaseDC(huge, hdc);
}

// Reads a PNG back through netpbm, as plain text.
std::vector<COLORREF> ReadPng(const std::string& path, int* w, int* h) {
  std::vector<COLORREF> out;
  const std::string cmd = "pngtopnm -plain '" + path + "' 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return out;
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  pclose(f);
  std::istringstream in(text);
  std::string magic;
  int maxval = 0;
  in >> magic >> *w >> *h >> maxval;
  if (magic != "P3" || maxval != 255) return {};
  for (int i = 0; i < *w * *h; ++i) {
    int r, g, b;
    if (!(in >> r >> g >> b)) return {};
    out.push_back(RGB(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b)));
  }
  return out;
}

TEST_F(PaintTest, TheCompositorPutsAWindowAndItsChildrenTogetherAndWritesAPng) {
  HWND top = Make(ClassWith(kRed), WS_POPUP | WS_VISIBLE, nullptr, 40, 40, 60, 40);
  HWND blue = Make(ClassWith(kBlue), WS_CHILD | WS_VISIBLE, top, 10, 10, 20, 10);
  HWND green = Make(ClassWith(kGreen), WS_CHILD | WS_VISIBLE, top, 25, 5, 20, 10);
  HWND outside = Make(ClassWith(kBlue), WS_CHILD | WS_VISIBLE, top, 50, 30, 20, 20);  // sticks out
  Watch({WM_PAINT});
  UpdateWindow(top);
  EXPECT_EQ(log_, (std::vector<std::pair<HWND, UINT>>{{top, WM_PAINT}, {outside, WM_PAINT}, {green, WM_PAINT}, {blue, WM_PAINT}}));
  WindowImage img;
  ASSERT_TRUE(CaptureWindow(top, &img));
  EXPECT_EQ(img.width, 60);
  EXPECT_EQ(img.height, 40);
  EXPECT_EQ(img.At(0, 0), kRed);
  EXPECT_EQ(img.At(15, 15), kBlue);
  EXPECT_EQ(img.At(27, 12), kGreen);  // the later child is on top
  EXPECT_EQ(img.At(55, 35), kBlue);
  EXPECT_EQ(img.At(60, 0), CLR_INVALID);

  const std::string path =
      (std::filesystem::temp_directory_path() / ("qm_win_compositor_" + std::to_string(::getpid()) + ".png")).string();
  std::string error;
  ASSERT_TRUE(WriteWindowToPng(top, path, &error)) << error;
  int w = 0, h = 0;
  const std::vector<COLORREF> png = ReadPng(path, &w, &h);
  std::filesystem::remove(path);
  ASSERT_EQ(w, 60);
  ASSERT_EQ(h, 40);
  ASSERT_EQ(png.size(), 2400u);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(png[static_cast<std::size_t>(y * w + x)], img.At(x, y)) << x << "," << y;

  // A window region shows the desktop outside it, and cuts the children with it.
  SetWindowRgn(top, CreateEllipticRgn(0, 0, 60, 40), 1);
  ASSERT_TRUE(CaptureWindow(top, &img));
  EXPECT_EQ(img.At(0, 0), GetSysColor(COLOR_DESKTOP));
  EXPECT_EQ(img.At(59, 39), GetSysColor(COLOR_DESKTOP));
  EXPECT_EQ(img.At(30, 20), kRed);
  SetWindowRgn(blue, CreateRectRgn(0, 0, 5, 10), 1);
  ASSERT_TRUE(CaptureWindow(top, &img));
  EXPECT_EQ(img.At(12, 15), kBlue);
  EXPECT_EQ(img.At(20, 15), kRed);
  EXPECT_FALSE(WriteWindowToPng(nullptr, path, &error));
}

// The close box's cross: two 45-degree diagonals two pixels thick, centred in the box, in
// the big caption and in a tool window's small one alike (never flattened to fit).
TEST_F(PaintTest, TheCloseBoxCrossIsSquareAndCentredInEveryCaption) {
  struct Row {
    const char* what;
    DWORD exStyle;
    RECT inner;  // the box inside its raised edge, in window pixels
    RECT cross;  // the cross's pixels, right and bottom inclusive
  };
  // A 120-pixel-wide window with a dialog frame of 3: the box ends 2 pixels inside it and
  // is as tall as the caption less 4.
  const Row rows[] = {
      {"caption", 0, {100, 7, 113, 18}, {101, 8, 110, 16}},
      {"tool window caption", WS_EX_TOOLWINDOW, {104, 7, 113, 14}, {105, 8, 110, 12}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    HWND h = Make(ClassWith(kGreen), WS_CAPTION | WS_SYSMENU | WS_VISIBLE, nullptr, 10, 10, 120, 80, r.exStyle);
    PumpPendingMessages();
    WindowImage img;
    ASSERT_TRUE(CaptureWindow(h, &img));
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    RECT found{1000, 1000, -1, -1};
    for (int y = r.inner.top; y < r.inner.bottom; ++y)
      for (int x = r.inner.left; x < r.inner.right; ++x)
        if (img.At(x, y) == ink)
          found = RECT{std::min<int>(found.left, x), std::min<int>(found.top, y), std::max<int>(found.right, x),
                       std::max<int>(found.bottom, y)};
    EXPECT_EQ(found, r.cross);
    // The four tips, and the background between two of them.
    EXPECT_EQ(img.At(r.cross.left, r.cross.top), ink);
    EXPECT_EQ(img.At(r.cross.right, r.cross.top), ink);
    EXPECT_EQ(img.At(r.cross.left, r.cross.bottom), ink);
    EXPECT_EQ(img.At(r.cross.right, r.cross.bottom), ink);
    EXPECT_EQ(img.At((r.cross.left + r.cross.right) / 2, r.cross.top), GetSysColor(COLOR_BTNFACE));
    DestroyWindow(h);
  }
}

}  // namespace
