#pragma once
// TPropsForm: the selected particle system's settings. A tree of properties on the left;
// on the right a page of plain settings, the maps page, or the shared curve editor showing
// the chosen property's curve and, where it has one, its jitter curve. Every control
// writes straight into the shown system and does nothing when there is none.
#include <vector>

#include "platform/classlib/forms.h"

class TKitSimpleLabel;
class TKitSimplePanel;
class TComboBox;
class TEmitter;
class TFpPushButton;
class TNumSpinEdit;
class TPageControl;
class TParticleMapsForm;
class TTabSheet;
class TTreeNode;
class TTreeView;
class TVarChartForm;
class TVarSeries;

class TPropsForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TPropsForm(TComponent* AOwner);
  ~TPropsForm() override;

  // The shown system, or none (nullptr): re-selects the tree's property, the label, and
  // fills the controls and the maps page from it.
  void SetSystem(TEmitter* s);
  TEmitter* System() const { return system_; }
  // The label names the shown system and its emitter as they are named now.
  void ShowSystemName();
  // Shows the page or curve of tree node Index (0 to 21); nothing without a system.
  void SelectProperty(Integer Index);
  // Captions and visibility of the two curve sheets for the selected node.
  void SetupJitterPage();
  // The shared curve editor back onto the "Property" sheet.
  void ParentGraphToPropertyPage();

  // The curves of the selected node (none for the pages).
  TVarSeries* PropertySeries() const { return property_; }
  TVarSeries* JitterSeries() const { return jitter_; }
  // The tree's node at position Index (0 to 21).
  TTreeNode* NodeAt(Integer Index) const;
  // The number of the selected node, -1 when none.
  Integer SelectedIndex() const;

  // ---- published handlers ----
  void FormCreate(TObject* Sender);
  void PropsTreeChange(TObject* Sender, TTreeNode* Node);
  void PropJitterPagesChange(TObject* Sender);
  void SysLifeSpanSpinChange(TObject* Sender);
  void SysLivesSpinChange(TObject* Sender);
  void RenderComboChange(TObject* Sender);
  void RadiusSpinChange(TObject* Sender);
  void EmitterShapeComboChange(TObject* Sender);
  void FocusShapeComboChange(TObject* Sender);
  void PreviewButtonClick(TObject* Sender);
  void RewindButtonClick(TObject* Sender);
  void CueButtonClick(TObject* Sender);

  // ---- made by the form ----
  // The shared curve editor (also shown by the emitter's Visibility sheet).
  TVarChartForm* CurveEditor = nullptr;
  TParticleMapsForm* MapsForm = nullptr;
  // The three cue-card panels; the main window moves the last one to the bottom.
  std::vector<TWinControl*> CuePanels;

  // ---- the form's components ----
  TKitSimpleLabel* SystemLabel = nullptr;
  TTreeView* PropsTree = nullptr;
  TPageControl* PropPages = nullptr;
  TTabSheet* SystemSheet = nullptr;
  TTabSheet* ParticleSheet = nullptr;
  TTabSheet* AnimationSheet = nullptr;
  TTabSheet* RenderSheet = nullptr;
  TTabSheet* SettingSheet = nullptr;
  TPageControl* PropJitterPages = nullptr;
  TTabSheet* PropertySheet = nullptr;
  TTabSheet* JitterSheet = nullptr;
  TNumSpinEdit* SysLifeSpanSpin = nullptr;
  TNumSpinEdit* SysLivesSpin = nullptr;
  TComboBox* EmitterShapeCombo = nullptr;
  TNumSpinEdit* RadiusSpin = nullptr;
  TComboBox* FocusShapeCombo = nullptr;
  TComboBox* RenderCombo = nullptr;
  TKitSimplePanel* RenderMapsPanel = nullptr;
  TFpPushButton* PreviewButton = nullptr;
  TFpPushButton* RewindButton = nullptr;

 private:
  void BuildTree();
  void FillControls();
  // Empties the shared editor while it sits on this form's curve sheets.
  void ReleaseHiddenCurve();

  TEmitter* system_ = nullptr;
  TVarSeries* property_ = nullptr;
  TVarSeries* jitter_ = nullptr;
  std::vector<TTreeNode*> nodes_;
  // Raised while the controls are filled, so their change events write nothing.
  Integer updating_ = 0;
};
