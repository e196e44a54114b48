// Region shapes, point lists, stored region data (hostile input), the hook chain and the
// form shape.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "controlkit/kit_form_shape.h"
#include "controlkit/kit_regions.h"
#include "controlkit/kit_scroll_box.h"
#include "controlkit/kit_wndproc_hook.h"
#include "controlkit/tests/kit_paper.h"
#include "platform/classlib/application.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/streams.h"
#include "platform/win/compositor.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"

namespace {

using Pts = std::vector<std::pair<int, int>>;

struct Probe {
  TKitRgnHandle rgn;
  bool In(int x, int y) const { return win::PtInRegion(rgn.Get(), x, y) != 0; }
};

Probe ShapeIn(TKitRegion& region, TKitRegionShape shape, TRect r, TKitExtPos ext = epLeftTop) {
  region.SetShape(shape);
  region.SetExtPos(ext);
  return Probe{TKitRgnHandle(region.CreateRegion(r))};
}

void ExpectMembership(const Probe& p, const Pts& inside, const Pts& outside, const char* what) {
  ASSERT_TRUE(p.rgn) << what;
  for (auto [x, y] : inside) EXPECT_TRUE(p.In(x, y)) << what << " should hold (" << x << ", " << y << ")";
  for (auto [x, y] : outside) EXPECT_FALSE(p.In(x, y)) << what << " should not hold (" << x << ", " << y << ")";
}

std::vector<Byte> RegionDataHeader(win::DWORD count) {
  std::vector<Byte> data(32, 0);
  win::DWORD header[4] = {32, win::RDH_RECTANGLES, count, count * 16};
  std::memcpy(data.data(), header, sizeof header);
  return data;
}

void AppendRect(std::vector<Byte>& data, int l, int t, int r, int b) {
  int v[4] = {l, t, r, b};
  const Byte* p = reinterpret_cast<const Byte*>(v);
  data.insert(data.end(), p, p + 16);
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<Byte>& bytes) {
  auto s = std::make_unique<TMemoryStream>();
  if (!bytes.empty()) s->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  s->SetPosition(0);
  return s;
}

}  // namespace

TEST(KitRegionShapes, PolygonShapesHoldTheirCentresAndNotTheirCorners) {
  TKitRegion region;
  const TRect box{0, 0, 100, 100};
  ExpectMembership(ShapeIn(region, rsRect, {0, 0, 100, 50}), {{0, 0}, {99, 49}}, {{100, 0}, {0, 50}}, "rect");
  ExpectMembership(ShapeIn(region, rsElliptic, box), {{50, 50}, {50, 2}}, {{2, 2}, {97, 97}}, "ellipse");
  ExpectMembership(ShapeIn(region, rsDiamond, box), {{50, 5}, {50, 50}, {5, 50}}, {{5, 5}, {95, 95}, {20, 80}},
                   "diamond");
  ExpectMembership(ShapeIn(region, rsOctagon, {0, 0, 90, 90}), {{45, 45}, {45, 1}, {1, 45}}, {{1, 1}, {88, 88}},
                   "octagon");
  ExpectMembership(ShapeIn(region, rsComb, box), {{50, 50}, {50, 3}, {2, 50}}, {{2, 2}, {97, 97}}, "comb");
  ExpectMembership(ShapeIn(region, rsStar, box), {{50, 3}, {50, 55}, {90, 39}}, {{5, 5}, {50, 85}, {95, 60}},
                   "star");
  ExpectMembership(ShapeIn(region, rsHalfRound, {0, 0, 100, 50}), {{50, 45}, {50, 1}}, {{2, 2}, {50, 55}},
                   "half round");
  ExpectMembership(ShapeIn(region, rsRoundRect, box), {{50, 50}, {10, 0}}, {{0, 0}, {99, 99}}, "round rect");
}

