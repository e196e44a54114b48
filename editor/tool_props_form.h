#pragma once
// TToolPropsForm: the selected tool's settings. A tree of four nodes per tool kind
// chooses between the kind's page, the strength curve, its jitter curve and the
// lifespan page; the curves show in the form's own curve editor. Every handler writes
// straight into the current tool's modifier, and only into a modifier of its class.
#include <vector>

#include "platform/classlib/forms.h"

class TCheckBox;
class TComboBox;
class TLabel;
class TNumSpinEdit;
class TPageControl;
class TPanel;
class TTabSheet;
class TToolObject;
class TTreeNode;
class TTreeView;
class TVarChartForm;
class TVarSeries;

class TToolPropsForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TToolPropsForm(TComponent* AOwner);
  ~TToolPropsForm() override;

  // Shows t (none: the hint page). The tree gets the kind's nodes and the first one is
  // selected.
  void SetTool(TToolObject* t);
  TToolObject* CurrentTool() const { return tool_; }
  // The kind of the current tool's modifier (0 without one).
  Integer CurrentKind() const { return kind_; }
  // Refills the tree for the current kind.
  void UpdateToolKind();
  // The preview's frame on the curve editor's frame line.
  void ShowFrame(Integer Frame);
  // The page shown now.
  TTabSheet* ActivePage() const;

  // ---- handlers ----
  void ToolPropsTreeChange(TObject* Sender, TTreeNode* Node);
  void DeflectorScaleSpinChange(TObject* Sender);
  void AbsorbsCheckClick(TObject* Sender);
  void FanFalloffComboChange(TObject* Sender);
  void FanScaleSpinChange(TObject* Sender);
  void AttractFalloffComboChange(TObject* Sender);
  void GravitronInfiniteCheckClick(TObject* Sender);
  void GravitronScaleSpinChange(TObject* Sender);
  void LifespanSpinChange(TObject* Sender);
  void LivesSpinChange(TObject* Sender);

  // ---- form content ----
  TTreeView* ToolPropsTree = nullptr;
  TPageControl* PageControl = nullptr;
  TTabSheet* NoToolSheet = nullptr;
  TTabSheet* DeflectorSheet = nullptr;
  TTabSheet* FanSheet = nullptr;
  TTabSheet* AttractorSheet = nullptr;
  TTabSheet* RepulsorSheet = nullptr;
  TTabSheet* LeaderSheet = nullptr;
  TTabSheet* GravitronSheet = nullptr;
  TTabSheet* ChartSheet = nullptr;
  TTabSheet* LifespanSheet = nullptr;
  TNumSpinEdit* DeflectorScaleSpin = nullptr;
  TCheckBox* AbsorbsCheck = nullptr;
  TComboBox* FanFalloffCombo = nullptr;
  TNumSpinEdit* FanScaleSpin = nullptr;
  TComboBox* AttractorFalloffCombo = nullptr;
  TComboBox* RepulsorFalloffCombo = nullptr;
  TComboBox* LeaderFalloffCombo = nullptr;
  TCheckBox* GravitronInfiniteCheck = nullptr;
  TNumSpinEdit* GravitronScaleSpin = nullptr;
  TNumSpinEdit* LifespanSpin = nullptr;
  TNumSpinEdit* LivesSpin = nullptr;
  // The form's own curve editor, embedded in the chart page.
  TVarChartForm* CurveEditor = nullptr;
  // The three cue-card panels; the main window moves the last to the bottom.
  std::vector<TWinControl*> CuePanels;

 private:
  void FillKindPage();
  TVarSeries* StrengthCurve() const;
  TVarSeries* JitterCurve() const;

  TToolObject* tool_ = nullptr;
  Integer kind_ = 0;
  Integer updating_ = 0;
};
