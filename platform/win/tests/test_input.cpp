// Input: click and double-click orders, capture, mouse-leave tracking, hit testing through
// regions and transparent windows, focus, keys and key state, wheel, activation, cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/region_api.h"
#include "platform/win/window.h"
#include "platform/win/tests/test_window_class.h"

using namespace win;

namespace {

constexpr const char* kPlain = "QmInputPlain";
constexpr const char* kDouble = "QmInputDouble";

struct Msg {
  HWND hwnd;
  UINT msg;
  WPARAM w;
  LPARAM l;
  friend bool operator==(const Msg&, const Msg&) = default;
  friend void PrintTo(const Msg& m, std::ostream* os) {
    *os << "{" << static_cast<const void*>(m.hwnd) << " 0x" << std::hex << m.msg << " w=0x" << m.w << " l=0x" << m.l
        << std::dec << "}";
  }
};

bool IsMouse(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK) ||
         m == WM_MOUSELEAVE || m == WM_CAPTURECHANGED;
}

bool IsKey(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    UseManualClock(1000);
    EnsureTestClass(kPlain);
    EnsureTestClass(kDouble, &DefWindowProc, CS_DBLCLKS);
    top_ = Make(kPlain, WS_POPUP | WS_VISIBLE, nullptr, 100, 100, 300, 200);
  }
  void TearDown() override {
    SetMessageObserver(nullptr);
    ResetWindowSystem();
    UseRealClock();
    for (WNDPROC p : instances_) FreeProcInstance(p);
  }

  HWND Make(const char* cls, DWORD style, HWND parent, int x, int y, int w, int h) {
    return CreateWindowEx(0, cls, "", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }
  HWND Child(const char* cls, int x, int y, int w, int h, HWND parent = nullptr) {
    return Make(cls, WS_CHILD | WS_VISIBLE, parent ? parent : top_, x, y, w, h);
  }

  // Logs the messages `pick` accepts, for the windows in `who` (all when empty).
  void Watch(std::function<bool(UINT)> pick, std::vector<HWND> who = {}) {
    log_.clear();
    SetMessageObserver([this, pick, who](HWND h, UINT m, WPARAM w, LPARAM l) {
      if (pick(m) && (who.empty() || std::find(who.begin(), who.end(), h) != who.end())) log_.push_back({h, m, w, l});
    });
  }
  std::vector<UINT> Names() const {
    std::vector<UINT> v;
    for (const Msg& m : log_) v.push_back(m.msg);
    return v;
  }

  void Subclass(HWND h, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM, WNDPROC)> f) {
    auto prev = reinterpret_cast<WNDPROC>(GetWindowLong(h, GWL_WNDPROC));
    WNDPROC inst = MakeProcInstance([f, prev](HWND w, UINT m, WPARAM wp, LPARAM lp) { return f(w, m, wp, lp, prev); });
    instances_.push_back(inst);
    SetWindowLong(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(inst));
  }

  HWND top_ = nullptr;
  std::vector<Msg> log_;
  std::vector<WNDPROC> instances_;
};