TEST(KitRegionShapes, ShieldsLoseTheirTopCornersAndEndInAPoint) {
  TKitRegion region;
  const TRect r{0, 0, 100, 140};
  ExpectMembership(ShapeIn(region, rsRoundShield, r), {{50, 70}, {50, 135}, {50, 30}}, {{5, 5}, {3, 135}, {50, 141}},
                   "round shield");
  ExpectMembership(ShapeIn(region, rsSharpShield, r), {{50, 70}, {50, 130}, {50, 30}}, {{5, 5}, {5, 135}, {95, 135}},
                   "sharp shield");
}

TEST(KitRegionShapes, ExtensionsFollowExtPos) {
  TKitRegion region;
  const TRect r{0, 0, 100, 100};
  // Nose: n = 10, body (10, 10, 100, 100), tip at (0, 0), base on the left side from y 15.
  ExpectMembership(ShapeIn(region, rsNoseRect, r, epLeftTop), {{50, 50}, {4, 8}, {11, 11}},
                   {{5, 50}, {3, 3}, {50, 5}}, "nose left-top");
  // Same corner, base on the top side: mirrored across the diagonal.
  ExpectMembership(ShapeIn(region, rsNoseRect, r, epTopLeft), {{8, 4}, {50, 50}}, {{4, 8}, {5, 50}}, "nose top-left");
  ExpectMembership(ShapeIn(region, rsNoseRect, r, epRightBottom), {{50, 50}, {95, 91}}, {{95, 50}, {97, 97}},
                   "nose right-bottom");
  // Think bubble: trail size 20, body (20, 20, 120, 120), trail towards (0, 0).
  const TRect big{0, 0, 120, 120};
  ExpectMembership(ShapeIn(region, rsThinkBubble, big, epLeftTop), {{60, 60}, {12, 12}}, {{1, 60}, {60, 1}},
                   "bubble left-top");
  ExpectMembership(ShapeIn(region, rsEllipticThinkBubble, big, epRightBottom), {{50, 50}, {108, 108}},
                   {{119, 60}, {60, 119}, {2, 2}}, "bubble right-bottom");
  // Every shape stays inside its rectangle.
  for (TKitRegionShape s : {rsNoseRect, rsRoundNoseRect, rsThinkBubble, rsRoundThinkBubble, rsEllipticThinkBubble}) {
    for (int e = epLeftTop; e <= epLeftBottom; ++e) {
      Probe p = ShapeIn(region, s, big, static_cast<TKitExtPos>(e));
      win::RECT box{};
      win::GetRgnBox(p.rgn.Get(), &box);
      EXPECT_GE(box.left, 0) << s << "/" << e;
      EXPECT_GE(box.top, 0) << s << "/" << e;
      EXPECT_LE(box.right, 120) << s << "/" << e;
      EXPECT_LE(box.bottom, 120) << s << "/" << e;
    }
  }
}

TEST(KitRegionShapes, DataShapesWithoutDataGiveNoRegion) {
  TKitRegion region;
  const TRect r{0, 0, 50, 50};
  region.SetShape(rsBitmap);
  EXPECT_EQ(region.CreateRegion(r), nullptr);
  region.SetShape(rsUserRegion);
  EXPECT_EQ(region.CreateRegion(r), nullptr);
  ExpectMembership(Probe{TKitRgnHandle(region.CreateRegion(r, true))}, {{0, 0}, {49, 49}}, {{50, 50}},
                   "user region while designing");
  TKitRgnHandle user(win::CreateEllipticRgn(0, 0, 20, 20));
  region.SetUserRegion(user.Get());
  ExpectMembership(Probe{TKitRgnHandle(region.CreateRegion({5, 5, 50, 50}))}, {{15, 15}}, {{5, 5}, {3, 15}},
                   "user region moved to the rectangle");
  region.SetShape(rsPointList);
  EXPECT_EQ(region.CreateRegion(r), nullptr);
}

