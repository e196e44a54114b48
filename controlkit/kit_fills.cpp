// Gradient, shape fill and fill object.
#include <algorithm>

#include "controlkit/kit_properties.h"
#include "platform/win/gdi.h"

// ---- TKitGradient --------------------------------------------------------------------------------

const TClass& TKitGradient::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitGradient>("TKitGradient", TKitObject::StaticClass(), &TKitGradient::Publish);
  return cls;
}

void TKitGradient::Publish(TPublished& published) {
  using G = TKitGradient;
  auto p = published.For<G>();
  p.Integer("ColorCount", &G::ColorCount, &G::SetColorCount).Default(16);
  p.Integer("Color", &G::Color, &G::SetColor).Idents(ColorIdents()).Default(0xFF0000);
  p.Integer("EndColor", &G::EndColor, &G::SetEndColor).Idents(ColorIdents()).Default(clBlack);
  p.Boolean("PaletteRealize", &G::PaletteRealize, &G::SetPaletteRealize).Default(false);
  p.Enum("Style", KitGradientStyleInfo(), &G::Style, &G::SetStyle).Default(gstVertical);
  p.Boolean("TwoColors", &G::TwoColors, &G::SetTwoColors).Default(true);
}

TKitGradient::TKitGradient() { Recompute(); }

TKitGradient::~TKitGradient() { FreePalette(); }

void TKitGradient::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitGradient*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKitGradient> once(*this);
  colorCount_ = source->colorCount_;
  color_ = source->color_;
  endColor_ = source->endColor_;
  paletteRealize_ = source->paletteRealize_;
  style_ = source->style_;
  twoColors_ = source->twoColors_;
  keys_ = source->keys_;
  Recompute();
}

std::string TKitGradient::SettingsText() {
  static const char* const kWords[] = {"horizontal", "vertical",     "square",        "elliptic",
                                       "top left",   "top right",    "bottom left",   "bottom right",
                                       "top left diag", "top right diag"};
  const std::size_t i = static_cast<std::size_t>(style_);
  return std::string(i < std::size(kWords) ? kWords[i] : "") + ", Col: " + std::to_string(colorCount_) +
         (twoColors_ ? ", 2 col mode" : ", mult. col mode");
}

void TKitGradient::Change() {
  Recompute();
  TKitObject::Change();
}

void TKitGradient::DefineProperties(TFiler* Filer) {
  TKitObject::DefineProperties(Filer);
  Filer->DefineProperty(
      "ColorList",
      [this](TReader& reader) {
        std::vector<TColor> keys;
        reader.ReadListBegin();
        while (!reader.EndOfList()) keys.push_back(reader.ReadInteger());
        reader.ReadListEnd();
        SetColorList(keys);
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (TColor key : keys_) writer.WriteInteger(key);
        writer.WriteListEnd();
      },
      !keys_.empty());
}

void TKitGradient::SetColorCount(Integer Value) {
  KitPut(*this, colorCount_, std::clamp(Value, kKitMinColorCount, kKitMaxColorCount));
}
void TKitGradient::SetColor(TColor Value) { KitPut(*this, color_, Value); }
void TKitGradient::SetEndColor(TColor Value) { KitPut(*this, endColor_, Value); }
void TKitGradient::SetPaletteRealize(bool Value) { KitPut(*this, paletteRealize_, Value); }
void TKitGradient::SetStyle(TKitGradientStyle Value) { KitPut(*this, style_, Value); }
void TKitGradient::SetTwoColors(bool Value) { KitPut(*this, twoColors_, Value); }

void TKitGradient::SetColorList(const std::vector<TColor>& Value) {
  TKitOneChange<TKitGradient> once(*this);
  keys_ = Value;
}

void TKitGradient::Recompute() {
  colors_.clear();
  FreePalette();
  if (twoColors_) {
    BuildColorList(color_, endColor_, colorCount_, true, colors_);
  } else if (keys_.size() > 1) {
    // Segments share their joint colour: the first gives n colours, the others n - 1.
    const Integer n = colorCount_ / static_cast<Integer>(keys_.size());
    BuildColorList(keys_[0], keys_[1], n, true, colors_);
    for (std::size_t i = 1; i + 1 < keys_.size(); ++i) BuildColorList(keys_[i], keys_[i + 1], n, false, colors_);
  }
  if (paletteRealize_) palette_ = CreateColorPalette(colors_);
}

