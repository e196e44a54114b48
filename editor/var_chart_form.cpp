#include "editor/var_chart_form.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "chart/chart_control.h"
#include "chart/color_line_tool.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_speed_button.h"
#include "editor/chart_tool_images.h"
#include "editor/editor_helpers.h"
#include "editor/edit_keyframe_form.h"
#include "engine/var_series.h"
#include "platform/classlib/actions.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"

namespace {

// Where the current-frame line waits while there is no frame to show.
constexpr Double kOutOfView = -9000;
// The last key of a fresh curve, and the last frame a key may take.
constexpr Double kLastFrame = 8192;
constexpr Double kUnmarkedTension = 0.3;

const char* const kClearQuestion =
    "About to delete all keyframes for this graph.\r\rAre you sure you want to delete keyframes?";

}  // namespace

const TClass& TVarChartForm::StaticClass() {
  static const TClass cls = TClass::Of<TVarChartForm>("TVarChartForm", TForm::StaticClass(), &TVarChartForm::Publish);
  return cls;
}

void TVarChartForm::Publish(TPublished& published) {
  auto p = published.For<TVarChartForm>();
  p.Method("UnzoomButtonClick", &TVarChartForm::UnzoomButtonClick);
  p.Method("YOutButtonClick", &TVarChartForm::YOutButtonClick);
  p.Method("YInButtonClick", &TVarChartForm::YInButtonClick);
  p.Method("XOutButtonClick", &TVarChartForm::XOutButtonClick);
  p.Method("XInButtonClick", &TVarChartForm::XInButtonClick);
  p.Method("AddButtonClick", &TVarChartForm::AddButtonClick);
  p.Method("ClearButtonClick", &TVarChartForm::ClearButtonClick);
  p.Method("EditValuesClick", &TVarChartForm::EditValuesClick);
  p.Method("DeleteKeyframeClick", &TVarChartForm::DeleteKeyframeClick);
  p.Method("ShowMarksActionExecute", &TVarChartForm::ShowMarksActionExecute);
  p.Method("LinearActionExecute", &TVarChartForm::LinearActionExecute);
  p.Method("ChartScroll", &TVarChartForm::ChartScroll);
  p.Method("ChartAllowScroll", &TVarChartForm::ChartAllowScroll);
}

TVarChartForm::TVarChartForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditorKitClasses();
  ReadFormResource();
  ToolPanel = FindFormPart<TKitSimplePanel>(this, "ToolPanel");
  UnzoomButton = FindFormPart<TKitSpeedButton>(this, "UnzoomButton");
  YOutButton = FindFormPart<TKitSpeedButton>(this, "YOutButton");
  YInButton = FindFormPart<TKitSpeedButton>(this, "YInButton");
  XOutButton = FindFormPart<TKitSpeedButton>(this, "XOutButton");
  XInButton = FindFormPart<TKitSpeedButton>(this, "XInButton");
  AddButton = FindFormPart<TKitSpeedButton>(this, "AddButton");
  ClearButton = FindFormPart<TKitSpeedButton>(this, "ClearButton");
  FillChartToolImages(FindFormPart<TKitImageList>(this, "ChartImages"));
  Chart = FindFormPart<TChart>(this, "Chart");
  KeyPopup = FindFormPart<TPopupMenu>(this, "KeyPopup");
  EditValuesItem = FindFormPart<TMenuItem>(this, "EditValuesItem");
  DeleteKeyframeItem = FindFormPart<TMenuItem>(this, "DeleteKeyframeItem");
  ChartPopup = FindFormPart<TPopupMenu>(this, "ChartPopup");
  ActionList = FindFormPart<TActionList>(this, "ActionList");
  ShowMarksAction = FindFormPart<TAction>(this, "ShowMarksAction");
  LinearAction = FindFormPart<TAction>(this, "LinearAction");

  // What the chart's form properties do not carry.
  Chart->SetAlign(alClient);
  Chart->SetShowHint(true);
  Chart->Title()->SetVisible(false);
  Chart->Legend()->SetVisible(false);
  // The left button drags keys; the right one scrolls.
  Chart->Zoom()->SetAllow(false);
  Chart->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ChartMouseDown(s, b, sh, x, y);
  };
  Chart->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { ChartMouseMove(s, sh, x, y); };
  Chart->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ChartMouseUp(s, b, sh, x, y);
  };
  Chart->OnDblClick = [this](TObject* s) { ChartDblClick(s); };

  LineTool = new TColorLineTool(this);
  LineTool->SetName("LineTool");
  LineTool->SetAxis(Chart->BottomAxis());
  LineTool->Pen()->SetColor(clGreen);
  LineTool->SetValue(0);
  LineTool->SetActive(false);
  LineTool->SetAllowDrag(false);
  LineTool->OnDragLine = [this](TColorLineTool* t) { LineToolDragLine(t); };
  LineTool->SetParentChart(Chart);

  CurrentFrameLineTool = new TColorLineTool(this);
  CurrentFrameLineTool->SetName("CurrentFrameLineTool");
  CurrentFrameLineTool->SetAxis(Chart->BottomAxis());
  CurrentFrameLineTool->Pen()->SetStyle(psDot);
  CurrentFrameLineTool->SetAllowDrag(false);
  CurrentFrameLineTool->SetValue(kOutOfView);
  CurrentFrameLineTool->SetParentChart(Chart);
}

