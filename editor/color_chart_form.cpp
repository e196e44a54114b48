#include "editor/color_chart_form.h"

#include <cmath>

#include "chart/chart_axis.h"
#include "chart/chart_control.h"
#include "controlkit/kit_combo_box.h"
#include "editor/editor_helpers.h"
#include "engine/color_series.h"
#include "engine/float_color.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_label.h"

namespace {

constexpr Double kPercentEnd = 100;
constexpr Double kKeyY = 1.0;

// The classes the form resource names.
const bool kColorChartClassesRegistered = [] {
  RegisterClasses({&TColorChartForm::StaticClass(), &TSpeedButton::StaticClass(), &TLabel::StaticClass(),
                   &TComboBox::StaticClass()});
  return true;
}();

}  // namespace

const TClass& TColorChartForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TColorChartForm>("TColorChartForm", TForm::StaticClass(), &TColorChartForm::Publish);
  return cls;
}

void TColorChartForm::Publish(TPublished& published) {
  auto p = published.For<TColorChartForm>();
  p.Method("OpenButtonClick", &TColorChartForm::OpenButtonClick);
  p.Method("SaveButtonClick", &TColorChartForm::SaveButtonClick);
  p.Method("AddButtonClick", &TColorChartForm::AddButtonClick);
  p.Method("ClearButtonClick", &TColorChartForm::ClearButtonClick);
  p.Method("KeyPopupPopup", &TColorChartForm::KeyPopupPopup);
  p.Method("DeleteColorClick", &TColorChartForm::DeleteColorClick);
  p.Method("ColorPickerClick", &TColorChartForm::ColorPickerClick);
}

TColorChartForm::TColorChartForm(TComponent* AOwner) : TForm(AOwner) {
  (void)kColorChartClassesRegistered;
  RegisterEditorKitClasses();
  ReadFormResource();
  Chart = FindFormPart<TChart>(this, "Chart");
  ColorModeCombo = FindFormPart<TKitComboBox>(this, "ColorModeCombo");
  KeyPopup = FindFormPart<TPopupMenu>(this, "KeyPopup");
  AddColorItem = FindFormPart<TMenuItem>(this, "AddColorItem");
  DeleteColorItem = FindFormPart<TMenuItem>(this, "DeleteColorItem");
  ColorPickerItem = FindFormPart<TMenuItem>(this, "ColorPickerItem");
  ColorDialog = FindFormPart<TColorDialog>(this, "ColorDialog");
  OpenDialog = FindFormPart<TOpenDialog>(this, "OpenDialog");
  SaveDialog = FindFormPart<TSaveDialog>(this, "SaveDialog");

  // The chart takes what the hint and the buttons leave, so every key stays in reach.
  Chart->SetAlign(alClient);
  // The chart only shows keys: the mouse belongs to the form, not to zoom and pan.
  Chart->Legend()->SetVisible(false);
  Chart->Zoom()->SetAllow(false);
  Chart->SetAllowPanning(pmNone);
  // Every key sits at Y 1, which says nothing: the left axis is not shown, and it runs from a
  // little below the keys so that they ride low and the marks above them stay in the chart
  // however short the page leaves it.
  Chart->LeftAxis()->SetVisible(false);
  Chart->LeftAxis()->SetMinMax(kKeyY - 0.15, kKeyY + 1);
  Chart->OnBeforeDrawSeries = [this](TObject* s) { ChartBeforeDrawSeries(s); };
  Chart->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ChartMouseDown(s, b, sh, x, y);
  };
  Chart->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { ChartMouseMove(s, sh, x, y); };
  Chart->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    ChartMouseUp(s, b, sh, x, y);
  };
  Chart->OnDblClick = [this](TObject* s) { ChartDblClick(s); };

  StartInDataFolder(OpenDialog);
  StartInDataFolder(SaveDialog);
}

TColorChartForm::~TColorChartForm() {
  // The gradient outlives the chart; it must not be left pointing at a dead one.
  SetSeries(nullptr);
}

void TColorChartForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == series_) {
    series_ = nullptr;
    DragIndex = -1;
    Dragging = 0;
  }
}

void TColorChartForm::SetSeries(TColorSeries* Series) {
  if (Chart) Chart->RemoveAllSeries();
  if (series_ && series_ != Series) series_->RemoveFreeNotification(this);
  series_ = Series;
  DragIndex = -1;
  Dragging = 0;
  if (series_) {
    series_->FreeNotification(this);
    Chart->AddSeries(series_);
  }
  if (Chart) Chart->Invalidate();
}

bool TColorChartForm::IsFixedKey(Integer Index) const {
  if (Index == 0) return true;
  return PercentageMode != 0 && series_ && Index == series_->Count() - 1;
}

Integer TColorChartForm::KeyAt(Integer X, Integer Y) const {
  if (!series_) return -1;
  return series_->Clicked(X, Y);
}

// ---- painting ---------------------------------------------------------------------------------

void TColorChartForm::ChartBeforeDrawSeries(TObject*) {
  if (!series_ || series_->Count() == 0) return;
  const TRect r = Chart->ChartRect();
  const Integer w = r.right - r.left;
  if (w <= 0) return;
  const Double largest = series_->MaxXValue();
  TCanvas* canvas = Chart->Canvas()->ReferenceCanvas();
  canvas->Brush()->SetStyle(bsSolid);
  TColorRGBA c;
  for (Integer i = 0; i <= w; ++i) {
    series_->ColorAt(largest * i / w, c);
    canvas->Brush()->SetColor(RGBToColor(c));
    canvas->FillRect(TRect{r.left + i, r.top, r.left + i + 1, r.bottom});
  }
}

