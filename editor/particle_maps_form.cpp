#include "editor/particle_maps_form.h"

#include <cmath>
#include <algorithm>

#include "bitmaps/bitmap32.h"
#include "bitmaps/bitmap32_list.h"
#include "bitmaps/image32.h"
#include "bitmaps/layers.h"
#include "controlkit/kit_combo_box.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_speed_button.h"
#include "editor/color_chart_form.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "engine/bitmap32_cache.h"
#include "engine/color_series.h"
#include "engine/default_image.h"
#include "engine/emitter_object.h"
#include "engine/particle_map_options.h"
#include "engine/particle_map_source.h"
#include "engine/particle_system.h"
#include "panels/num_spin_edit.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/dialogs.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/menus.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_combobox.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/std_pagecontrol.h"
#include "platform/classlib/std_trackbar.h"
#include "platform/classlib/strings.h"

namespace {

// The classes the form resource names.
const bool kMapsClassesRegistered = [] {
  RegisterClasses({&TParticleMapsForm::StaticClass(), &TPageControl::StaticClass(), &TTabSheet::StaticClass(),
                   &TImage32::StaticClass(), &TNumSpinEdit::StaticClass(), &TButton::StaticClass(),
                   &TComboBox::StaticClass(), &TLabel::StaticClass(), &TTrackBar::StaticClass(),
                   &TPanel::StaticClass(), &TSpeedButton::StaticClass(), &TPopupMenu::StaticClass(),
                   &TMenuItem::StaticClass(), &TOpenPictureDialog::StaticClass()});
  return true;
}();

Integer SpinInteger(TNumSpinEdit* Spin) { return static_cast<Integer>(std::trunc(Spin->Value())); }

// Raises the counter for the life of a scope.
class TUpdating {
 public:
  explicit TUpdating(Integer& Counter) : counter_(Counter) { BeginUpdateCount(counter_); }
  ~TUpdating() { EndUpdateCount(counter_); }
  TUpdating(const TUpdating&) = delete;
  TUpdating& operator=(const TUpdating&) = delete;

 private:
  Integer& counter_;
};

}  // namespace

const TClass& TParticleMapsForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TParticleMapsForm>("TParticleMapsForm", TForm::StaticClass(), &TParticleMapsForm::Publish);
  return cls;
}

void TParticleMapsForm::Publish(TPublished& published) {
  auto p = published.For<TParticleMapsForm>();
  p.Method("MapSpinChange", &TParticleMapsForm::MapSpinChange);
  p.Method("AddMapButtonClick", &TParticleMapsForm::AddMapButtonClick);
  p.Method("DelButtonClick", &TParticleMapsForm::DelButtonClick);
  p.Method("FlipComboChange", &TParticleMapsForm::FlipComboChange);
  p.Method("MapModeComboChange", &TParticleMapsForm::MapModeComboChange);
  p.Method("MapCycleSpinChange", &TParticleMapsForm::MapCycleSpinChange);
  p.Method("AlphaTrackBarChange", &TParticleMapsForm::AlphaTrackBarChange);
  p.Method("AlphaSpinChange", &TParticleMapsForm::AlphaSpinChange);
  p.Method("OptionsButtonClick", &TParticleMapsForm::OptionsButtonClick);
  p.Method("ShowTransparencyClick", &TParticleMapsForm::ShowTransparencyClick);
  p.Method("ShowOriginClick", &TParticleMapsForm::ShowOriginClick);
  p.Method("OriginCenterClick", &TParticleMapsForm::OriginCenterClick);
  p.Method("OriginTopClick", &TParticleMapsForm::OriginTopClick);
  p.Method("OriginLeftClick", &TParticleMapsForm::OriginLeftClick);
  p.Method("OriginRightClick", &TParticleMapsForm::OriginRightClick);
  p.Method("OriginBottomClick", &TParticleMapsForm::OriginBottomClick);
  p.Method("ChooseImageClick", &TParticleMapsForm::ChooseImageClick);
  p.Method("MaxSizeSpinChange", &TParticleMapsForm::MaxSizeSpinChange);
  p.Method("DitherSpinChange", &TParticleMapsForm::DitherSpinChange);
  p.Method("CueButtonClick", &TParticleMapsForm::CueButtonClick);
}