TVarChartForm::~TVarChartForm() { DetachSeries(); }

void TVarChartForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent != nullptr && AComponent == series_) {
    series_ = nullptr;
    dragIndex_ = popupIndex_ = -1;
    dragging_ = 0;
  }
}

void TVarChartForm::DetachSeries() {
  if (!series_) return;
  TVarSeries* s = series_;
  series_ = nullptr;
  s->RemoveFreeNotification(this);
  if (Chart) Chart->RemoveSeries(s);
}

void TVarChartForm::SetSeries(TVarSeries* s) {
  DetachSeries();
  Chart->RemoveAllSeries();
  dragIndex_ = popupIndex_ = -1;
  dragging_ = 0;
  series_ = s;
  if (s) {
    s->FreeNotification(this);
    Chart->AddSeries(s);
    const char* title = s->XMode == xmLifePercent ? "Lifespan of Particles by Percentage"
                        : s->XMode == xmFrames    ? "Frame Number"
                                                  : "";
    Chart->BottomAxis()->Title()->SetCaption(title);
    Chart->BottomAxis()->SetIncrement(s->Quantum);
    LinearAction->SetChecked(s->Tension == 0);
    ApplyOptions();
  }
  Unzoom();
  CurrentFrameLineTool->SetValue(kOutOfView);
}

void TVarChartForm::ApplyOptions() {
  if (!series_) return;
  TSeriesMarks* m = series_->Marks();
  m->SetVisible(ShowMarksAction->Checked());
  m->SetStyle(smsXY);
  m->SetArrowLength(12);
  m->Font()->SetSize(7);
  m->Arrow()->SetVisible(false);
  m->SetShadowSize(2);
  m->SetMultiLine(true);
  series_->Tension = LinearAction->Checked() ? 0 : kUnmarkedTension;
  Chart->Invalidate();
}

void TVarChartForm::ShowMarksActionExecute(TObject*) {
  ShowMarksAction->SetChecked(!ShowMarksAction->Checked());
  ApplyOptions();
}

void TVarChartForm::LinearActionExecute(TObject*) {
  LinearAction->SetChecked(!LinearAction->Checked());
  ApplyOptions();
}

// ---- zoom ------------------------------------------------------------------------------------------

void TVarChartForm::Unzoom() {
  if (!series_) return;
  const Integer n = series_->Count();
  Double lo = series_->Min;
  Double hi = series_->Max;
  const Byte clamp = series_->ClampMode;
  if (n > 0) {
    if (clamp == cmNone || clamp == cmUpper) lo = std::min(series_->YValues()->Lowest(), lo);
    if (clamp == cmNone || clamp == cmLower) hi = std::max(series_->YValues()->Highest(), hi);
  }
  Chart->LeftAxis()->SetMinMax(lo, hi);

  Double xHi = 100;
  if (series_->XMode == xmFrames) {
    xHi = 120;
    if (n >= 2) xHi = std::max(xHi, series_->XValues()->GetValue(n - 2));
  }
  Chart->BottomAxis()->SetMinMax(0, xHi);
}