void TKitGradient::FreePalette() {
  if (palette_) win::DeleteObject(palette_);
  palette_ = nullptr;
}

void TKitGradient::Fill(TCanvas* Canvas, const TRect& R, Word Flags) {
  if (palette_) Flags = static_cast<Word>(Flags | kKitGfPalette);
  FillGradientShape(Canvas, R, style_, &colors_, palette_, Flags, 0);
}

// ---- TKitShapeFill -------------------------------------------------------------------------------

const TClass& TKitShapeFill::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitShapeFill>("TKitShapeFill", TKitObject::StaticClass(), &TKitShapeFill::Publish);
  return cls;
}

void TKitShapeFill::Publish(TPublished& published) {
  using F = TKitShapeFill;
  auto p = published.For<F>();
  p.Object("Bitmap", &F::Bitmap, &F::SetBitmap);
  p.Object("Gradient", &F::Gradient, &F::SetGradient);
  p.Enum("Style", KitFillStyleInfo(), &F::Style, &F::SetStyle).Default(sfBrush);
  p.Enum("TileMode", KitTileModeInfo(), &F::TileMode, &F::SetTileMode).Default(tmTile);
}

TKitShapeFill::TKitShapeFill()
    : bitmap_(std::make_unique<TBitmap>()),
      gradient_(std::make_unique<TKitGradient>()),
      listBitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = [this](TObject*) { NotifyChange(); };
  gradient_->OnChange = [this](TObject*) { NotifyChange(); };
}

TKitShapeFill::~TKitShapeFill() {
  bitmap_->OnChange = nullptr;
  gradient_->OnChange = nullptr;
}

void TKitShapeFill::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitShapeFill*>(Source);
  if (!source) return TKitObject::Assign(Source);
  TKitOneChange<TKitShapeFill> once(*this);
  bitmap_->Assign(source->Bitmap());
  gradient_->Assign(source->Gradient());
  listBitmap_->Assign(source->ListBitmap());
  style_ = source->style_;
  tileMode_ = source->tileMode_;
}

std::string TKitShapeFill::SettingsText() {
  switch (style_) {
    case sfNone:
      return "{Disabled}";
    case sfBrush:
      return "{Brush}";
    case sfBitmap:
      return "{Bitmap}";
    case sfBitmapList:
      return "{BitmapList}";
    case sfGradient:
      return "{Gradient}";
    default:
      return "{}";
  }
}

void TKitShapeFill::SetBitmap(TBitmap* Value) { bitmap_->Assign(Value); }
void TKitShapeFill::SetGradient(TKitGradient* Value) { gradient_->Assign(Value); }
void TKitShapeFill::SetStyle(TKitFillStyle Value) { KitPut(*this, style_, Value); }
void TKitShapeFill::SetTileMode(TKitTileMode Value) { KitPut(*this, tileMode_, Value); }

// ---- TKitFillObject ------------------------------------------------------------------------------

const TClass& TKitFillObject::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitFillObject>("TKitFillObject", TKitShapeFill::StaticClass(), &TKitFillObject::Publish);
  return cls;
}

void TKitFillObject::Publish(TPublished& published) {
  using F = TKitFillObject;
  auto p = published.For<F>();
  p.Enum("Alignment", KitAlignmentInfo(), &F::Alignment, &F::SetAlignment).Default(agTopLeft);
  p.Integer("OffsetX", &F::OffsetX, &F::SetOffsetX).Default(0);
  p.Integer("OffsetY", &F::OffsetY, &F::SetOffsetY).Default(0);
  p.Object("Brush", &F::Brush, &F::SetBrush);
  p.Set("Options", KitFillOptionInfo(), &F::Options, &F::SetOptions)
      .Default(TKitFillOptions{foFillInner, foGrUseBitmap});
  p.Enum("Style", KitFillStyleInfo(), &F::Style, &F::SetStyle).Default(sfNone);
}

TKitFillObject::TKitFillObject() : brush_(std::make_unique<TBrush>()) {
  style_ = sfNone;
  brush_->OnChange = [this](TObject*) { NotifyChange(); };
}

