#include "controlkit/kit_image_face_button.h"

#include "controlkit/kit_container.h"
#include "platform/classlib/class_registry.h"

#include <algorithm>
#include <cstring>

#include "controlkit/kit_text_effects.h"
#include "platform/classlib/exceptions.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"

// ---- stored layouts ------------------------------------------------------------------------------

namespace {

std::vector<Integer> ReadExactly(TStream& stream, std::size_t values) {
  const Int64 left = stream.Size() - stream.Position();
  if (left != static_cast<Int64>(values * 4)) throw EReadError("Button face indices: wrong size");
  std::vector<Byte> raw(values * 4);
  stream.ReadBuffer(raw.data(), static_cast<Int64>(raw.size()));
  std::vector<Integer> out(values);
  for (std::size_t i = 0; i < values; ++i) {
    const Byte* p = &raw[i * 4];
    out[i] = static_cast<Integer>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                  static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
  }
  return out;
}

void WriteValue(TStream& stream, Integer v) {
  const auto u = static_cast<std::uint32_t>(v);
  const Byte b[4] = {static_cast<Byte>(u), static_cast<Byte>(u >> 8), static_cast<Byte>(u >> 16),
                     static_cast<Byte>(u >> 24)};
  stream.WriteBuffer(b, 4);
}

}  // namespace

void KitReadFaceIndicesOld(TStream& stream, TKitFaceEntries& entries) {
  const std::vector<Integer> v = ReadExactly(stream, 14);
  for (int s = 0; s < 7; ++s) entries[s] = {v[s * 2], v[s * 2 + 1]};
}

void KitReadFaceIndicesNew(TStream& stream, TKitFaceEntries& entries) {
  const std::vector<Integer> v = ReadExactly(stream, 14);
  for (int s = 0; s < 7; ++s) entries[s] = {v[s], v[7 + s]};
}

void KitReadFaceIndicesNew2(TStream& stream, TKitFaceEntries& entries) {
  const std::vector<Integer> v = ReadExactly(stream, 16);
  for (int s = 0; s < 8; ++s) entries[s] = {v[8 + (7 - s)], v[s]};
}

void KitWriteFaceIndicesNew2(TStream& stream, const TKitFaceEntries& entries) {
  for (int s = 0; s < 8; ++s) WriteValue(stream, entries[s].ImageIndex);
  for (int s = 7; s >= 0; --s) WriteValue(stream, entries[s].ListIndex);
}

TColor KitReadFaceColor(TStream& stream) { return static_cast<TColor>(ReadExactly(stream, 1)[0]); }

// ---- TKitCustomMMButton ----------------------------------------------------------------------------

const TClass& TKitCustomMMButton::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomMMButton>("TKitCustomMMButton", TKitBaseGraphicButton::StaticClass());
  return cls;
}

TKitCustomMMButton::TKitCustomMMButton(TComponent* AOwner)
    : TKitBaseGraphicButton(AOwner), faceLink_(std::make_unique<TKitChangeLink>()) {
  faceLink_->OnChange = [this](TObject*) { Invalidate(); };
  TControlStyle style = ControlStyle();
  style.Exclude(csClickEvents);
  style.Include(csOpaque);
  style.Include(csReplicatable);
  SetControlStyle(style);
}

TKitCustomMMButton::~TKitCustomMMButton() {
  faceLink_->OnChange = nullptr;
  faceLink_->SetContainer(nullptr);
}

void TKitCustomMMButton::SetButtonFaceImageList(TKitCustomImageList* value) {
  if (faceList_ == value) return;
  if (faceList_) faceList_->RemoveFreeNotification(this);
  faceList_ = value;
  faceLink_->SetContainer(value);
  if (value) value->FreeNotification(this);
  Invalidate();
}

void TKitCustomMMButton::Notification(TComponent* AComponent, TOperation Operation) {
  TKitBaseGraphicButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == faceList_) {
    faceList_ = nullptr;
    faceLink_->SetContainer(nullptr);
    Invalidate();
  }
}

void TKitCustomMMButton::SetFaceEntry(Integer state, Integer listIndex, Integer imageIndex) {
  if (state < 0 || state >= kKitFaceStates) return;
  entries_[static_cast<std::size_t>(state)] = {listIndex, imageIndex};
  Invalidate();
}

void TKitCustomMMButton::SetFaceTransparentColor(TColor value) {
  if (transColor_ == value) return;
  transColor_ = value;
  Invalidate();
}
void TKitCustomMMButton::SetForceTransparent(bool value) {
  if (forceTransparent_ == value) return;
  forceTransparent_ = value;
  Invalidate();
}
void TKitCustomMMButton::SetQuickDraw(bool value) {
  if (quickDraw_ == value) return;
  quickDraw_ = value;
  Invalidate();
}
void TKitCustomMMButton::SetButtonFaceStyle(TKitBitmapStyle value) {
  if (faceStyle_ == value) return;
  faceStyle_ = value;
  Invalidate();
}
void TKitCustomMMButton::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  TControlStyle style = ControlStyle();
  if (value) style.Exclude(csOpaque); else style.Include(csOpaque);
  SetControlStyle(style);
  Invalidate();
}