// ---- mouse ------------------------------------------------------------------------------------

void TColorChartForm::ChartMouseDown(TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbRight || !series_) return;
  const Integer key = KeyAt(X, Y);
  DragIndex = key >= 0 && !IsFixedKey(key) ? key : -1;
  if (key >= 0) Chart->SetCursor(crHandPoint);
  if (!Shift.Contains(ssDouble)) Dragging = 1;
}

void TColorChartForm::ChartMouseMove(TObject*, TShiftState, Integer X, Integer Y) {
  if (!series_) return;
  if (Dragging) {
    if (DragIndex < 0 || DragIndex >= series_->Count()) return;
    const Int64 x = Round(series_->XScreenToValue(X));
    // Key 0 holds the start; in percentage mode the end is held by the last key.
    if (x <= 1 || (PercentageMode && x >= kPercentEnd)) return;
    DragIndex = MoveKey(DragIndex, static_cast<Double>(x));
    Chart->Repaint();
    return;
  }
  const Integer key = KeyAt(X, Y);
  Chart->SetCursor(key >= 0 && !IsFixedKey(key) ? crHandPoint : crDefault);
}

void TColorChartForm::ChartMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  Dragging = 0;
  Chart->SetCursor(crDefault);
  if (Button == mbRight) {
    DragIndex = KeyAt(X, Y);
    const TPoint at = Chart->ClientToScreen(TPoint{X, Y});
    KeyPopup->Popup(at.x, at.y);
  }
}

void TColorChartForm::ChartDblClick(TObject*) {
  Dragging = 0;
  const TPoint at = Chart->MouseClientPos();
  DragIndex = KeyAt(at.x, at.y);
  PickColor(DragIndex);
}

Integer TColorChartForm::MoveKey(Integer Index, Double X) {
  series_->XValues()->SetValue(Index, X);
  // Only the moved key is out of place: walk it to its slot so that it stays the one held.
  while (Index > 0 && series_->GetXValue(Index - 1) > X) {
    series_->SwapPoints(Index - 1, Index);
    --Index;
  }
  while (Index < series_->Count() - 1 && series_->GetXValue(Index + 1) < X) {
    series_->SwapPoints(Index, Index + 1);
    ++Index;
  }
  return Index;
}

// ---- keys -------------------------------------------------------------------------------------

void TColorChartForm::PickColor(Integer Index) {
  if (!series_ || Index < 0 || Index >= series_->Count()) return;
  ColorDialog->SetColor(series_->GetValueColor(Index));
  if (!ColorDialog->Execute()) return;
  series_->SetValueColor(Index, ColorDialog->Color());
  Chart->Invalidate();
}

void TColorChartForm::AddKey() {
  if (!series_) return;
  const bool atEnd = PercentageMode && series_->Count() > 0 && series_->MaxXValue() >= kPercentEnd;
  series_->AddXY(atEnd ? 50.0 : 100.0, kKeyY, std::string(), clWhite);
  Chart->Invalidate();
}

void TColorChartForm::ClearKeys() {
  if (!series_) return;
  series_->ResetDefault();
  DragIndex = -1;
  Chart->Invalidate();
}

void TColorChartForm::AddButtonClick(TObject*) { AddKey(); }

void TColorChartForm::ClearButtonClick(TObject*) { ClearKeys(); }

void TColorChartForm::KeyPopupPopup(TObject*) {
  const bool onKey = series_ && DragIndex >= 0 && DragIndex < series_->Count();
  // Any key may go while another stays: the engine reads a gradient of one key anywhere.
  DeleteColorItem->SetEnabled(onKey && series_->Count() >= 2);
  ColorPickerItem->SetEnabled(onKey);
}

void TColorChartForm::DeleteColorClick(TObject*) {
  // Checked again here: the menu item is not the only way in.
  if (!series_ || DragIndex < 0 || DragIndex >= series_->Count() || series_->Count() < 2) return;
  series_->Delete(DragIndex);
  DragIndex = -1;
  Chart->Invalidate();
}

void TColorChartForm::ColorPickerClick(TObject*) { PickColor(DragIndex); }

// ---- files ------------------------------------------------------------------------------------

void TColorChartForm::OpenButtonClick(TObject*) { LoadGradient(); }

void TColorChartForm::SaveButtonClick(TObject*) { SaveGradient(); }

void TColorChartForm::LoadGradient() {
  if (!series_ || !ExecuteRememberingFolder(OpenDialog)) return;
  try {
    // A bad file raises before the gradient changes.
    series_->LoadFromFile(OpenDialog->FileName());
  } catch (const Exception& e) {
    ShowError(e.Message());
  }
  DragIndex = -1;
  Chart->Invalidate();
}

void TColorChartForm::SaveGradient() {
  if (!series_ || !ExecuteRememberingFolder(SaveDialog)) return;
  const std::string file = SaveDialog->FileName();
  try {
    series_->SaveToFile(file);
  } catch (const Exception& e) {
    ShowError("Could not save the colour gradient to \"" + file + "\".\r\r" + e.Message());
  }
}

void TColorChartForm::ShowError(const std::string& Message) { MessageDlg(Message, mtError, {mbOK}, 0); }