TParticleMapsForm::TParticleMapsForm(TComponent* AOwner) : TForm(AOwner) {
  (void)kMapsClassesRegistered;
  RegisterEditorKitClasses();
  ReadFormResource();
  MapPages = FindFormPart<TPageControl>(this, "MapPages");
  ImageMapsSheet = FindFormPart<TTabSheet>(this, "ImageMapsSheet");
  ParticleColorSheet = FindFormPart<TTabSheet>(this, "ParticleColorSheet");
  SystemColorSheet = FindFormPart<TTabSheet>(this, "SystemColorSheet");
  AdvSheet = FindFormPart<TTabSheet>(this, "AdvSheet");
  Preview = FindFormPart<TImage32>(this, "Preview");
  MapSpin = FindFormPart<TNumSpinEdit>(this, "MapSpin");
  AddMapButton = FindFormPart<TKitSpeedButton>(this, "AddMapButton");
  DelButton = FindFormPart<TKitSpeedButton>(this, "DelButton");
  FlipCombo = FindFormPart<TKitComboBox>(this, "FlipCombo");
  MapModeCombo = FindFormPart<TKitComboBox>(this, "MapModeCombo");
  MapCycleSpin = FindFormPart<TNumSpinEdit>(this, "MapCycleSpin");
  AlphaTrackBar = FindFormPart<TTrackBar>(this, "AlphaTrackBar");
  AlphaSpin = FindFormPart<TNumSpinEdit>(this, "AlphaSpin");
  OptionsButton = FindFormPart<TKitSpeedButton>(this, "OptionsButton");
  OptionsMenu = FindFormPart<TPopupMenu>(this, "OptionsMenu");
  ShowTransparencyItem = FindFormPart<TMenuItem>(this, "ShowTransparencyItem");
  ShowOriginItem = FindFormPart<TMenuItem>(this, "ShowOriginItem");
  MoveOriginItem = FindFormPart<TMenuItem>(this, "MoveOriginItem");
  OriginCenterItem = FindFormPart<TMenuItem>(this, "OriginCenterItem");
  OriginTopItem = FindFormPart<TMenuItem>(this, "OriginTopItem");
  OriginLeftItem = FindFormPart<TMenuItem>(this, "OriginLeftItem");
  OriginRightItem = FindFormPart<TMenuItem>(this, "OriginRightItem");
  OriginBottomItem = FindFormPart<TMenuItem>(this, "OriginBottomItem");
  ChooseImageItem = FindFormPart<TMenuItem>(this, "ChooseImageItem");
  MaxSizeSpin = FindFormPart<TNumSpinEdit>(this, "MaxSizeSpin");
  DitherSpin = FindFormPart<TNumSpinEdit>(this, "DitherSpin");
  PictureDialog = FindFormPart<TOpenPictureDialog>(this, "PictureDialog");
  CuePanels = {FindFormPart<TKitSimplePanel>(this, "MapsCuePanel"), FindFormPart<TKitSimplePanel>(this, "AdvCuePanel")};
  // The four tabs fit the page at the main window's size in the small face of the labels;
  // the sheets keep the face they had.
  for (Integer i = 0; i < MapPages->PageCount(); ++i) {
    MapPages->Pages(i)->Font()->Assign(MapPages->Font());
    MapPages->Pages(i)->SetParentFont(false);
  }
  MapPages->Font()->SetName("Arial");
  MapPages->Font()->SetHeight(-9);
  FormCreate(this);
}

TParticleMapsForm::~TParticleMapsForm() {
  // The colour editors go with the form; their combos must not call back into it.
  if (ParticleColorEditor) ParticleColorEditor->ColorModeCombo->OnChange = nullptr;
  if (BaseColorEditor) BaseColorEditor->ColorModeCombo->OnChange = nullptr;
  if (Preview) {
    Preview->OnMouseDown = nullptr;
    Preview->OnPaintStage = nullptr;
  }
}

void TParticleMapsForm::FormCreate(TObject*) {
  SetupPreview();

  ImageList = new TBitmap32List(this);
  ImageList->Bitmaps()->Add()->SetBitmap(DefaultParticleImage());
  for (Integer i = 0; i < ImageList->Bitmaps()->Count(); ++i)
    MakeAlphaFromIntensity(ImageList->Bitmaps()->Items(i)->Bitmap());

  MapModeCombo->SetItemIndex(0);
  MapSpin->SetMaxValue(0);
  MapPages->SetActivePageIndex(0);
  ShowMap(0);

  ParticleColorEditor = new TColorChartForm(this);
  ParticleColorEditor->PercentageMode = 1;
  EmbedForm(ParticleColorEditor, FindFormPart<TKitSimplePanel>(this, "ParticleColorPanel"), alClient);
  ParticleColorEditor->ColorModeCombo->OnChange = [this](TObject* s) { ParticleColorModeChange(s); };

  BaseColorEditor = new TColorChartForm(this);
  BaseColorEditor->PercentageMode = 0;
  EmbedForm(BaseColorEditor, FindFormPart<TKitSimplePanel>(this, "SystemColorPanel"), alClient);
  BaseColorEditor->ColorModeCombo->OnChange = [this](TObject* s) { BaseColorModeChange(s); };

  StartInDataFolder(PictureDialog);
}

