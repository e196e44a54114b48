// Windows: creation and destruction order, stale handles, subclassing, geometry, the
// tree and window longs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/region_api.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

using namespace win;

namespace {

constexpr const char* kClass = "QmWindowsTest";

struct Recorded {
  HWND hwnd;
  UINT msg;
  friend bool operator==(const Recorded&, const Recorded&) = default;
};

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    WNDCLASS wc;
    wc.lpfnWndProc = &DefWindowProc;
    wc.lpszClassName = kClass;
    wc.cbWndExtra = 16;
    WNDCLASS existing;
    if (!GetClassInfo(nullptr, kClass, &existing)) {
      ASSERT_NE(RegisterClass(&wc), 0);
    }
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
    for (WNDPROC p : instances_) FreeProcInstance(p);
  }

  HWND Make(DWORD style, HWND parent = nullptr, int x = 0, int y = 0, int w = 100, int h = 80, const char* text = "") {
    return CreateWindowEx(0, kClass, text, style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }

  // Records the given messages (all when `only` is empty) handed to any window.
  void Watch(std::vector<UINT> only) {
    log_.clear();
    SetMessageObserver([this, only](HWND h, UINT m, WPARAM, LPARAM) {
      if (only.empty() || std::find(only.begin(), only.end(), m) != only.end()) log_.push_back({h, m});
    });
  }

  // Replaces the window's procedure; `f` gets the previous one to pass messages on.
  void Subclass(HWND h, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, WNDPROC)> f) {
    auto prev = reinterpret_cast<WNDPROC>(GetWindowLong(h, GWL_WNDPROC));
    WNDPROC inst = MakeProcInstance([f, prev](HWND w, UINT m, WPARAM wp, LPARAM lp) { return f(w, m, wp, lp, prev); });
    ASSERT_NE(inst, nullptr);
    instances_.push_back(inst);
    SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(inst));
  }

  std::vector<Recorded> log_;
  std::vector<WNDPROC> instances_;
};

TEST_F(WindowsTest, CreationSendsItsMessagesInOrderAndFailuresUndoIt) {
  Watch({WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_DESTROY, WM_NCDESTROY});
  HWND h = Make(WS_OVERLAPPED, nullptr, 10, 20, 100, 80, "Title");
  ASSERT_TRUE(IsWindow(h));
  const std::vector<Recorded> hidden{{h, WM_NCCREATE}, {h, WM_NCCALCSIZE}, {h, WM_CREATE}, {h, WM_SIZE}, {h, WM_MOVE}};
  EXPECT_EQ(log_, hidden);
  EXPECT_EQ(GetWindowTextString(h), "Title");  // stored by the default WM_NCCREATE

  Watch({WM_SHOWWINDOW});
  HWND shown = Make(WS_OVERLAPPED | WS_VISIBLE);
  EXPECT_EQ(log_, (std::vector<Recorded>{{shown, WM_SHOWWINDOW}}));
  EXPECT_TRUE(IsWindowVisible(shown));

  // A window procedure can refuse to be made, at either step.
  static int refuse = 0;
  WNDCLASS wc;
  wc.lpszClassName = "QmRefusing";
  wc.lpfnWndProc = [](HWND hw, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_NCCREATE && refuse == 1) return 0;
    if (m == WM_CREATE && refuse == 2) return -1;
    return DefWindowProc(hw, m, w, l);
  };
  WNDCLASS existing;
  if (!GetClassInfo(nullptr, wc.lpszClassName, &existing)) {
    ASSERT_NE(RegisterClass(&wc), 0);
  }
  refuse = 1;
  Watch({WM_DESTROY, WM_NCDESTROY});
  EXPECT_EQ(CreateWindowEx(0, "QmRefusing", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].msg, UINT{WM_NCDESTROY});
  const HWND gone = log_[0].hwnd;
  EXPECT_FALSE(IsWindow(gone));
  refuse = 2;
  Watch({WM_DESTROY, WM_NCDESTROY});
  EXPECT_EQ(CreateWindowEx(0, "QmRefusing", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0].msg, UINT{WM_DESTROY});
  EXPECT_EQ(log_[1].msg, UINT{WM_NCDESTROY});
  refuse = 0;

  // Unknown classes, dead parents.
  EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(Make(WS_CHILD, gone), nullptr);
  EXPECT_EQ(Make(WS_CHILD, nullptr), nullptr);
}