TEST(KitPointList, PacksSixteenBitsEachAndRebuildsTheRegion) {
  TKitRegion region;
  region.SetShape(rsPointList);
  int changes = 0;
  region.OnChange = [&](TObject*) { ++changes; };
  TKitPointList* pts = region.Points();
  pts->Add(10, 10);
  pts->Add(100, 10);
  pts->Add(55, 90);
  EXPECT_GE(changes, 3);
  ExpectMembership(Probe{TKitRgnHandle(region.CreateRegion({0, 0, 200, 200}))}, {{55, 30}}, {{15, 80}, {55, 95}},
                   "triangle");
  pts->Add(10, 90);
  ExpectMembership(Probe{TKitRgnHandle(region.CreateRegion({0, 0, 200, 200}))}, {{55, 30}, {15, 80}}, {{55, 95}},
                   "quadrilateral after Add");

  pts->SetPoints(1, {-300, -5});
  EXPECT_EQ(pts->Points(1).x, -300);
  EXPECT_EQ(pts->Points(1).y, -5);
  EXPECT_EQ(pts->Points(0).x, 10);
  int before = changes;
  pts->SetPoints(4, {1, 1});  // outside: nothing
  pts->SetPoints(-1, {1, 1});
  EXPECT_EQ(changes, before);
  EXPECT_EQ(pts->Count(), 4);
}

TEST(KitPointList, FormValueRoundTripsAndRejectsBadLists) {
  TKitRegion source;
  source.Points()->Add(1, 2);
  source.Points()->Add(-3, 4);
  TMemoryWriter writer;
  writer.WriteProperties(&source);

  TKitRegion copy;
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&copy);
  ASSERT_EQ(copy.Points()->Count(), 2);
  EXPECT_EQ(copy.Points()->Points(1).x, -3);
  EXPECT_EQ(copy.Points()->Points(1).y, 4);

  auto listOf = [](std::vector<Int64> values) {
    TFilerProperty prop{"PointList", {}};
    TFilerValue begin;
    begin.kind = TFilerValue::vaList;
    prop.values.push_back(begin);
    for (Int64 v : values) {
      TFilerValue value;
      value.kind = TFilerValue::vaInteger;
      value.integer = v;
      prop.values.push_back(value);
    }
    prop.values.push_back(TFilerValue{});
    return TFilerData{prop};
  };
  for (auto bad : {std::vector<Int64>{1, 2, 3}, std::vector<Int64>{40000, 1}, std::vector<Int64>{1, -40000}}) {
    TKitRegion target;
    target.Points()->Add(7, 7);
    TMemoryReader badReader(listOf(bad));
    EXPECT_THROW(badReader.ReadProperties(&target), EReadError);
    ASSERT_EQ(target.Points()->Count(), 1) << "a bad list leaves the points as they were";
    EXPECT_EQ(target.Points()->Points(0).x, 7);
  }
}

TEST(KitRegionMask, RegionDataIsCheckedAgainstTheBytesLeft) {
  TKitRegionMask mask;
  std::vector<Byte> good = RegionDataHeader(2);
  AppendRect(good, 0, 0, 10, 10);
  AppendRect(good, 20, 0, 30, 10);
  auto s = StreamOf(good);
  mask.ReadRegionData(*s);
  EXPECT_EQ(mask.RegionDataSize(), 64);

  TKitRegion region;
  region.SetShape(rsBitmap);
  region.Mask()->Assign(&mask);
  ExpectMembership(Probe{TKitRgnHandle(region.CreateRegion({100, 100, 200, 200}))}, {{105, 105}, {125, 105}},
                   {{115, 105}, {5, 5}}, "mask region at the rectangle");

  std::vector<std::vector<Byte>> bad;
  bad.push_back({1, 2, 3});                                      // shorter than a header
  bad.push_back(RegionDataHeader(1000000));                      // a count far past the bytes left
  auto truncated = RegionDataHeader(2);
  AppendRect(truncated, 0, 0, 1, 1);
  bad.push_back(truncated);                                      // one rectangle missing
  auto extra = good;
  extra.push_back(0);
  bad.push_back(extra);                                          // trailing bytes
  auto inverted = RegionDataHeader(1);
  AppendRect(inverted, 10, 10, 0, 0);
  bad.push_back(inverted);                                       // right < left
  auto wrongHeader = good;
  wrongHeader[0] = 40;
  bad.push_back(wrongHeader);
  auto huge = RegionDataHeader(0x10000001u);                     // count x 16 overflows 32 bits
  bad.push_back(huge);
  for (std::size_t i = 0; i < bad.size(); ++i) {
    auto in = StreamOf(bad[i]);
    EXPECT_ANY_THROW(mask.ReadRegionData(*in)) << "case " << i;
    EXPECT_EQ(mask.RegionData(), good) << "case " << i << " keeps the old data";
  }
  EXPECT_EQ(KitRegionFromData(truncated), nullptr);
}

