#pragma once
// TVarChartForm: the curve editor. It shows one keyframed curve of a variable system on
// a chart; keys are added by double-click or with Add, dragged, edited in a small dialog,
// deleted and cleared, and each axis zooms on its own. A second line marks the preview's
// current frame on frame-based curves.
//
// The curve belongs to its variable system: the form only attaches it to the chart and
// detaches it again (before showing another curve, when the curve goes, and when the
// form goes), never frees it.
#include "platform/classlib/forms.h"

class TAction;
class TActionList;
class TChart;
class TChartAxis;
class TColorLineTool;
class TMenuItem;
class TKitImageList;
class TKitSimplePanel;
class TPopupMenu;
class TKitSpeedButton;
class TVarSeries;

class TVarChartForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TVarChartForm(TComponent* AOwner);
  ~TVarChartForm() override;

  // Shows s (or nothing): the X-axis title by its X mode, the X increment its quantum,
  // "Linear" from its tension; then unzooms and puts the current-frame line out of view.
  void SetSeries(TVarSeries* s);
  TVarSeries* Series() const { return series_; }
  // Marks and tension from "Show Marks" and "Linear".
  void ApplyOptions();
  // Both axes to the curve's whole range.
  void Unzoom();
  void ZoomInX(Double Centre);
  void ZoomInY(Double Centre);
  void ZoomOutX();
  void ZoomOutY();
  // Key 0 stays at 0; frames are whole; any other key, the last one too, stays between
  // its neighbours (and a percent curve's within 100); the X axis grows to show it. Returns the key's index
  // afterwards.
  Integer SetKeyX(Integer Index, Double X);
  // Quantised and clamped by the curve; the key before the last carries the last key
  // with it; the Y axis grows to show it.
  void SetKeyY(Integer Index, Double Y);
  // Adds a key with value Y at X (a whole frame on frame curves, at most 100 on the
  // others) after key 0 and before the last key; where a key sits there already, a
  // unit off it (on X's side first). Returns its index, or -1 when there is no free
  // place and nothing was added.
  Integer AddKey(Double X, Double Y);
  // The preview's frame: the current-frame line on frame-based curves, out of view
  // otherwise.
  void ShowFrame(Double Frame);

  Integer DragIndex() const { return dragIndex_; }
  Integer PopupIndex() const { return popupIndex_; }
  bool Dragging() const { return dragging_ != 0; }

  // ---- handlers ----
  void UnzoomButtonClick(TObject* Sender);
  void YOutButtonClick(TObject* Sender);
  void YInButtonClick(TObject* Sender);
  void XOutButtonClick(TObject* Sender);
  void XInButtonClick(TObject* Sender);
  void AddButtonClick(TObject* Sender);
  void ClearButtonClick(TObject* Sender);
  void EditValuesClick(TObject* Sender);
  void DeleteKeyframeClick(TObject* Sender);
  void ShowMarksActionExecute(TObject* Sender);
  void LinearActionExecute(TObject* Sender);
  void ChartScroll(TObject* Sender);
  void ChartAllowScroll(TChartAxis* Sender, Double& AMin, Double& AMax, bool& AllowScroll);
  void LineToolDragLine(TColorLineTool* Sender);
  void ChartMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ChartMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ChartMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ChartDblClick(TObject* Sender);

  // ---- form content ----
  TKitSimplePanel* ToolPanel = nullptr;
  TKitSpeedButton* UnzoomButton = nullptr;
  TKitSpeedButton* YOutButton = nullptr;
  TKitSpeedButton* YInButton = nullptr;
  TKitSpeedButton* XOutButton = nullptr;
  TKitSpeedButton* XInButton = nullptr;
  TKitSpeedButton* AddButton = nullptr;
  TKitSpeedButton* ClearButton = nullptr;
  TChart* Chart = nullptr;
  // The green "Add" marker: created inactive at 0.
  TColorLineTool* LineTool = nullptr;
  // The preview's frame, dotted.
  TColorLineTool* CurrentFrameLineTool = nullptr;
  TPopupMenu* KeyPopup = nullptr;
  TMenuItem* EditValuesItem = nullptr;
  TMenuItem* DeleteKeyframeItem = nullptr;
  TPopupMenu* ChartPopup = nullptr;
  TActionList* ActionList = nullptr;
  TAction* ShowMarksAction = nullptr;
  TAction* LinearAction = nullptr;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void DetachSeries();
  // The key under a client point of the chart, -1 when none.
  Integer KeyAt(Integer X, Integer Y);
  // Widens an axis so that it shows Value.
  static void GrowToShow(TChartAxis* Axis, Double Value);

  TVarSeries* series_ = nullptr;
  Integer dragIndex_ = -1;
  Integer popupIndex_ = -1;
  Byte dragging_ = 0;
};