void TVarChartForm::ZoomOutY() {
  TChartAxis* a = Chart->LeftAxis();
  const Double c = (a->Maximum() + a->Minimum()) / 2;
  const Double r = a->Maximum() - a->Minimum();
  a->SetMinMax(c - r, c + r);
}

void TVarChartForm::ZoomInY(Double Centre) {
  TChartAxis* a = Chart->LeftAxis();
  const Double r = (a->Maximum() - a->Minimum()) / 4;
  a->SetMinMax(Centre - r, Centre + r);
}

void TVarChartForm::ZoomOutX() {
  TChartAxis* a = Chart->BottomAxis();
  const Double c = (a->Maximum() + a->Minimum()) / 2;
  const Double r = a->Maximum() - a->Minimum();
  a->SetMinMax(std::max(0.0, c - r), c + r);
}

void TVarChartForm::ZoomInX(Double Centre) {
  TChartAxis* a = Chart->BottomAxis();
  const Double r = (a->Maximum() - a->Minimum()) / 4;
  a->SetMinMax(std::max(0.0, Centre - r), Centre + r);
}

void TVarChartForm::UnzoomButtonClick(TObject*) { Unzoom(); }
void TVarChartForm::YOutButtonClick(TObject*) { ZoomOutY(); }
void TVarChartForm::XOutButtonClick(TObject*) { ZoomOutX(); }

void TVarChartForm::YInButtonClick(TObject*) {
  TChartAxis* a = Chart->LeftAxis();
  ZoomInY((a->Maximum() + a->Minimum()) / 2);
}

void TVarChartForm::XInButtonClick(TObject*) {
  TChartAxis* a = Chart->BottomAxis();
  ZoomInX((a->Maximum() + a->Minimum()) / 2);
}

void TVarChartForm::ChartScroll(TObject*) { popupIndex_ = -2; }

void TVarChartForm::ChartAllowScroll(TChartAxis* Sender, Double& AMin, Double& AMax, bool& AllowScroll) {
  (void)AMax;
  if (Sender == Chart->BottomAxis() && AMin < 0) {
    AllowScroll = false;
    Sender->SetMinMax(0, Sender->Maximum());
  }
}

void TVarChartForm::LineToolDragLine(TColorLineTool* Sender) { Sender->SetValue(std::nearbyint(Sender->Value())); }

void TVarChartForm::ShowFrame(Double Frame) {
  CurrentFrameLineTool->SetValue(series_ && series_->XMode == xmFrames ? Frame : kOutOfView);
}

// ---- keys ------------------------------------------------------------------------------------------

void TVarChartForm::GrowToShow(TChartAxis* Axis, Double Value) {
  if (Value < Axis->Minimum())
    Axis->SetMinMax(Value, Axis->Maximum());
  else if (Value > Axis->Maximum())
    Axis->SetMinMax(Axis->Minimum(), Value);
}

Integer TVarChartForm::SetKeyX(Integer Index, Double X) {
  if (!series_ || Index < 0 || Index >= series_->Count()) return Index;
  if (Index == 0) {
    X = 0;
  } else {
    if (series_->XMode == xmFrames) X = std::nearbyint(X);
    series_->ClampKeyX(Index, X);
  }
  TChartValueList* xs = series_->XValues();
  xs->SetValue(Index, X);
  // Keys that were out of order already: the moved key finds its place and keeps its
  // identity, so that a drag goes on with the same key.
  while (Index > 1 && xs->GetValue(Index - 1) > X) {
    series_->SwapPoints(Index - 1, Index);
    --Index;
  }
  while (Index > 0 && Index < series_->Count() - 1 && xs->GetValue(Index + 1) < X) {
    series_->SwapPoints(Index, Index + 1);
    ++Index;
  }
  GrowToShow(Chart->BottomAxis(), X);
  return Index;
}