TEST(KitRegionMask, BorderBitmapModesAreChecked) {
  TBitmap bmp;
  bmp.SetSize(3, 3);
  for (std::vector<Byte> bytes : {std::vector<Byte>{}, std::vector<Byte>{7}, std::vector<Byte>{1, 0xFF, 0xFF, 0xFF, 0x7F}}) {
    auto s = StreamOf(bytes);
    EXPECT_ANY_THROW(TKitRegionMask::ReadModeBitmap(*s, &bmp));
    EXPECT_EQ(bmp.Width(), 3);
  }
  auto empty = StreamOf({0});
  TKitRegionMask::ReadModeBitmap(*empty, &bmp);
  EXPECT_TRUE(bmp.Empty());
}

TEST(KitRegionBorder, SingleAndRaisedBordersFollowTheOutline) {
  kit_test::Paper paper(40, 40, clWhite);
  TKitRegionBorder border;
  TKitRgnHandle rgn(win::CreateRectRgn(5, 5, 35, 35));
  border.Draw(paper.C(), rgn.Get());
  EXPECT_EQ(paper.At(5, 20), clBlack);
  EXPECT_EQ(paper.At(34, 20), clBlack);
  EXPECT_EQ(paper.At(6, 20), clWhite);
  EXPECT_EQ(paper.At(4, 20), clWhite);

  kit_test::Paper raised(40, 40, clWhite);
  border.SetStyle(rbRaised);
  border.SetLightColor(clRed);
  border.SetShadowColor(clBlue);
  border.Draw(raised.C(), rgn.Get());
  EXPECT_EQ(raised.At(5, 20), clRed);
  EXPECT_EQ(raised.At(20, 6), clRed);
  EXPECT_EQ(raised.At(34, 20), clBlue);
  EXPECT_EQ(raised.At(20, 33), clBlue);
  EXPECT_EQ(raised.At(20, 20), clWhite);

  kit_test::Paper lowered(40, 40, clWhite);
  border.SetStyle(rbLowered);
  border.Draw(lowered.C(), rgn.Get());
  EXPECT_EQ(lowered.At(5, 20), clBlue);
  EXPECT_EQ(lowered.At(34, 20), clRed);
}

TEST(KitShadow, DescribesItsSettings) {
  TKitShadow shadow;
  EXPECT_EQ(shadow.SettingsText(), "{solid, 6}");
  shadow.SetStyle(hssTracing);
  shadow.SetDepth(3);
  EXPECT_EQ(shadow.SettingsText(), "{tracing, 3}");
  TKitRgnShadow rgnShadow;
  EXPECT_EQ(rgnShadow.SettingsText(), "{Disabled}");
}

// ---- the hook chain -------------------------------------------------------------------------------