TEST_F(WindowsTest, DestroyGoesParentFirstForDestroyAndChildrenFirstForNcDestroy) {
  HWND top = Make(WS_OVERLAPPED | WS_VISIBLE);
  HWND a = Make(WS_CHILD | WS_VISIBLE, top);
  HWND b = Make(WS_CHILD | WS_VISIBLE, top);
  HWND a1 = Make(WS_CHILD | WS_VISIBLE, a);
  HWND owned = Make(WS_POPUP, top);
  ASSERT_TRUE(a && b && a1 && owned);
  Watch({WM_DESTROY, WM_NCDESTROY});
  EXPECT_TRUE(DestroyWindow(top));
  // Owned windows go first; children are visited top of the z-order first (b was made last).
  const std::vector<Recorded> expected{
      {owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {top, WM_DESTROY},   {b, WM_DESTROY},
      {a, WM_DESTROY},     {a1, WM_DESTROY},      {b, WM_NCDESTROY},   {a1, WM_NCDESTROY},
      {a, WM_NCDESTROY},   {top, WM_NCDESTROY}};
  EXPECT_EQ(log_, expected);
  for (HWND h : {top, a, b, a1, owned}) EXPECT_FALSE(IsWindow(h));

  // Stale handles are refused everywhere, and never reused for new windows.
  EXPECT_EQ(SendMessage(a, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(SetWindowText(a, "x"));
  EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
  EXPECT_EQ(GetParent(a1), nullptr);
  EXPECT_FALSE(DestroyWindow(top));
  EXPECT_FALSE(ShowWindow(b, SW_SHOW));
  const std::vector<HWND> dead{top, a, b, a1, owned};
  for (int i = 0; i < 50; ++i) {
    HWND fresh = Make(0);
    EXPECT_EQ(std::find(dead.begin(), dead.end(), fresh), dead.end());
  }
}

TEST_F(WindowsTest, AWindowFreeingItselfInItsDestroyGetsEachMessageOnce) {
  HWND top = Make(WS_OVERLAPPED);
  HWND child = Make(WS_CHILD, top);
  int destroys = 0, ncdestroys = 0;
  Subclass(child, [&](HWND h, UINT m, WPARAM w, LPARAM l, WNDPROC prev) -> LRESULT {
    if (m == WM_DESTROY) {
      ++destroys;
      DestroyWindow(h);  // as an object that frees itself (and its window) on WM_DESTROY
    }
    if (m == WM_NCDESTROY) ++ncdestroys;
    return CallWindowProc(prev, h, m, w, l);
  });
  DestroyWindow(top);
  EXPECT_EQ(destroys, 1);
  EXPECT_EQ(ncdestroys, 1);
  EXPECT_FALSE(IsWindow(child));
}

TEST_F(WindowsTest, SubclassingPassesOnWithCallWindowProcAndInstancesFallBackWhenFreed) {
  HWND h = Make(WS_OVERLAPPED);
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLong(h, GWL_WNDPROC));
  EXPECT_EQ(original, &DefWindowProc);
  int seen = 0;
  Subclass(h, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m == WM_SETTEXT) {
      ++seen;
      std::string up = reinterpret_cast<const char*>(lp);
      for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return CallWindowProc(prev, w, m, wp, reinterpret_cast<LPARAM>(up.c_str()));
    }
    return CallWindowProc(prev, w, m, wp, lp);
  });
  // A second layer on top of the first.
  int outer = 0;
  Subclass(h, [&](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m == WM_GETTEXTLENGTH) ++outer;
    return CallWindowProc(prev, w, m, wp, lp);
  });
  SetWindowText(h, "mixed Case");
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(GetWindowTextString(h), "MIXED CASE");
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(CallWindowProc(nullptr, h, WM_GETTEXTLENGTH, 0, 0), 0);

  // Restoring the original procedure leaves both layers out.
  SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  SetWindowText(h, "lower");
  EXPECT_EQ(GetWindowTextString(h), "lower");
  EXPECT_EQ(seen, 1);

  // A freed instance behaves as the default procedure.
  WNDPROC inst = MakeProcInstance([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 77; });
  EXPECT_EQ(CallWindowProc(inst, h, WM_USER, 0, 0), 77);
  FreeProcInstance(inst);
  EXPECT_EQ(CallWindowProc(inst, h, WM_GETTEXTLENGTH, 0, 0), 5);
}