bool TKitCustomMMButton::FaceImage(Integer& list, Integer& image) {
  if (!faceList_) return false;
  const Byte state = State();
  if (state >= kKitFaceStates) return false;
  list = entries_[state].ListIndex;
  image = entries_[state].ImageIndex;
  return faceList_->IsValidImage(list, image);
}

TRect TKitCustomMMButton::FaceRect() {
  Integer list = 0, image = 0;
  if (!FaceImage(list, image)) return TRect{};
  const Integer w = faceList_->GetSize(list, 0), h = faceList_->GetSize(list, 1);
  const Integer cw = Width(), ch = Height();
  switch (faceStyle_) {
    case sbNone:
    case sbAutosize:
      return TRect{0, 0, w, h};
    case sbCenter: {
      const Integer l = (cw - w) / 2, t = (ch - h) / 2;
      return TRect{l, t, l + w, t + h};
    }
    case sbKeepAspRatio: {
      if (w <= 0 || h <= 0) return TRect{};
      // The largest size of the image's proportions that fits, centred.
      Integer fw = cw, fh = static_cast<Integer>(static_cast<Int64>(h) * cw / w);
      if (fh > ch) {
        fh = ch;
        fw = static_cast<Integer>(static_cast<Int64>(w) * ch / h);
      }
      const Integer l = (cw - fw) / 2, t = (ch - fh) / 2;
      return TRect{l, t, l + fw, t + fh};
    }
    case sbKeepWidth:
      return TRect{0, 0, w, ch};
    case sbKeepHeight:
      return TRect{0, 0, cw, h};
    default:  // stretched and tiled faces cover the client area
      return TRect{0, 0, cw, ch};
  }
}

bool TKitCustomMMButton::IsInside(Integer X, Integer Y) {
  Integer list = 0, image = 0;
  if (!FaceImage(list, image)) return false;
  const TRect face = FaceRect();
  if (X < face.left || Y < face.top || X >= face.right || Y >= face.bottom) return false;
  const Integer w = faceList_->GetSize(list, 0), h = faceList_->GetSize(list, 1);
  const Integer fw = face.right - face.left, fh = face.bottom - face.top;
  if (w <= 0 || h <= 0 || fw <= 0 || fh <= 0) return false;
  Integer px = X - face.left, py = Y - face.top;
  if (faceStyle_ == sbTile) {
    px %= w;
    py %= h;
  } else {
    // A stretched face maps back to the image's own pixels.
    px = static_cast<Integer>(static_cast<Int64>(px) * w / fw);
    py = static_cast<Integer>(static_cast<Int64>(py) * h / fh);
  }
  const TColor pixel = faceList_->GetPixel(TPoint{px, py}, list, image);
  return ColorToRGB(pixel) != ColorToRGB(transColor_);
}

void TKitCustomMMButton::Paint() {
  TCanvas* canvas = Canvas();
  const TRect client{0, 0, Width(), Height()};
  if (!transparent_) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  if (ComponentState().Contains(csDesigning)) {
    canvas->Pen()->SetStyle(psDash);
    canvas->Pen()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(client.left, client.top, client.right, client.bottom);
    canvas->Pen()->SetStyle(psSolid);
  }
  Integer list = 0, image = 0;
  const bool hasFace = FaceImage(list, image);
  if (hasFace && faceStyle_ == sbAutosize) {
    const Integer w = faceList_->GetSize(list, 0), h = faceList_->GetSize(list, 1);
    if (w != Width() || h != Height()) {
      SetBounds(Left(), Top(), w, h);
      return;
    }
  }
  TBitmap off;
  off.SetPixelFormat(pf24bit);
  off.SetSize(std::max<Integer>(client.right, 1), std::max<Integer>(client.bottom, 1));
  TCanvas* oc = off.Canvas();
  if (!transparent_ || !KitDrawParentBackground(this, oc, client, TPoint{0, 0}, nullptr)) {
    oc->Brush()->SetStyle(bsSolid);
    oc->Brush()->SetColor(Color());
    oc->FillRect(client);
  }
  if (hasFace) {
    TBitmap face;
    if (faceList_->GetBitmap(list, image, &face)) {
      Word flags = kKitDbBitmapObject;
      switch (faceStyle_) {
        case sbCenter: flags |= kKitDbCenter; break;
        case sbStretch: case sbAutosize: flags |= kKitDbStretch; break;
        case sbTile: flags |= kKitDbTile; break;
        case sbKeepAspRatio: flags |= kKitDbStretch | kKitDbKeepAspect; break;
        case sbKeepWidth: flags |= kKitDbStretch | kKitDbKeepWidth; break;
        case sbKeepHeight: flags |= kKitDbStretch | kKitDbKeepHeight; break;
        default: break;
      }
      if (forceTransparent_) flags = static_cast<Word>((flags & ~kKitDbBitmapObject) | kKitDbMaskFromColor);
      TRect covered{};
      TPersistent* source = (flags & kKitDbBitmapObject) ? static_cast<TPersistent*>(&face)
                                                         : static_cast<TPersistent*>(face.Canvas());
      DrawBitmapExt(oc, client, source, TRect{0, 0, face.Width(), face.Height()}, flags,
                    forceTransparent_ ? transColor_ : clNone, nullptr, nullptr, covered);
    }
  }
  TRect r = client;
  const Byte s = State();
  if (s == kKitBtnDown || s == kKitBtnHeld || s == kKitBtnDroppedDown) win::OffsetRect(&r, captionDown_, captionDown_);
  oc->Brush()->SetStyle(bsClear);
  DrawGlyphAndCaption(oc, r, s);
  canvas->Draw(0, 0, &off);
}