TEST_F(InputTest, ClickAndDoubleClickOrders) {
  HWND dbl = Child(kDouble, 0, 0, 100, 100);
  HWND plain = Child(kPlain, 150, 0, 100, 100);
  const POINT pd = ScreenPointOf(dbl, 10, 20), pp = ScreenPointOf(plain, 10, 20);
  EXPECT_EQ(pd, (POINT{110, 120}));

  Watch(IsMouse, {dbl});
  InjectClick(MouseButton::Left, pd.x, pd.y);
  PumpPendingMessages();
  const LPARAM at = MAKELPARAM(10, 20);
  EXPECT_EQ(log_, (std::vector<Msg>{{dbl, WM_MOUSEMOVE, 0, at},
                                    {dbl, WM_LBUTTONDOWN, MK_LBUTTON, at},
                                    {dbl, WM_LBUTTONUP, 0, at}}));

  AdvanceClock(1000);
  Watch(IsMouse, {dbl});
  InjectDoubleClick(MouseButton::Left, pd.x, pd.y);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  EXPECT_EQ(log_[3].w, MK_LBUTTON);

  AdvanceClock(1000);
  Watch(IsMouse, {plain});
  InjectDoubleClick(MouseButton::Left, pp.x, pp.y);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));

  // A third quick press starts a new click; a slow or distant second press is no double.
  AdvanceClock(1000);
  Watch([](UINT m) { return m == WM_RBUTTONDOWN || m == WM_RBUTTONDBLCLK; }, {dbl});
  InjectDoubleClick(MouseButton::Right, pd.x, pd.y);
  InjectClick(MouseButton::Right, pd.x, pd.y);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_RBUTTONDOWN, WM_RBUTTONDBLCLK, WM_RBUTTONDOWN}));
  AdvanceClock(1000);
  Watch([](UINT m) { return m == WM_LBUTTONDOWN || m == WM_LBUTTONDBLCLK; }, {dbl});
  InjectClick(MouseButton::Left, pd.x, pd.y);
  AdvanceClock(GetDoubleClickTime() + 1);
  InjectClick(MouseButton::Left, pd.x, pd.y);
  InjectClick(MouseButton::Left, pd.x + 5, pd.y);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN}));

  // Modifiers held around a click show in the key flags.
  AdvanceClock(1000);
  Watch([](UINT m) { return m == WM_LBUTTONDOWN; }, {dbl});
  InjectClick(MouseButton::Left, pd.x, pd.y, kShift | kCtrl);
  PumpPendingMessages();
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].w, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
}

TEST_F(InputTest, CaptureSendsEverythingToTheCapturingWindowUntilReleased) {
  HWND a = Child(kPlain, 0, 0, 100, 100);
  HWND b = Child(kPlain, 150, 0, 100, 100);
  Subclass(a, [](HWND h, UINT m, WPARAM w, LPARAM l, WNDPROC prev) -> LRESULT {
    if (m == WM_LBUTTONDOWN) SetCapture(h);
    if (m == WM_LBUTTONUP) ReleaseCapture();
    return CallWindowProc(prev, h, m, w, l);
  });
  const POINT pa = ScreenPointOf(a, 50, 50), pb = ScreenPointOf(b, 10, 10);
  Watch(IsMouse, {a, b});
  // Everything is queued before anything is delivered: the capture taken while the press
  // is handled still decides where the following moves go.
  InjectMouseDown(MouseButton::Left, pa.x, pa.y);
  InjectMouseMove(pb.x, pb.y);
  InjectMouseUp(MouseButton::Left, pb.x, pb.y);
  InjectMouseMove(pb.x, pb.y + 1);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50)},
                                    {a, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 10)},
                                    {a, WM_LBUTTONUP, 0, MAKELPARAM(160, 10)},
                                    {a, WM_CAPTURECHANGED, 0, 0},
                                    {b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 11)}}));
  EXPECT_EQ(GetCapture(), nullptr);

  // Taking the capture away tells the old holder who has it now; cancel mode releases it;
  // a destroyed holder leaves no capture behind.
  SetCapture(a);
  Watch([](UINT m) { return m == WM_CAPTURECHANGED; });
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(b)}}));
  SendMessage(b, WM_CANCELMODE, 0, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  SetCapture(a);
  DestroyWindow(a);
  EXPECT_EQ(GetCapture(), nullptr);
  // A window answering outside its own area under capture: negative client coordinates.
  SetCapture(b);
  Watch([](UINT m) { return m == WM_MOUSEMOVE; });
  InjectMouseMove(100, 100);
  PumpPendingMessages();
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].l, MAKELPARAM(-150, 0));
  EXPECT_EQ(GET_X_LPARAM(log_[0].l), -150);
}