TEST_F(WindowsTest, ClientAreaFollowsTheFrameAndWmNcCalcSize) {
  HWND framed = Make(WS_CAPTION | WS_THICKFRAME, nullptr, 0, 0, 200, 100);
  RECT c;
  GetClientRect(framed, &c);
  const int f = GetSystemMetrics(SM_CXFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
  EXPECT_EQ(c, (RECT{0, 0, 200 - 2 * f, 100 - 2 * f - cap}));
  POINT p{0, 0};
  ClientToScreen(framed, &p);
  EXPECT_EQ(p, (POINT{f, f + cap}));

  HWND edged = CreateWindowEx(WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW, kClass, "", WS_CAPTION | WS_BORDER, 0, 0, 100, 100,
                              nullptr, nullptr, nullptr, nullptr);
  GetClientRect(edged, &c);
  const int b = GetSystemMetrics(SM_CXDLGFRAME), e = GetSystemMetrics(SM_CXEDGE), sc = GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(c, (RECT{0, 0, 100 - 2 * (b + e), 100 - 2 * (b + e) - sc}));

  // A window shrinking its client area further, as a bevelled scroll box does.
  HWND box = Make(WS_CHILD | WS_BORDER, framed, 5, 5, 60, 40);
  Subclass(box, [](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    const LRESULT r = CallWindowProc(prev, w, m, wp, lp);
    if (m == WM_NCCALCSIZE && wp) {
      RECT& rc = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0];
      rc.left += 2;
      rc.top += 2;
      rc.right -= 3;
      rc.bottom -= 3;
    }
    return r;
  });
  SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(box, &c);
  EXPECT_EQ(c, (RECT{0, 0, 60 - 2 - 5, 40 - 2 - 5}));
  // An answer outside the window is kept inside it.
  Subclass(box, [](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m == WM_NCCALCSIZE && wp) {
      RECT& rc = reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0];
      rc = RECT{rc.right + 50, rc.top - 50, rc.left - 10, rc.bottom + 900};
      return 0;
    }
    return CallWindowProc(prev, w, m, wp, lp);
  });
  SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(box, &c);
  EXPECT_GE(c.right, 0);
  EXPECT_GE(c.bottom, 0);
  RECT wr;
  GetWindowRect(box, &wr);
  POINT o{0, 0};
  ClientToScreen(box, &o);
  EXPECT_GE(o.x, wr.left);
  EXPECT_LE(o.x + c.right, wr.right);
  EXPECT_LE(o.y + c.bottom, wr.bottom);
}

TEST_F(WindowsTest, SetWindowPosSendsSizeAndMoveOnlyForRealChanges) {
  HWND top = Make(WS_OVERLAPPED | WS_VISIBLE, nullptr, 0, 0, 300, 300);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, 10, 10, 50, 50);
  std::vector<std::pair<UINT, LPARAM>> got;
  SetMessageObserver([&](HWND h, UINT m, WPARAM, LPARAM l) {
    if (h != child) return;
    if (m == WM_SIZE || m == WM_MOVE) got.push_back({m, l});
    if (m == WM_WINDOWPOSCHANGING || m == WM_WINDOWPOSCHANGED || m == WM_NCCALCSIZE) got.push_back({m, 0});
  });
  using Seen = std::vector<std::pair<UINT, LPARAM>>;
  SetWindowPos(child, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(got, (Seen{{WM_WINDOWPOSCHANGING, 0}, {WM_WINDOWPOSCHANGED, 0}, {WM_MOVE, MAKELPARAM(20, 30)}}));
  got.clear();
  MoveWindow(child, 20, 30, 70, 40, 1);
  EXPECT_EQ(got, (Seen{{WM_WINDOWPOSCHANGING, 0},
                       {WM_NCCALCSIZE, 0},
                       {WM_WINDOWPOSCHANGED, 0},
                       {WM_SIZE, MAKELPARAM(70, 40)}}));
  got.clear();
  MoveWindow(child, 20, 30, 70, 40, 1);  // nothing changes
  EXPECT_EQ(got, (Seen{{WM_WINDOWPOSCHANGING, 0}, {WM_WINDOWPOSCHANGED, 0}}));

  // WM_WINDOWPOSCHANGING may change the request.
  got.clear();
  Subclass(child, [](HWND w, UINT m, WPARAM wp, LPARAM lp, WNDPROC prev) -> LRESULT {
    if (m == WM_WINDOWPOSCHANGING) {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      pos->cx = std::min(pos->cx, 100);
    }
    return CallWindowProc(prev, w, m, wp, lp);
  });
  MoveWindow(child, 0, 0, 500, 20, 1);
  RECT r;
  GetClientRect(child, &r);
  EXPECT_EQ(r, (RECT{0, 0, 100, 20}));
  GetWindowRect(child, &r);
  EXPECT_EQ(r, (RECT{0, 0, 100, 20}));  // the parent has no frame and sits at the origin
}