void TVarChartForm::SetKeyY(Integer Index, Double Y) {
  if (!series_ || Index < 0 || Index >= series_->Count()) return;
  series_->QuantizeValue(Y);
  series_->YValues()->SetValue(Index, Y);
  GrowToShow(Chart->LeftAxis(), Y);
  const Integer n = series_->Count();
  if (Index == n - 2) series_->YValues()->SetValue(n - 1, Y);
}

Integer TVarChartForm::AddKey(Double X, Double Y) {
  if (!series_) return -1;
  series_->QuantizeValue(Y);
  const Integer n = series_->Count();
  if (n == 0) return series_->AddXY(0, Y);

  const bool frames = series_->XMode == xmFrames;
  const TChartValueList* xs = series_->XValues();
  const Double first = xs->GetValue(0);
  const Double cap = frames ? kLastFrame : 100.0;
  // After key 0 and before the last key, which keep their places, and never on a key.
  auto fits = [&](Double c) {
    if (!(c > first) || c > cap || (n > 1 && !(c < xs->GetValue(n - 1)))) return false;
    for (Integer i = 0; i < n; ++i)
      if (xs->GetValue(i) == c) return false;
    return true;
  };
  const Double wanted = frames ? std::nearbyint(X) : X;
  const Double upper = n > 1 ? std::min(cap, xs->GetValue(n - 1)) : cap;
  const Double p = std::clamp(wanted, first, std::max(first, upper));
  // A taken place gives way to the free one a unit off it, on the side of X first.
  const Double towards = X < p ? -1 : 1;
  Double at = p;
  if (!fits(at)) at = p + towards;
  if (!fits(at)) at = p - towards;
  if (!fits(at)) return -1;

  const Integer index = series_->AddXY(at, Y);
  if (index < 0) return -1;
  GrowToShow(Chart->BottomAxis(), at);
  GrowToShow(Chart->LeftAxis(), Y);
  Chart->Invalidate();
  return index;
}

void TVarChartForm::AddButtonClick(TObject*) {
  if (!series_) return;
  Double x;
  if (LineTool->Active()) {
    x = LineTool->Value();
  } else {
    // The marker is not shown: the middle of what is shown.
    TChartAxis* a = Chart->BottomAxis();
    x = (a->Minimum() + a->Maximum()) / 2;
  }
  AddKey(x, series_->ValueAt(x));
}

void TVarChartForm::ClearButtonClick(TObject*) {
  if (!series_) return;
  if (MessageDlg(kClearQuestion, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes) return;
  if (!series_) return;
  const Double y0 = series_->Count() > 0 ? series_->YValues()->GetValue(0) : 0;
  series_->Clear();
  // The keys of a new curve, so that a cleared curve saves as a new one does.
  series_->AddXY(0, y0);
  series_->AddXY(kLastFrame, y0);
  Chart->Invalidate();
}

void TVarChartForm::DeleteKeyframeClick(TObject*) {
  if (!series_) return;
  // The first and the last key stay.
  if (popupIndex_ <= 0 || popupIndex_ >= series_->Count() - 1) return;
  series_->Delete(popupIndex_);
  popupIndex_ = -1;
  Chart->Invalidate();
}

void TVarChartForm::EditValuesClick(TObject*) {
  if (!series_ || popupIndex_ < 0 || popupIndex_ >= series_->Count()) return;
  auto dialog = std::make_unique<TEditKeyframeForm>(nullptr);
  const TPoint mouse = KeyPopup->PopupPoint();
  dialog->SetLeft(mouse.x - 64);
  dialog->SetTop(mouse.y - 64);
  dialog->LoadKey(*series_, popupIndex_);
  if (dialog->ShowModal() != mrOk || !series_ || popupIndex_ < 0 || popupIndex_ >= series_->Count()) return;
  Integer index = popupIndex_;
  if (dialog->KeyXChanged()) index = SetKeyX(index, dialog->KeyX());
  if (dialog->KeyYChanged()) SetKeyY(index, dialog->KeyY());
  Chart->Invalidate();
}