TEST_F(InputTest, MouseLeaveIsPostedOnceAndWaitsForTheCapture) {
  HWND a = Child(kPlain, 0, 0, 100, 100);
  HWND b = Child(kPlain, 150, 0, 100, 100);
  HWND inner = Child(kPlain, 60, 60, 20, 20, a);
  const POINT pa = ScreenPointOf(a, 10, 10), pb = ScreenPointOf(b, 10, 10);
  InjectMouseMove(pa.x, pa.y);
  PumpPendingMessages();
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = a;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  TRACKMOUSEEVENT q;
  q.dwFlags = TME_QUERY;
  ASSERT_TRUE(TrackMouseEvent(&q));
  EXPECT_EQ(q.hwndTrack, a);
  EXPECT_EQ(q.dwFlags, TME_LEAVE);

  Watch([](UINT m) { return m == WM_MOUSELEAVE || m == WM_MOUSEMOVE; });
  InjectMouseMove(pa.x + 5, pa.y);
  InjectMouseMove(pb.x, pb.y);
  InjectMouseMove(pb.x + 1, pb.y);
  InjectMouseMove(pa.x, pa.y);  // back in, but no longer tracked
  InjectMouseMove(pb.x, pb.y);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_MOUSEMOVE, 0, MAKELPARAM(15, 10)},
                                    {a, WM_MOUSELEAVE, 0, 0},
                                    {b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)},
                                    {b, WM_MOUSEMOVE, 0, MAKELPARAM(11, 10)},
                                    {a, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)},
                                    {b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)}}));

  // A child window covering part of the tracked one counts as leaving it.
  InjectMouseMove(pa.x, pa.y);
  PumpPendingMessages();
  TrackMouseEvent(&tme);
  Watch([](UINT m) { return m == WM_MOUSELEAVE; });
  const POINT pi = ScreenPointOf(inner, 5, 5);
  InjectMouseMove(pi.x, pi.y);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_MOUSELEAVE, 0, 0}}));

  // While the tracked window holds the capture the leave waits for the release.
  InjectMouseMove(pa.x, pa.y);
  PumpPendingMessages();
  TrackMouseEvent(&tme);
  SetCapture(a);
  Watch([](UINT m) { return m == WM_MOUSELEAVE; });
  InjectMouseMove(pb.x, pb.y);
  PumpPendingMessages();
  EXPECT_TRUE(log_.empty());
  ReleaseCapture();
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_MOUSELEAVE, 0, 0}}));

  // Asking to track while the cursor is elsewhere gives the leave at once; cancelling
  // stops the tracking.
  Watch([](UINT m) { return m == WM_MOUSELEAVE; });
  TrackMouseEvent(&tme);
  PumpPendingMessages();
  EXPECT_EQ(log_.size(), 1u);
  InjectMouseMove(pa.x, pa.y);
  PumpPendingMessages();
  TrackMouseEvent(&tme);
  TRACKMOUSEEVENT cancel;
  cancel.dwFlags = TME_LEAVE | TME_CANCEL;
  cancel.hwndTrack = a;
  TrackMouseEvent(&cancel);
  log_.clear();
  InjectMouseMove(pb.x, pb.y);
  PumpPendingMessages();
  EXPECT_TRUE(log_.empty());
  TRACKMOUSEEVENT hover;
  hover.dwFlags = 0x1;  // hover tracking is not offered
  hover.hwndTrack = a;
  EXPECT_FALSE(TrackMouseEvent(&hover));
}