TKitFillObject::~TKitFillObject() { brush_->OnChange = nullptr; }

void TKitFillObject::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TKitFillObject*>(Source);
  if (!source) return TKitShapeFill::Assign(Source);
  TKitOneChange<TKitFillObject> once(*this);
  TKitShapeFill::Assign(Source);
  alignment_ = source->alignment_;
  offsetX_ = source->offsetX_;
  offsetY_ = source->offsetY_;
  brush_->Assign(source->Brush());
  options_ = source->options_;
}

bool TKitFillObject::PlacementMatters() const {
  return (style_ == sfBitmap || style_ == sfBitmapList) && TileMode() == tmNone;
}

void TKitFillObject::SetAlignment(TKitAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  if (PlacementMatters()) Change();
}

void TKitFillObject::SetOffsetX(Integer Value) {
  if (Value == offsetX_) return;
  offsetX_ = Value;
  if (PlacementMatters()) Change();
}

void TKitFillObject::SetOffsetY(Integer Value) {
  if (Value == offsetY_) return;
  offsetY_ = Value;
  if (PlacementMatters()) Change();
}

void TKitFillObject::SetBrush(TBrush* Value) { brush_->Assign(Value); }

void TKitFillObject::SetOptions(TKitFillOptions Value) { KitPut(*this, options_, Value); }

bool TKitFillObject::Fill(TCanvas* Canvas, const TRect& R, TColor BackColor) {
  if (!Canvas || R.right <= R.left || R.bottom <= R.top) return false;
  switch (style_) {
    case sfNone:
      return false;

    case sfBrushBitmap: {
      if (Bitmap()->Empty()) {
        FillSolidRect(Canvas, R, BackColor);
        return false;
      }
      Canvas->Brush()->SetBitmap(Bitmap());
      Canvas->FillRect(R);
      Canvas->Brush()->SetBitmap(nullptr);
      return true;
    }

    case sfBrush: {
      Canvas->SetBrush(brush_.get());
      Canvas->Pen()->SetColor(BackColor);
      if (brush_->Style() != bsSolid && brush_->Style() != bsClear) {
        // A hatched brush shows the background colour between its lines. The canvas sets
        // its own background when it selects the brush, so select it first.
        Canvas->FillRect(Rect(R.left, R.top, R.left, R.top));
        win::SetBkColor(Canvas->Handle(), static_cast<win::COLORREF>(ColorToRGB(BackColor)));
        win::SetBkMode(Canvas->Handle(), win::OPAQUE);
      }
      Canvas->FillRect(R);
      return true;
    }

    case sfBitmap:
    case sfBitmapList: {
      TBitmap* source = style_ == sfBitmap ? Bitmap() : ListBitmap();
      if (source->Empty()) {
        FillSolidRect(Canvas, R, BackColor);
        return false;
      }
      Word flags = options_.Contains(foQuickDraw) ? 0 : kKitDbPalette;
      const TRect whole = Rect(0, 0, source->Width(), source->Height());
      TRect dest = R;
      switch (TileMode()) {
        case tmNone: {
          AlignRectIn(alignment_, whole, R, dest);
          dest = Rect(dest.left + offsetX_, dest.top + offsetY_, dest.right + offsetX_, dest.bottom + offsetY_);
          break;
        }
        case tmCenter:
          flags |= kKitDbCenter;
          break;
        case tmStretch:
          flags |= kKitDbStretch;
          break;
        case tmTile:
          flags |= kKitDbTile;
          break;
      }
      if ((TileMode() == tmNone || TileMode() == tmCenter) && options_.Contains(foFillInner))
        FillSolidRect(Canvas, R, BackColor);
      TRect covered;
      DrawBitmapExt(Canvas, dest, source, whole, flags, clNone, source->Palette(), nullptr, covered);
      return true;
    }

    case sfGradient: {
      if (Gradient()->Colors().empty()) return false;
      // Drawn straight onto the canvas, the nested shapes reach past the rectangle: clip.
      Gradient()->Fill(Canvas, R, options_.Contains(foGrUseBitmap) ? kKitGfBitmap : kKitGfClip);
      return true;
    }
  }
  return false;
}