TEST_F(WindowsTest, TreeAndZOrderNavigation) {
  HWND top = Make(WS_OVERLAPPED);
  HWND a = Make(WS_CHILD, top);
  HWND b = Make(WS_CHILD, top);
  HWND c = Make(WS_CHILD, top);
  SetWindowLong(a, GWL_ID, 11);
  SetWindowLong(c, GWL_ID, 13);
  // New children go on top.
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetTopWindow(top), a);
  SetWindowPos(a, c, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);

  EXPECT_EQ(GetDlgItem(top, 13), c);
  EXPECT_EQ(GetDlgCtrlID(a), 11);
  EXPECT_TRUE(IsChild(top, a));
  EXPECT_FALSE(IsChild(a, top));
  EXPECT_EQ(GetAncestor(a, GA_ROOT), top);
  EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetParent(top), nullptr);

  // Reparenting keeps the tree a tree.
  HWND a1 = Make(WS_CHILD, a);
  EXPECT_EQ(SetParent(a, a1), nullptr);
  EXPECT_EQ(SetParent(a, a), nullptr);
  EXPECT_EQ(SetParent(a1, b), a);
  EXPECT_EQ(GetParent(a1), b);
  EXPECT_TRUE(IsChild(top, a1));

  std::vector<HWND> all;
  EnumChildWindows(top, [&](HWND h) {
    all.push_back(h);
    return true;
  });
  EXPECT_EQ(all.size(), 4u);

  // Owned windows sit above their owner.
  HWND owner = Make(WS_OVERLAPPED | WS_VISIBLE);
  HWND popup = Make(WS_POPUP | WS_VISIBLE, owner);
  HWND other = Make(WS_OVERLAPPED | WS_VISIBLE);
  EXPECT_EQ(GetTopWindow(nullptr), other);
  BringWindowToTop(owner);
  EXPECT_EQ(GetTopWindow(nullptr), popup);
  EXPECT_EQ(GetWindow(popup, GW_HWNDNEXT), owner);
  EXPECT_EQ(GetParent(popup), owner);
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
}

TEST_F(WindowsTest, WindowLongsGuardTheirBoundsAndStyleChangesAreAnnounced) {
  HWND h = Make(WS_OVERLAPPED);
  EXPECT_EQ(SetWindowLong(h, 0, 0x1234), 0);
  EXPECT_EQ(GetWindowLong(h, 0), 0x1234);
  EXPECT_EQ(SetWindowLong(h, 8, -5), 0);
  EXPECT_EQ(GetWindowLong(h, 8), -5);
  // 16 extra bytes: a pointer-sized value at 9 would run past them.
  EXPECT_EQ(SetWindowLong(h, 9, 1), 0);
  EXPECT_EQ(GetWindowLong(h, 9), 0);
  EXPECT_EQ(GetWindowLong(h, 1000), 0);
  EXPECT_EQ(SetWindowLong(h, GWL_USERDATA, 99), 0);
  EXPECT_EQ(GetWindowLong(h, GWL_USERDATA), 99);

  std::vector<std::pair<UINT, STYLESTRUCT>> seen;
  SetMessageObserver([&](HWND w, UINT m, WPARAM, LPARAM l) {
    if (w == h && (m == WM_STYLECHANGING || m == WM_STYLECHANGED))
      seen.push_back({m, *reinterpret_cast<const STYLESTRUCT*>(l)});
  });
  SetWindowLong(h, GWL_STYLE, WS_OVERLAPPED | WS_CLIPCHILDREN);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, UINT{WM_STYLECHANGING});
  EXPECT_EQ(seen[1].second.styleNew, WS_CLIPCHILDREN);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLong(h, GWL_STYLE)), WS_CLIPCHILDREN);
  // The owner chain may not loop back.
  HWND p = Make(WS_POPUP, h);
  EXPECT_EQ(SetWindowLong(h, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(p)), 0);
  EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
}