namespace {

constexpr win::UINT kProbe = win::WM_USER + 77;

class Recorder : public TKitWndProcComponent {
 public:
  // Unowned, so that the test's scopes decide the order of destruction.
  Recorder(TForm* form, std::vector<std::string>* log, std::string name)
      : TKitWndProcComponent(nullptr), form_(form), log_(log), name_(std::move(name)) {}
  void WndProc(TMessage& m) override {
    if (m.Msg == kProbe) log_->push_back(name_);
    CallPrevious(m);
    if (m.Msg == kProbe) m.Result += 1;
  }

 protected:
  win::HWND TargetWindow() const override { return form_->HandleAllocated() ? form_->Handle() : nullptr; }

 private:
  TForm* form_;
  std::vector<std::string>* log_;
  std::string name_;
};

}  // namespace

TEST(KitWndProcHook, HooksLeaveTheChainInAnyOrder) {
  TForm form(nullptr);
  win::HWND hwnd = form.Handle();
  auto original = win::GetWindowLong(hwnd, win::GWL_WNDPROC);
  std::vector<std::string> log;
  Recorder a(&form, &log, "a"), b(&form, &log, "b"), c(&form, &log, "c");
  a.Hook();
  b.Hook();
  c.Hook();
  EXPECT_EQ(KitHookCount(hwnd), 3);
  EXPECT_EQ(win::SendMessage(hwnd, kProbe, 0, 0), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));

  // Removing the oldest first must not cut off the later ones.
  log.clear();
  a.Unhook();
  EXPECT_EQ(win::SendMessage(hwnd, kProbe, 0, 0), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));
  log.clear();
  c.Unhook();
  EXPECT_EQ(win::SendMessage(hwnd, kProbe, 0, 0), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
  a.Hook();
  log.clear();
  win::SendMessage(hwnd, kProbe, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  b.Unhook();
  a.Unhook();
  EXPECT_EQ(win::GetWindowLong(hwnd, win::GWL_WNDPROC), original) << "the last hook restores the procedure";
  log.clear();
  win::SendMessage(hwnd, kProbe, 0, 0);
  EXPECT_TRUE(log.empty());
}

TEST(KitWndProcHook, TheMainWindowOptionHooksItTooAndLetsItGo) {
  std::unique_ptr<TForm> main(Application->CreateForm<TForm>());
  ASSERT_EQ(Application->MainForm(), main.get());
  TForm own(nullptr);
  std::vector<std::string> log;
  Recorder r(&own, &log, "r");
  main->HandleNeeded();
  own.HandleNeeded();
  r.SetHookMainWindow(true);
  r.Hook();
  EXPECT_TRUE(r.MainWindowHooked());
  EXPECT_EQ(win::SendMessage(main->Handle(), kProbe, 0, 0), 1);
  EXPECT_EQ(win::SendMessage(own.Handle(), kProbe, 0, 0), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"r", "r"}));
  r.Unhook();
  EXPECT_EQ(KitHookCount(main->Handle()), 0);
  EXPECT_EQ(KitHookCount(own.Handle()), 0);
  // A main window that goes first takes only its own hook with it.
  r.Hook();
  main.reset();
  EXPECT_FALSE(r.MainWindowHooked());
  EXPECT_TRUE(r.Hooked());
  r.Unhook();
}

TEST(KitWndProcHook, AForeignSubclassAboveTheChainKeepsWorking) {
  TForm form(nullptr);
  win::HWND hwnd = form.Handle();
  std::vector<std::string> log;
  Recorder a(&form, &log, "a");
  a.Hook();
  auto below = reinterpret_cast<win::WNDPROC>(win::GetWindowLong(hwnd, win::GWL_WNDPROC));
  static win::WNDPROC next;
  next = below;
  static std::vector<std::string>* foreignLog;
  foreignLog = &log;
  win::WNDPROC foreign = win::MakeProcInstance([](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
    if (m == kProbe) foreignLog->push_back("foreign");
    return win::CallWindowProc(next, h, m, w, l);
  });
  win::SetWindowLong(hwnd, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(foreign));
  a.Unhook();
  win::SendMessage(hwnd, kProbe, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"foreign"}));
  Recorder b(&form, &log, "b");
  b.Hook();
  log.clear();
  win::SendMessage(hwnd, kProbe, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"foreign", "b"}));
  b.Unhook();
  win::SetWindowLong(hwnd, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(next));
  win::FreeProcInstance(foreign);
}