void TKitCustomMMButton::DefineProperties(TFiler* filer) {
  TKitBaseGraphicButton::DefineProperties(filer);
  auto readInto = [this](void (*reader)(TStream&, TKitFaceEntries&)) {
    return [this, reader](TStream& s) {
      TKitFaceEntries fresh = entries_;
      reader(s, fresh);
      entries_ = fresh;
    };
  };
  const std::string signature = KitSharedListSignature(faceList_);
  filer->DefineProperty(
      "ButtonFace",
      [this](TReader& reader) {
        if (TKitCustomImageList* shared = KitSharedListOf(reader.ReadString())) SetButtonFaceImageList(shared);
      },
      [signature](TWriter& writer) { writer.WriteString(signature); }, !signature.empty());
  filer->DefineBinaryProperty("ButtonFaceIndices", readInto(&KitReadFaceIndicesOld), nullptr, false);
  filer->DefineBinaryProperty("ButtonFaceIndicesNew", readInto(&KitReadFaceIndicesNew), nullptr, false);
  filer->DefineBinaryProperty(
      "ButtonFaceIndicesNew2", readInto(&KitReadFaceIndicesNew2),
      [this](TStream& s) { KitWriteFaceIndicesNew2(s, entries_); }, true);
  filer->DefineBinaryProperty(
      "ButtonFaceTransCol", [this](TStream& s) { transColor_ = KitReadFaceColor(s); }, nullptr, false);
  filer->DefineBinaryProperty(
      "ButtonFaceTransColNew", [this](TStream& s) { transColor_ = KitReadFaceColor(s); },
      [this](TStream& s) { WriteValue(s, static_cast<Integer>(transColor_)); }, true);
}

bool TKitCustomMMButton::ButtonFaceStored() const { return KitSharedListSignature(faceList_).empty(); }

const TClass& TKitMMButton::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitMMButton>("TKitMMButton", TKitCustomMMButton::StaticClass(), &TKitMMButton::Publish);
  return cls;
}

const TEnumInfo& KitBitmapStyleInfo() {
  static const TEnumInfo info("TKitBitmapStyle", {"sbNone", "sbAutosize", "sbCenter", "sbStretch", "sbTile",
                                                  "sbKeepAspRatio", "sbKeepWidth", "sbKeepHeight"});
  return info;
}

void RegisterKitMMButtonClasses() { RegisterClass(TKitMMButton::StaticClass()); }

void TKitMMButton::Publish(TPublished& published) {
  using B = TKitMMButton;
  TControl::PublishProperties(published, {"Align", "Caption", "Color", "Enabled", "Font", "ParentFont", "Visible",
                                          "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  TKitBaseGraphicButton::PublishFromBase(published);
  auto p = published.For<B>();
  p.Boolean("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).Default(false);
  p.Boolean("AllowMouseOver", &B::AllowMouseOver, &B::SetAllowMouseOver).Default(false);
  p.Boolean("AllowTransparency", &B::AllowTransparency, &B::SetAllowTransparency).Default(true);
  // The face list: a form's own list by reference; a module-wide list by its signature,
  // a string under the same name (DefineProperties), which the form reader tells apart.
  p.Component("ButtonFace", &B::ButtonFaceImageList, &B::SetButtonFaceImageList).StoredIf(&B::ButtonFaceStored);
  p.Enum("ButtonFaceStyle", KitBitmapStyleInfo(), &B::ButtonFaceStyle, &B::SetButtonFaceStyle).Default(sbNone);
  p.Integer("CaptionDown", &B::CaptionDown, &B::SetCaptionDown).Default(1);
  p.Boolean("ForceTransparent", &B::ForceTransparent, &B::SetForceTransparent).Default(true);
  p.Boolean("QuickDraw", &B::QuickDraw, &B::SetQuickDraw).Default(false);
  p.Integer("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).Default(0);
  p.Boolean("Pressed", &B::Pressed, &B::SetPressed).Default(false);
  p.Component("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu);
  p.Integer("DropDownIndent", &B::DropDownIndent, &B::SetDropDownIndent).Default(0);
  p.Boolean("DropDownRight", &B::DropDownRight, &B::SetDropDownRight).Default(false);
  p.Boolean("Transparent", &B::Transparent, &B::SetTransparent).Default(false);
  p.Event("OnDropDown", &B::OnDropDown);
}