TEST_F(WindowsTest, TextIsTruncatedToTheBuffer) {
  HWND h = Make(WS_OVERLAPPED, nullptr, 0, 0, 10, 10, "abcdef");
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetWindowText(h, buf, 4), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(GetWindowText(h, buf, 0), 0);
  EXPECT_EQ(GetWindowTextLength(h), 6);
  SetWindowText(h, nullptr);
  EXPECT_EQ(GetWindowTextString(h), "");
  char cls[64];
  EXPECT_EQ(GetClassName(h, cls, 64), static_cast<int>(std::string(kClass).size()));
  EXPECT_STREQ(cls, kClass);
}

TEST_F(WindowsTest, MinimiseMaximiseAndRestoreKeepTheNormalRectangle) {
  HWND h = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 30, 40, 200, 150);
  std::vector<WPARAM> sizes;
  SetMessageObserver([&](HWND w, UINT m, WPARAM wp, LPARAM) {
    if (w == h && m == WM_SIZE) sizes.push_back(wp);
  });
  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  RECT c;
  GetClientRect(h, &c);
  EXPECT_EQ(c, (RECT{0, 0, 0, 0}));
  ShowWindow(h, SW_RESTORE);
  EXPECT_FALSE(IsIconic(h));
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{30, 40, 230, 190}));
  ShowWindow(h, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(h));
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  ShowWindow(h, SW_SHOWNORMAL);
  GetWindowRect(h, &r);
  EXPECT_EQ(r, (RECT{30, 40, 230, 190}));
  EXPECT_EQ(sizes, (std::vector<WPARAM>{SIZE_MINIMIZED, SIZE_RESTORED, SIZE_MAXIMIZED, SIZE_RESTORED}));

  EXPECT_TRUE(ShowWindow(h, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(h));
  EXPECT_FALSE(ShowWindow(h, SW_HIDE));
}

TEST_F(WindowsTest, WindowRegionsAreTakenOverAndCopiedOut) {
  HWND h = Make(WS_OVERLAPPED, nullptr, 0, 0, 50, 50);
  HRGN rgn = CreateEllipticRgn(0, 0, 50, 50);
  EXPECT_TRUE(SetWindowRgn(h, rgn, 1));
  EXPECT_EQ(GetObjectType(rgn), 0u);  // the window owns (and has deleted) the handle
  EXPECT_FALSE(SetWindowRgn(h, rgn, 1));  // so it is refused when given again
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(h, copy), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(copy, 25, 25));
  EXPECT_FALSE(PtInRegion(copy, 1, 1));
  EXPECT_TRUE(SetWindowRgn(h, nullptr, 0));
  EXPECT_EQ(GetWindowRgn(h, copy), ERROR);
  DeleteObject(copy);
}

TEST_F(WindowsTest, ClassesAreUniqueAndStayWhileTheyHaveWindows) {
  WNDCLASS wc;
  wc.lpfnWndProc = &DefWindowProc;
  wc.lpszClassName = "QmTempClass";
  ASSERT_NE(RegisterClass(&wc), 0);
  wc.lpszClassName = "qmtempclass";
  EXPECT_EQ(RegisterClass(&wc), 0);
  HWND h = CreateWindowEx(0, "QMTEMPCLASS", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(UnregisterClass("QmTempClass", nullptr));
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClass("QmTempClass", nullptr));
  wc.cbWndExtra = -1;
  EXPECT_EQ(RegisterClass(&wc), 0);
}

}  // namespace

TEST_F(WindowsTest, UnregisteringAClassDeletesItsBackgroundBrushOnly) {
  const int live = LiveObjectCount();
  WNDCLASS wc{};
  wc.lpfnWndProc = &DefWindowProc;
  wc.lpszClassName = "QmBrushOwner";
  wc.hbrBackground = CreateSolidBrush(RGB(1, 2, 3));
  ASSERT_NE(RegisterClass(&wc), 0);
  EXPECT_EQ(LiveObjectCount(), live + 1);
  // Refused while a window of the class lives; the brush stays.
  HWND w = CreateWindowEx(0, "QmBrushOwner", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(w);
  EXPECT_EQ(UnregisterClass("QmBrushOwner", nullptr), 0);
  EXPECT_EQ(LiveObjectCount(), live + 1);
  DestroyWindow(w);
  EXPECT_EQ(UnregisterClass("QmBrushOwner", nullptr), 1);
  EXPECT_EQ(LiveObjectCount(), live);
  // A system-colour index in place of a brush is not an object and is left alone.
  wc.lpszClassName = "QmColourIndex";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));
  ASSERT_NE(RegisterClass(&wc), 0);
  EXPECT_EQ(UnregisterClass("QmColourIndex", nullptr), 1);
  EXPECT_EQ(LiveObjectCount(), live);
}