TEST(KitWndProcHook, DestroyedWindowDropsItsHooks) {
  auto form = std::make_unique<TForm>(nullptr);
  win::HWND hwnd = form->Handle();
  std::vector<std::string> log;
  Recorder owned(form.get(), &log, "owned");
  owned.Hook();
  EXPECT_TRUE(owned.Hooked());
  form->DestroyHandle();
  EXPECT_FALSE(owned.Hooked());
  EXPECT_EQ(KitHookCount(hwnd), 0);
}

// ---- the form shape ----------------------------------------------------------------------------------


namespace {

class FormShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowSystem();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBorderStyle(bsNone);
    form_->SetBounds(50, 50, 200, 120);
    form_->Show();
    win::PumpPendingMessages();
  }
  void TearDown() override { form_.reset(); }
  bool HasRegion() {
    TKitRgnHandle probe(win::CreateRectRgn(0, 0, 0, 0));
    return win::GetWindowRgn(form_->Handle(), probe.Get()) != win::ERROR;
  }
  std::unique_ptr<TForm> form_;
};

}  // namespace

TEST_F(FormShapeTest, ShapesTheWindowAndKeepsItRectangularWithoutData) {
  auto* shape = new TKitFormShape(form_.get());
  shape->Hook();
  shape->Region()->SetShape(rsElliptic);
  ASSERT_TRUE(HasRegion());
  TKitRgnHandle rgn(win::CreateRectRgn(0, 0, 0, 0));
  win::GetWindowRgn(form_->Handle(), rgn.Get());
  EXPECT_TRUE(win::PtInRegion(rgn.Get(), 100, 60));
  EXPECT_FALSE(win::PtInRegion(rgn.Get(), 2, 2));

  shape->Region()->SetShape(rsBitmap);  // an empty mask
  EXPECT_FALSE(HasRegion());

  // A resize rebuilds the region for the new client area.
  shape->Region()->SetShape(rsRect);
  form_->SetBounds(50, 50, 300, 120);
  win::GetWindowRgn(form_->Handle(), rgn.Get());
  EXPECT_TRUE(win::PtInRegion(rgn.Get(), 290, 60));
}

TEST_F(FormShapeTest, DragsByTheBodyButNotByChildren) {
  auto* button = new TButton(form_.get());
  button->SetParent(form_.get());
  button->SetBounds(10, 10, 60, 25);
  auto* shape = new TKitFormShape(form_.get());
  shape->Hook();
  auto hit = [&](int x, int y) {
    win::POINT p = win::ScreenPointOf(form_->Handle(), x, y);
    return win::SendMessage(form_->Handle(), win::WM_NCHITTEST, 0,
                            static_cast<win::LPARAM>((p.x & 0xFFFF) | ((p.y & 0xFFFF) << 16)));
  };
  EXPECT_EQ(hit(150, 80), win::HTCAPTION);
  EXPECT_EQ(hit(20, 20), win::HTCLIENT) << "a click on a child control does not drag the form";
  shape->SetFormDragable(false);
  EXPECT_EQ(hit(150, 80), win::HTCLIENT);
}