void TParticleMapsForm::SetSystem(TEmitter* s) {
  system_ = s;
  if (s) return;
  // Nothing may keep pointing into a system that may be freed next.
  source_ = nullptr;
  options_ = nullptr;
  image_ = nullptr;
  ParticleColorEditor->SetSeries(nullptr);
  BaseColorEditor->SetSeries(nullptr);
  RenderPreview();
}

void TParticleMapsForm::LoadFromSystem() {
  if (!system_) return;
  TParticleSystem& sys = *system_->System;
  Bitmap32Cache().Clear();
  image_ = nullptr;
  source_ = sys.MapSource.get();
  TUpdating updating(updating_);
  MapSpin->SetMaxValue(source_->Count() - 1);
  ShowMap(sys.FixedMapIndex);
  ShowItem(MapModeCombo, sys.MapMode);
  MapCycleSpin->SetValue(sys.MapCycle);
  ParticleColorEditor->SetSeries(sys.ParticleColor.get());
  ShowItem(ParticleColorEditor->ColorModeCombo, sys.ColorMode);
  BaseColorEditor->SetSeries(sys.BaseColor.get());
  ShowItem(BaseColorEditor->ColorModeCombo, sys.BaseColorMode);
  MaxSizeSpin->SetValue(sys.MaxPixelSize);
  DitherSpin->SetValue(sys.SpatialDither);
}

void TParticleMapsForm::ShowMap(Integer Index) {
  if (!source_) return;
  if (Index < 0 || Index >= source_->Count()) Index = 0;
  TUpdating updating(updating_);
  options_ = source_->OptionsAt(Index);
  image_ = LoadImage(Index);
  SetAlpha(static_cast<Integer>(std::trunc(options_->Alpha * 255)));
  ShowItem(FlipCombo, options_->Flip);
  RenderPreview();
  MapSpin->SetValue(Index);
  if (system_) system_->System->FixedMapIndex = Index;
}

TBitmap32* TParticleMapsForm::LoadImage(Integer Index) {
  try {
    return source_->BitmapAt(Index);
  } catch (const Exception& e) {
    // A file that exists but cannot be read: shown as the built-in image, and the user
    // is told which one.
    ShowError(e.Message());
    return DefaultParticleImage();
  }
}

void TParticleMapsForm::ShowError(const std::string& Message) { MessageDlg(Message, mtError, {mbOK}, 0); }

void TParticleMapsForm::SetAlpha(Integer Value) {
  Value = std::clamp<Integer>(Value, 0, 255);
  if (AlphaTrackBar->Position() != Value) {
    AlphaTrackBar->SetPosition(Value);
  } else if (SpinInteger(AlphaSpin) != Value) {
    AlphaSpin->SetValue(Value);
  } else {
    if (PreviewLayer) {
      PreviewLayer->Bitmap()->SetMasterAlpha(static_cast<TColor32>(Value));
      PreviewLayer->Changed();
    }
    // Showing an image does not write its alpha back (it would round it to 1/255).
    if (system_ && options_ && !IsUpdating(updating_)) options_->Alpha = static_cast<Single>(Value) / 255.0f;
  }
}

void TParticleMapsForm::AlphaTrackBarChange(TObject*) { SetAlpha(AlphaTrackBar->Position()); }

void TParticleMapsForm::AlphaSpinChange(TObject*) { SetAlpha(SpinInteger(AlphaSpin)); }

void TParticleMapsForm::MapSpinChange(TObject*) {
  if (IsUpdating(updating_)) return;
  ShowMap(SpinInteger(MapSpin));
}

