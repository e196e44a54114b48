#pragma once
// The curve editor on a shown form in a headless window system, a frame curve with four
// keys, and helpers that drive the chart with injected mouse input.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/tests/window_test_env.h"
#include "chart/chart_control.h"
#include "editor/var_chart_form.h"
#include "engine/var_series.h"
#include "platform/classlib/menus.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/modal_answers.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

class VarChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartWindowTest();
    curve_ = MakeCurve(xmFrames, cmBoth, 0, 10, {{0, 2}, {50, 5}, {100, 8}, {8192, 8}});
    form_ = std::make_unique<TVarChartForm>(nullptr);
    form_->SetBounds(100, 50, 420, 300);
    form_->Show();
    form_->SetSeries(curve_.get());
    Paint();
  }
  void TearDown() override {
    form_.reset();
    curve_.reset();
    EndWindowTest();
  }

  static std::unique_ptr<TVarSeries> MakeCurve(Byte XMode, Byte Clamp, Double Min, Double Max,
                                               std::initializer_list<std::pair<Double, Double>> Keys) {
    auto c = std::make_unique<TVarSeries>(XMode, Clamp, Min, Max);
    for (const auto& [x, y] : Keys) c->AddXY(x, y);
    return c;
  }

  // Paints whatever is pending, so that the axes know their pixels.
  void Paint() {
    win::PumpPendingMessages();
    win::UpdateWindow(form_->Handle());
  }
  TChart* Chart() const { return form_->Chart; }
  Double KeyX(Integer i) const { return curve_->XValues()->GetValue(i); }
  Double KeyY(Integer i) const { return curve_->YValues()->GetValue(i); }
  // Client pixel of a value pair.
  TPoint PixelOf(Double X, Double Y) const {
    return TPoint{Chart()->BottomAxis()->CalcXPosValue(X), Chart()->LeftAxis()->CalcYPosValue(Y)};
  }
  TPoint KeyPixel(Integer i) const { return PixelOf(KeyX(i), KeyY(i)); }
  win::POINT Screen(TPoint p) const {
    TPoint s = Chart()->ClientToScreen(p);
    return win::POINT{s.x, s.y};
  }

  void Down(TPoint p, win::MouseButton b = win::MouseButton::Left) {
    win::POINT s = Screen(p);
    win::InjectMouseMove(s.x, s.y);
    win::InjectMouseDown(b, s.x, s.y);
    win::PumpPendingMessages();
  }
  void Move(TPoint p) {
    win::POINT s = Screen(p);
    win::InjectMouseMove(s.x, s.y);
    win::PumpPendingMessages();
  }
  void Up(TPoint p, win::MouseButton b = win::MouseButton::Left) {
    win::POINT s = Screen(p);
    win::InjectMouseMove(s.x, s.y);
    win::InjectMouseUp(b, s.x, s.y);
    win::PumpPendingMessages();
  }
  void Drag(TPoint from, TPoint to) {
    Down(from);
    Move(to);
    Up(to);
    Paint();
  }
  void RightClick(TPoint p) {
    Down(p, win::MouseButton::Right);
    Up(p, win::MouseButton::Right);
  }
  void ClickControl(TControl* c) {
    TPoint s = c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2});
    win::InjectClick(win::MouseButton::Left, s.x, s.y);
    win::PumpPendingMessages();
  }
  static win::UINT CommandOf(TPopupMenu* Menu, const std::string& Caption) {
    for (Integer i = 0; i < Menu->Items()->Count(); ++i) {
      TMenuItem* item = Menu->Items()->Items(i);
      if (item->Caption() == Caption) return item->Command();
    }
    ADD_FAILURE() << "no item " << Caption;
    return 0;
  }
  // The last popup menu the user was shown.
  static const win::ModalPrompt* LastPopup() {
    const auto& prompts = win::ModalPrompts();
    for (auto it = prompts.rbegin(); it != prompts.rend(); ++it)
      if (it->kind == win::ModalKind::PopupMenu) return &*it;
    return nullptr;
  }
  static const win::PopupMenuItem* ItemOf(const win::ModalPrompt* p, const std::string& Caption) {
    if (!p) return nullptr;
    for (const auto& i : p->items)
      if (i.caption == Caption) return &i;
    return nullptr;
  }

  std::unique_ptr<TVarSeries> curve_;
  std::unique_ptr<TVarChartForm> form_;
};