TEST_F(InputTest, HitTestingFollowsRegionsTransparencyAndDisabledWindows) {
  HWND round = Child(kPlain, 10, 10, 60, 60);
  ASSERT_TRUE(SetWindowRgn(round, CreateEllipticRgn(0, 0, 60, 60), 0));
  EXPECT_EQ(WindowFromPoint(ScreenPointOf(top_, 40, 40)), round);
  EXPECT_EQ(WindowFromPoint(ScreenPointOf(top_, 12, 12)), top_);  // the region's cut corner
  Watch([](UINT m) { return m == WM_LBUTTONDOWN; });
  const POINT corner = ScreenPointOf(top_, 12, 12);
  InjectClick(MouseButton::Left, corner.x, corner.y);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{top_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12)}}));

  // A window answering HTTRANSPARENT lets the one below it take the point.
  HWND below = Child(kPlain, 100, 10, 50, 50);
  HWND glass = Child(kPlain, 100, 10, 50, 50);
  Subclass(glass, [](HWND h, UINT m, WPARAM w, LPARAM l, WNDPROC prev) -> LRESULT {
    if (m == WM_NCHITTEST) return HTTRANSPARENT;
    return CallWindowProc(prev, h, m, w, l);
  });
  EXPECT_EQ(WindowFromPoint(ScreenPointOf(below, 5, 5)), below);
  EXPECT_EQ(ChildWindowFromPoint(top_, POINT{105, 15}), glass);

  // Disabled children pass the point to their parent; a disabled top-level window eats it.
  EnableWindow(below, 0);
  EXPECT_EQ(WindowFromPoint(ScreenPointOf(top_, 105, 15)), top_);
  EnableWindow(top_, 0);
  Watch(IsMouse);
  InjectClick(MouseButton::Left, corner.x, corner.y);
  PumpPendingMessages();
  EXPECT_TRUE(log_.empty());
  EnableWindow(top_, 1);

  // The frame of a captioned window answers with non-client messages.
  HWND framed = Make(kPlain, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 500, 100, 200, 100);
  Watch([](UINT m) { return m == WM_NCLBUTTONDOWN || m == WM_LBUTTONDOWN; }, {framed});
  InjectClick(MouseButton::Left, 550, 108);  // inside the caption strip
  InjectClick(MouseButton::Left, 500, 150);  // the left sizing border
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{framed, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), MAKELPARAM(550, 108)},
                                    {framed, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTLEFT), MAKELPARAM(500, 150)}}));
  EXPECT_EQ(SendMessage(framed, WM_NCHITTEST, 0, MAKELPARAM(650, 160)), HTCLIENT);
  EXPECT_EQ(SendMessage(framed, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTNOWHERE);
}

TEST_F(InputTest, FocusKeysAndCharacters) {
  HWND a = Child(kPlain, 0, 0, 50, 50);
  HWND b = Child(kPlain, 60, 0, 50, 50);
  Watch([](UINT m) { return m == WM_SETFOCUS || m == WM_KILLFOCUS; }, {a, b});
  SetFocus(a);
  EXPECT_EQ(SetFocus(b), a);
  // The popup had the focus since it was shown.
  EXPECT_EQ(log_, (std::vector<Msg>{{a, WM_SETFOCUS, reinterpret_cast<WPARAM>(top_), 0},
                                    {a, WM_KILLFOCUS, reinterpret_cast<WPARAM>(b), 0},
                                    {b, WM_SETFOCUS, reinterpret_cast<WPARAM>(a), 0}}));
  EnableWindow(a, 0);
  EXPECT_EQ(SetFocus(a), nullptr);
  EXPECT_EQ(GetFocus(), b);
  EnableWindow(a, 1);

  Watch([](UINT m) { return IsKey(m); }, {b});
  InjectKey('A', kShift);
  PumpPendingMessages();
  ASSERT_EQ(Names(), (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYUP}));
  EXPECT_EQ(log_[0].w, WPARAM{VK_SHIFT});
  EXPECT_EQ(log_[1].w, WPARAM{'A'});
  EXPECT_EQ(log_[2].w, WPARAM{'A'});
  const auto bits = [](LPARAM l) { return static_cast<DWORD>(l); };
  EXPECT_EQ(bits(log_[1].l) & 0xFFFF, 1u);            // repeat count
  EXPECT_EQ(bits(log_[1].l) >> 30, 0u);               // first press
  EXPECT_EQ(bits(log_[3].l) >> 30, 3u);               // release: previous state and transition
  EXPECT_NE((bits(log_[1].l) >> 16) & 0xFF, 0u);      // a scan code

  Watch([](UINT m) { return m == WM_CHAR || m == WM_SYSCHAR || m == WM_SYSKEYDOWN; }, {b});
  InjectText("Hi!\r");
  InjectKey('F', kAlt);
  PumpPendingMessages();
  ASSERT_EQ(log_.size(), 7u);
  EXPECT_EQ(log_[0].w, WPARAM{'H'});
  EXPECT_EQ(log_[1].w, WPARAM{'i'});
  EXPECT_EQ(log_[2].w, WPARAM{'!'});
  EXPECT_EQ(log_[3].w, WPARAM{'\r'});
  EXPECT_EQ(log_[4].msg, UINT{WM_SYSKEYDOWN});  // Alt itself
  EXPECT_EQ(log_[5].msg, UINT{WM_SYSKEYDOWN});
  EXPECT_EQ(log_[5].w, WPARAM{'F'});
  EXPECT_NE(bits(log_[5].l) & (1u << 29), 0u);
  EXPECT_EQ(log_[6], (Msg{b, WM_SYSCHAR, 'f', log_[5].l}));

  // Caps Lock and Ctrl change the character.
  SetTestKeyState(VK_CAPITAL, false, true);
  Watch([](UINT m) { return m == WM_CHAR; }, {b});
  InjectKey('Q');
  InjectKey('Q', kCtrl);
  PumpPendingMessages();
  EXPECT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0].w, WPARAM{'Q'});
  EXPECT_EQ(log_[1].w, WPARAM{17});

  // Without a focus the active window gets system keys.
  SetFocus(nullptr);
  Watch([](UINT m) { return IsKey(m); });
  InjectKeyDown(VK_DOWN);
  PumpPendingMessages();
  EXPECT_EQ(log_, (std::vector<Msg>{{top_, WM_SYSKEYDOWN, VK_DOWN, log_.empty() ? 0 : log_[0].l}}));
}