void TParticleMapsForm::AddMapButtonClick(TObject*) {
  if (!system_ || !source_) return;
  PictureDialog->SetOptions(PictureDialog->Options().Include(ofAllowMultiSelect));
  if (!ExecutePictureDialog()) return;
  std::vector<std::string> files;
  for (Integer i = 0; i < PictureDialog->Files()->Count(); ++i) files.push_back(PictureDialog->Files()->Strings(i));
  if (files.empty() && !PictureDialog->FileName().empty()) files.push_back(PictureDialog->FileName());
  Bitmap32Cache().Clear();
  image_ = nullptr;
  options_ = nullptr;
  // A picture that cannot be read does not join the list (the renderer would meet the
  // same failure on every frame); the others do.
  std::string errors;
  for (const std::string& f : files) {
    const Integer index = source_->AddMap(f);
    std::string error;
    if (!CanRead(index, error)) {
      source_->DeleteMap(index);
      errors += (errors.empty() ? "" : "\r\n") + error;
    }
  }
  {
    TUpdating updating(updating_);
    MapSpin->SetMaxValue(source_->Count() - 1);
  }
  ShowMap(source_->Count() - 1);
  if (!errors.empty()) ShowError(errors);
}

void TParticleMapsForm::DelButtonClick(TObject*) {
  if (!system_ || !source_ || source_->Count() < 2) return;
  const Integer index = SpinInteger(MapSpin);
  if (index < 0 || index >= source_->Count()) return;
  options_ = nullptr;
  source_->DeleteMap(index);
  {
    TUpdating updating(updating_);
    MapSpin->SetMaxValue(source_->Count() - 1);
  }
  ShowMap(SpinInteger(MapSpin));
}

void TParticleMapsForm::ChooseImage() {
  if (!system_ || !source_) return;
  PictureDialog->SetOptions(PictureDialog->Options().Exclude(ofAllowMultiSelect));
  if (!ExecutePictureDialog()) return;
  const Integer index = SpinInteger(MapSpin);
  if (index < 0 || index >= source_->Count()) return;
  const std::string previous = source_->Maps().Strings(index);
  source_->Maps().SetStrings(index, PictureDialog->FileName());
  Bitmap32Cache().Clear();
  image_ = nullptr;
  // A picture that cannot be read leaves the entry as it was.
  std::string error;
  const bool readable = CanRead(index, error);
  if (!readable) source_->Maps().SetStrings(index, previous);
  ShowMap(index);
  if (!readable) ShowError(error);
}

bool TParticleMapsForm::ExecutePictureDialog() {
  // The data folder may have been set after the form was made.
  if (PictureDialog->InitialDir().empty()) StartInDataFolder(PictureDialog);
  return ExecuteRememberingFolder(PictureDialog);
}

bool TParticleMapsForm::CanRead(Integer Index, std::string& Error) {
  try {
    source_->BitmapAt(Index);
    return true;
  } catch (const Exception& e) {
    Error = source_->Maps().Strings(Index) + ": " + e.Message();
    return false;
  }
}

void TParticleMapsForm::ChooseImageClick(TObject*) { ChooseImage(); }

void TParticleMapsForm::FlipComboChange(TObject*) {
  if (!system_ || !options_ || IsUpdating(updating_) || FlipCombo->ItemIndex() < 0) return;
  options_->Flip = static_cast<Byte>(FlipCombo->ItemIndex());
  ShowMap(SpinInteger(MapSpin));
}

void TParticleMapsForm::MapModeComboChange(TObject*) {
  if (!system_ || IsUpdating(updating_) || MapModeCombo->ItemIndex() < 0) return;
  system_->System->MapMode = MapModeCombo->ItemIndex();
}

void TParticleMapsForm::MapCycleSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->System->MapCycle = SpinInteger(MapCycleSpin);
}

void TParticleMapsForm::MaxSizeSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->System->MaxPixelSize = SpinInteger(MaxSizeSpin);
}

void TParticleMapsForm::DitherSpinChange(TObject*) {
  if (!system_ || IsUpdating(updating_)) return;
  system_->System->SpatialDither = static_cast<Single>(DitherSpin->Value());
}

void TParticleMapsForm::ParticleColorModeChange(TObject*) {
  const Integer item = ParticleColorEditor->ColorModeCombo->ItemIndex();
  if (!system_ || IsUpdating(updating_) || item < 0) return;
  system_->System->ColorMode = item;
}

void TParticleMapsForm::BaseColorModeChange(TObject*) {
  const Integer item = BaseColorEditor->ColorModeCombo->ItemIndex();
  if (!system_ || IsUpdating(updating_) || item < 0) return;
  system_->System->BaseColorMode = item;
}

void TParticleMapsForm::OptionsButtonClick(TObject*) {
  const TPoint p = OptionsButton->ClientToScreen(TPoint{0, OptionsButton->Height()});
  OptionsMenu->Popup(p.x, p.y);
}

void TParticleMapsForm::CueButtonClick(TObject*) { CallLink(EditorLinks().ToggleCues); }