TEST_F(FormShapeTest, ScrollBoxSeesThroughToTheShapesFill) {
  auto* box = new TKitScrollBox(form_.get());
  box->SetParent(form_.get());
  box->SetBounds(20, 20, 100, 60);
  box->SetTransparent(true);
  EXPECT_FALSE(box->SeeThrough()) << "a plain form offers no background";

  auto* shape = new TKitFormShape(form_.get());
  shape->FillObject()->Brush()->SetColor(clRed);
  shape->FillObject()->SetStyle(sfBrush);
  EXPECT_TRUE(box->SeeThrough());
  kit_test::Paper paper(10, 10, clWhite);
  ASSERT_TRUE(box->BackDrawArea(paper.C(), TRect{0, 0, 10, 10}, TPoint{0, 0}));
  EXPECT_EQ(paper.At(5, 5), clRed);

  box->SetTransparent(false);
  EXPECT_FALSE(box->SeeThrough());
  kit_test::Paper untouched(10, 10, clWhite);
  EXPECT_FALSE(box->BackDrawArea(untouched.C(), TRect{0, 0, 10, 10}, TPoint{0, 0}));
  EXPECT_EQ(untouched.At(5, 5), clWhite);
}

TEST_F(FormShapeTest, ScrollBoxFillsTheCornerSquareOverALargeChild) {
  auto* box = new TKitScrollBox(form_.get());
  box->SetParent(form_.get());
  box->SetBounds(10, 10, 120, 90);
  box->SetColor(clYellow);
  auto* big = new TPanel(form_.get());
  big->SetParent(box);
  big->SetColor(clBlue);
  big->SetBounds(0, 0, 400, 300);
  win::PumpPendingMessages();
  win::UpdateWindow(form_->Handle());
  const auto style = static_cast<win::DWORD>(win::GetWindowLong(box->Handle(), win::GWL_STYLE));
  ASSERT_TRUE((style & win::WS_HSCROLL) && (style & win::WS_VSCROLL));
  win::POINT origin{0, 0};
  win::ClientToScreen(box->Handle(), &origin);
  win::RECT screen{};
  win::GetWindowRect(box->Handle(), &screen);
  const TRect client = box->ClientRect();
  win::HDC dc = win::GetWindowDC(box->Handle());
  const auto corner = win::GetPixel(dc, origin.x - screen.left + client.right + 3, origin.y - screen.top + client.bottom + 3);
  win::ReleaseDC(box->Handle(), dc);
  EXPECT_EQ(corner & 0xFFFFFF, static_cast<win::COLORREF>(ColorToRGB(clYellow)));
}

TEST_F(FormShapeTest, TheDesignerSeesTheMaskOutlineOnly) {
  form_->SetColor(clWhite);
  auto* shape = new TKitFormShape(form_.get());
  shape->Region()->Border()->SetStyle(rbNone);
  TKitRgnHandle mask(win::CreateRectRgn(10, 10, 60, 40));
  shape->Region()->Mask()->SetRegionData(KitRegionToData(mask.Get()));
  shape->Region()->SetShape(rsBitmap);
  const auto paintAt = [&](int x, int y) {
    win::HDC dc = win::GetDC(form_->Handle());
    win::SendMessage(form_->Handle(), win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(dc), 0);
    const auto p = win::GetPixel(dc, x, y) & 0xFFFFFF;
    win::ReleaseDC(form_->Handle(), dc);
    return p;
  };
  shape->Hook();
  EXPECT_NE(paintAt(10, 20), 0u) << "running: no outline";
  shape->Unhook();
  shape->SetDesigning(true);
  shape->SetDesignActive(true);
  shape->Hook();
  EXPECT_EQ(paintAt(10, 20), 0u) << "designing: the outline";
  EXPECT_EQ(paintAt(59, 20), 0u);
  EXPECT_NE(paintAt(11, 20), 0u) << "one pixel wide";
}

