#pragma once
// TColorChartForm: edits one colour gradient. The keys are points on a chart drawn over a
// strip painted with the gradient itself; keys are dragged along X, added, deleted,
// recoloured through the colour dialog, and gradients go to and come from ".zkg" files.
//
// The form does not own the gradient: it belongs to its variable system. The form asks to
// be told when the gradient goes, and takes it off the chart before the chart goes.
#include "platform/classlib/forms.h"

class TKitComboBox;
class TChart;
class TColorDialog;
class TColorSeries;
class TMenuItem;
class TOpenDialog;
class TPopupMenu;
class TSaveDialog;

class TColorChartForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TColorChartForm(TComponent* AOwner);
  ~TColorChartForm() override;

  // The gradient shown, or none: every series leaves the chart first.
  void SetSeries(TColorSeries* Series);
  TColorSeries* Series() const { return series_; }
  // The colour dialog starts at key Index's colour; on OK the key takes the chosen one.
  void PickColor(Integer Index);
  // A white key at X 100, or at X 50 in percentage mode once a key sits at 100 or beyond.
  void AddKey();
  // Back to the one white key.
  void ClearKeys();
  // Key 0 always; in percentage mode the last key too.
  bool IsFixedKey(Integer Index) const;

  // ---- published handlers ----
  void ChartBeforeDrawSeries(TObject* Sender);
  void ChartMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ChartMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ChartMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ChartDblClick(TObject* Sender);
  void OpenButtonClick(TObject* Sender);
  void SaveButtonClick(TObject* Sender);
  void AddButtonClick(TObject* Sender);
  void ClearButtonClick(TObject* Sender);
  void KeyPopupPopup(TObject* Sender);
  void DeleteColorClick(TObject* Sender);
  void ColorPickerClick(TObject* Sender);

  // ---- state ----
  Byte Dragging = 0;
  // The key being dragged, or the one the popup or the colour dialog acts on; -1 none.
  Integer DragIndex = -1;
  // Set for the particle colour: X runs 0 to 100 and the last key stays put.
  Byte PercentageMode = 0;

  // ---- the form's components ----
  TChart* Chart = nullptr;
  // Item 0 "Gradient Color", item 1 "Random Color"; its OnChange belongs to the page
  // that embeds the form.
  TKitComboBox* ColorModeCombo = nullptr;
  TPopupMenu* KeyPopup = nullptr;
  TMenuItem* AddColorItem = nullptr;
  TMenuItem* DeleteColorItem = nullptr;
  TMenuItem* ColorPickerItem = nullptr;
  TColorDialog* ColorDialog = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TSaveDialog* SaveDialog = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  // The key under a point of the chart, or -1.
  Integer KeyAt(Integer X, Integer Y) const;
  // Moves key Index to X and back into X order; the key's new index.
  Integer MoveKey(Integer Index, Double X);
  void LoadGradient();
  void SaveGradient();
  void ShowError(const std::string& Message);

  TColorSeries* series_ = nullptr;
};