TEST_F(InputTest, KeyStatesAsyncAtOnceMessageStateWhenTaken) {
  HWND a = Child(kPlain, 0, 0, 50, 50);
  SetFocus(a);
  InjectKeyDown(VK_SHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  PumpPendingMessages();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  BYTE all[256];
  GetKeyboardState(all);
  EXPECT_EQ(all[VK_SHIFT] & 0x80, 0x80);
  InjectKeyUp(VK_SHIFT);
  PumpPendingMessages();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);

  // Esc held down by a test, as during a preview.
  EXPECT_GE(GetAsyncKeyState(VK_ESCAPE), 0);
  SetTestKeyState(VK_ESCAPE, true);
  EXPECT_LT(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_LT(GetKeyState(VK_ESCAPE), 0);
  SetTestKeyState(VK_ESCAPE, false);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
  // Lock keys toggle on each press.
  InjectKey(VK_NUMLOCK);
  PumpPendingMessages();
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 1);
  InjectKey(VK_NUMLOCK);
  PumpPendingMessages();
  EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 0);
  // Mouse buttons have key states too.
  InjectMouseDown(MouseButton::Left, 110, 110);
  EXPECT_LT(GetAsyncKeyState(VK_LBUTTON), 0);
  EXPECT_EQ(GetAsyncKeyState(999), 0);
}

TEST_F(InputTest, WheelGoesToTheFocusAndBubblesToTheParent) {
  HWND a = Child(kPlain, 0, 0, 50, 50);
  HWND b = Child(kPlain, 60, 0, 50, 50);
  SetFocus(a);
  Watch([](UINT m) { return m == WM_MOUSEWHEEL; });
  const POINT over = ScreenPointOf(b, 5, 5);
  InjectWheel(-WHEEL_DELTA, over.x, over.y);
  PumpPendingMessages();
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0].hwnd, a);
  EXPECT_EQ(log_[1].hwnd, top_);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(log_[0].w), -WHEEL_DELTA);
  EXPECT_EQ(log_[0].l, MAKELPARAM(over.x, over.y));
}