// Read from a form file, a shape shapes the shown, resized form; a shadow stays inside its client area.
TEST(FormShapeFromAFile, ShapesTheShownFormAndKeepsTheShadowInside) {
  RegisterKitFormShapeClasses();
  const std::pair<const char*, const char*> rows[] = {
      {"rsRect", "1111"}, {"rsRect\nRegion.Shadow.Style = hssSolid", "0111"}, {"rsElliptic", "0001"}};
  const std::string head = "object F: TForm\nBorderStyle = bsNone\nobject S: TKitFormShape\nRegion.Shape = ";
  for (const auto& [region, want] : rows) {
    win::ResetWindowSystem();
    std::unique_ptr<TComponent> root = ReadComponentText(head + region + "\nend\nend\n");
    auto* form = dynamic_cast<TForm*>(root.get());
    form->Show();
    form->SetBounds(50, 50, 300, 150);
    win::PumpPendingMessages();
    TKitRgnHandle rgn(win::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(win::GetWindowRgn(form->Handle(), rgn.Get()), win::ERROR) << want;
    std::string got;  // right top, right bottom, left top, centre
    for (const auto& [x, y] : {std::pair{299, 1}, {299, 149}, {2, 2}, {150, 75}})
      got += win::PtInRegion(rgn.Get(), x, y) ? '1' : '0';
    EXPECT_EQ(got, want);
  }
}

// A shaped form as it shows: the body in the fill or the form's colour, the band it casts
// Depth pixels right and down in the shadow's colour (tracing darkens every other pixel of
// the form's colour), the caption strip when shown, and nothing else of the window.
TEST(FormShapePixels, ShadowBandAndBodyForEveryShapeFillAndCaption) {
  const auto rgb = [](TColor c) { return static_cast<win::COLORREF>(ColorToRGB(c)); };
  for (const TKitRegionShape kind : {rsRect, rsRoundRect, rsElliptic, rsDiamond, rsStar})
    for (const TKitShadowStyle shadow : {hssNone, hssSolid, hssTracing})
      for (const bool fill : {false, true})
        for (const auto& [border, caption] : {std::pair{bsNone, false}, {bsSingle, false}, {bsSingle, true}}) {
          win::ResetWindowSystem();
          TForm f(nullptr);
          f.SetBorderStyle(border);
          f.SetBounds(40, 40, 220, 150);
          f.SetColor(clLime);
          f.Show();
          auto* shape = new TKitFormShape(&f);
          shape->Region()->Border()->SetStyle(rbNone);
          shape->Region()->Shadow()->SetColor(clPurple);
          shape->Region()->Shadow()->SetStyle(shadow);
          shape->SetShowFormCaption(caption);
          shape->FillObject()->Brush()->SetColor(clYellow);
          shape->FillObject()->SetStyle(fill ? sfBrush : sfNone);
          shape->Hook();
          shape->Region()->SetShape(kind);
          win::UpdateWindow(f.Handle());
          win::WindowImage img;
          win::CaptureWindow(f.Handle(), &img);
          win::RECT wr{};
          win::GetWindowRect(f.Handle(), &wr);
          const win::POINT client = win::ScreenPointOf(f.Handle(), 0, 0);
          Probe body{TKitRgnHandle(shape->Region()->CreateRegion(shape->ShapeRect(f.ClientRect())))};
          win::OffsetRgn(body.rgn.Get(), client.x - wr.left, client.y - wr.top);
          // The colours seen on the body, in the band (depth 6) and elsewhere below the caption.
          std::map<char, std::set<win::COLORREF>> seen, want{{'b', {rgb(fill ? clYellow : clLime)}},
                                                             {'o', {win::GetSysColor(win::COLOR_DESKTOP)}}};
          if (shadow == hssSolid) want['s'] = {rgb(clPurple)};
          if (shadow == hssTracing) want['s'] = {rgb(clLime) & rgb(clPurple), rgb(clLime)};
          for (int y = caption ? client.y - wr.top : 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
              seen[body.In(x, y) ? 'b' : shadow != hssNone && body.In(x - 6, y - 6) ? 's' : 'o'].insert(img.At(x, y));
          if (!seen.count('o')) want.erase('o');  // a rectangle without a frame or shadow is all body
          EXPECT_EQ(seen, want) << "shape " << int{kind} << " shadow " << int{shadow} << " fill " << fill << " border "
                                << border << " caption " << caption;
        }
}
