#pragma once
// TParticleMapsForm: the render page of a particle system. The particle images with
// their options (flip, alpha, origin), map mode and cycle, the particle and base colour
// gradients, and the render limits. Every handler writes into the system shown by the
// owning properties page and does nothing when there is none.
#include <string>
#include <vector>

#include "platform/classlib/forms.h"

class TKitComboBox;
class TKitSpeedButton;
class TBitmap32;
class TBitmapLayer;
class TColorChartForm;
class TComboBox;
class TBitmap32List;
class TEmitter;
class TFpPushButton;
class TImage32;
class TMenuItem;
class TNumSpinEdit;
class TOpenPictureDialog;
class TPageControl;
class TParticleMapOptions;
class TParticleMapSource;
class TPopupMenu;
class TTabSheet;
class TTrackBar;

class TParticleMapsForm : public TForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TParticleMapsForm(TComponent* AOwner);
  ~TParticleMapsForm() override;

  // The system whose maps are shown (set by the properties page before LoadFromSystem);
  // none lets go of everything of the last one.
  void SetSystem(TEmitter* s);
  TEmitter* System() const { return system_; }
  // Fills every control from the shown system; nothing without one.
  void LoadFromSystem();
  // Shows image Index of the map source: alpha, flip, the preview; it becomes the
  // system's fixed map.
  void ShowMap(Integer Index);
  // Replaces the image at MapSpin's value by a chosen picture.
  void ChooseImage();
  // The origin at a point of the preview (in preview pixels).
  void SetOrigin(const TPoint& P);
  // Keeps the track bar and the spin in step, then stores the alpha.
  void SetAlpha(Integer Value);

  TParticleMapSource* MapSource() const { return source_; }
  TParticleMapOptions* CurrentOptions() const { return options_; }
  TBitmap32* CurrentImage() const { return image_; }

  // ---- published handlers ----
  void FormCreate(TObject* Sender);
  void MapSpinChange(TObject* Sender);
  void AddMapButtonClick(TObject* Sender);
  void DelButtonClick(TObject* Sender);
  void FlipComboChange(TObject* Sender);
  void MapModeComboChange(TObject* Sender);
  void MapCycleSpinChange(TObject* Sender);
  void AlphaTrackBarChange(TObject* Sender);
  void AlphaSpinChange(TObject* Sender);
  void OptionsButtonClick(TObject* Sender);
  void ShowTransparencyClick(TObject* Sender);
  void ShowOriginClick(TObject* Sender);
  void OriginCenterClick(TObject* Sender);
  void OriginTopClick(TObject* Sender);
  void OriginLeftClick(TObject* Sender);
  void OriginRightClick(TObject* Sender);
  void OriginBottomClick(TObject* Sender);
  void ChooseImageClick(TObject* Sender);
  void PreviewMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void MaxSizeSpinChange(TObject* Sender);
  void DitherSpinChange(TObject* Sender);
  void ParticleColorModeChange(TObject* Sender);
  void BaseColorModeChange(TObject* Sender);
  void CueButtonClick(TObject* Sender);

  // ---- made by the form ----
  TBitmapLayer* PreviewLayer = nullptr;
  TColorChartForm* ParticleColorEditor = nullptr;
  TColorChartForm* BaseColorEditor = nullptr;
  // The two cue-card panels.
  std::vector<TWinControl*> CuePanels;

  // ---- the form's components ----
  TPageControl* MapPages = nullptr;
  TTabSheet* ImageMapsSheet = nullptr;
  TTabSheet* ParticleColorSheet = nullptr;
  TTabSheet* SystemColorSheet = nullptr;
  TTabSheet* AdvSheet = nullptr;
  TImage32* Preview = nullptr;
  TNumSpinEdit* MapSpin = nullptr;
  TKitSpeedButton* AddMapButton = nullptr;
  TKitSpeedButton* DelButton = nullptr;
  TKitComboBox* FlipCombo = nullptr;
  TKitComboBox* MapModeCombo = nullptr;
  TNumSpinEdit* MapCycleSpin = nullptr;
  TTrackBar* AlphaTrackBar = nullptr;
  TNumSpinEdit* AlphaSpin = nullptr;
  TKitSpeedButton* OptionsButton = nullptr;
  TPopupMenu* OptionsMenu = nullptr;
  TMenuItem* ShowTransparencyItem = nullptr;
  TMenuItem* ShowOriginItem = nullptr;
  TMenuItem* MoveOriginItem = nullptr;
  TMenuItem* OriginCenterItem = nullptr;
  TMenuItem* OriginTopItem = nullptr;
  TMenuItem* OriginLeftItem = nullptr;
  TMenuItem* OriginRightItem = nullptr;
  TMenuItem* OriginBottomItem = nullptr;
  TMenuItem* ChooseImageItem = nullptr;
  TNumSpinEdit* MaxSizeSpin = nullptr;
  TNumSpinEdit* DitherSpin = nullptr;
  TOpenPictureDialog* PictureDialog = nullptr;
  // Holds the default particle image.
  TBitmap32List* ImageList = nullptr;

 private:
  // The checker background, the image layer and the origin stage.
  void SetupPreview();
  // The layer's bitmap from the current image, mirrored by the options' flip.
  void RenderPreview();
  // The image of entry Index; one that cannot be read is reported and shown as the
  // built-in image.
  TBitmap32* LoadImage(Integer Index);
  void ShowError(const std::string& Message);
  // The picture dialog, starting in the data folder until a file has been chosen.
  bool ExecutePictureDialog();
  // Whether entry Index's picture loads; else Error says why.
  bool CanRead(Integer Index, std::string& Error);
  // The origin marker over the layers.
  void PreviewPaintStage(TObject* Sender, TBitmap32* Buffer, Cardinal StageNum);
  void Repaint();

  TEmitter* system_ = nullptr;
  TParticleMapSource* source_ = nullptr;
  TParticleMapOptions* options_ = nullptr;
  TBitmap32* image_ = nullptr;
  Integer updating_ = 0;
};