TEST_F(InputTest, CoordinatesMapBetweenWindows) {
  HWND a = Child(kPlain, 10, 20, 50, 50);
  HWND b = Child(kPlain, 100, 5, 50, 50);
  POINT pts[2] = {{1, 2}, {3, 4}};
  const int packed = MapWindowPoints(a, b, pts, 2);
  EXPECT_EQ(pts[0], (POINT{-89, 17}));
  EXPECT_EQ(pts[1], (POINT{-87, 19}));
  EXPECT_EQ(GET_X_LPARAM(packed), -90);
  EXPECT_EQ(GET_Y_LPARAM(packed), 15);
  POINT p{115, 125};
  ScreenToClient(a, &p);
  EXPECT_EQ(p, (POINT{5, 5}));
  POINT q{0, 0};
  MapWindowPoints(a, nullptr, &q, 1);
  EXPECT_EQ(q, (POINT{110, 120}));
  DestroyWindow(b);
  EXPECT_EQ(MapWindowPoints(a, b, pts, 1), 0);
  EXPECT_FALSE(ClientToScreen(b, &q));
}

TEST_F(InputTest, ClickingAnInactiveWindowActivatesItUnlessItSaysOtherwise) {
  HWND other = Make(kPlain, WS_POPUP | WS_VISIBLE, nullptr, 600, 100, 100, 100);
  EXPECT_EQ(GetActiveWindow(), other);
  Watch([](UINT m) { return m == WM_MOUSEACTIVATE || m == WM_ACTIVATE || m == WM_LBUTTONDOWN || m == WM_SETFOCUS; });
  InjectClick(MouseButton::Left, 150, 150);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_MOUSEACTIVATE, WM_ACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_LBUTTONDOWN}));
  EXPECT_EQ(log_[1].hwnd, other);
  EXPECT_EQ(LOWORD(log_[1].w), WA_INACTIVE);
  EXPECT_EQ(log_[2].hwnd, top_);
  EXPECT_EQ(LOWORD(log_[2].w), WA_CLICKACTIVE);
  EXPECT_EQ(GetActiveWindow(), top_);
  EXPECT_EQ(GetFocus(), top_);

  Subclass(other, [](HWND h, UINT m, WPARAM w, LPARAM l, WNDPROC prev) -> LRESULT {
    if (m == WM_MOUSEACTIVATE) return MA_ACTIVATEANDEAT;
    return CallWindowProc(prev, h, m, w, l);
  });
  Watch([](UINT m) { return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP; }, {other});
  InjectClick(MouseButton::Left, 650, 150);
  PumpPendingMessages();
  EXPECT_EQ(Names(), (std::vector<UINT>{WM_LBUTTONUP}));  // the press was eaten
  EXPECT_EQ(GetActiveWindow(), other);

  // Hiding the active window hands the activation on.
  ShowWindow(other, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), top_);
}

TEST_F(InputTest, CursorsByIdAndTheClassCursor) {
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(1234)), nullptr);
  auto* module = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x5000});
  HCURSOR own = LoadCursor(module, MAKEINTRESOURCE(16548));
  ASSERT_NE(own, nullptr);
  CursorInfo info;
  ASSERT_TRUE(GetCursorIdentity(own, &info));
  EXPECT_EQ(info.id, 16548);
  EXPECT_EQ(info.module, module);
  EXPECT_FALSE(GetCursorIdentity(reinterpret_cast<HCURSOR>(&info), nullptr));

  // The class cursor of the window under the mouse wins, even when its parent's class
  // has one of its own.
  HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
  EnsureTestClass("QmInputCross", &DefWindowProc, 0, nullptr, cross);
  EnsureTestClass("QmInputWait", &DefWindowProc, 0, nullptr, LoadCursor(nullptr, IDC_WAIT));
  HWND holder = Child("QmInputWait", 0, 0, 100, 100);
  HWND c = Child("QmInputCross", 0, 0, 50, 50, holder);
  SetCursor(arrow);
  const POINT p = ScreenPointOf(c, 5, 5);
  InjectMouseMove(p.x, p.y);
  PumpPendingMessages();
  EXPECT_EQ(GetCursor(), cross);
  POINT where;
  GetCursorPos(&where);
  EXPECT_EQ(where, p);
  SetCursorPos(120, 160);
  GetCursorPos(&where);
  EXPECT_EQ(where, (POINT{120, 160}));
}

}  // namespace
