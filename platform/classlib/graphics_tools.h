#pragma once
// The drawing tools of a canvas: pens, brushes and fonts. Each describes a window-system
// object and makes its handle when the handle is first asked for; a change of a
// property that the handle carries drops the handle, which is made again on next use.
//
// A writer stores only a different value and then fires OnChange. The canvas that owns
// a tool is told before the old handle goes, so that it is never deleted while still
// selected into the canvas's device context.
#include <string>
#include <string_view>

#include <mutex>

#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"
#include "platform/win/handles.h"

class TCanvas;
class TBitmap;

class TGraphicsObject : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  ~TGraphicsObject() override;

  bool HandleAllocated() const { return handle_ != nullptr; }

  // The lock of the object that owns this one (a bitmap's own lock for its font), or
  // none. Making the handle and announcing a change happen inside it, so that a thread
  // holding the owner locked never sees the object half-changed.
  std::recursive_mutex* OwnerLock() const { return ownerLock_; }
  void SetOwnerLock(std::recursive_mutex* value) { ownerLock_ = value; }
  // Enter and leave the owner lock; nothing without one.
  void Lock();
  void Unlock();

  TNotifyEvent OnChange;

 protected:
  TGraphicsObject() = default;

  // The handle, made by CreateHandleObject on first use.
  win::HGDIOBJ HandleObject();
  // Takes ownership of `h` (may be null) in place of the current handle; the old one is
  // deleted after the owning canvas and the OnChange handler had their say.
  void ReplaceHandle(win::HGDIOBJ h);
  // After a writer stored a new value: with `dropHandle` the handle is made anew.
  void Changed(bool dropHandle = true);

  virtual win::HGDIOBJ CreateHandleObject() = 0;
  // The handle held now (none until first asked for).
  win::HGDIOBJ CurrentHandle() const { return handle_; }

 private:
  friend class TCanvas;

  win::HGDIOBJ handle_ = nullptr;
  TCanvas* canvas_ = nullptr;  // the canvas that owns this tool, told of every change
  std::recursive_mutex* ownerLock_ = nullptr;
};

// ---- pens ---------------------------------------------------------------------------

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
const TEnumInfo& PenStyleInfo();
const TEnumInfo& PenModeInfo();
// The binary raster operation (SetROP2 code) of a pen mode.
int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TPen() = default;

  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle value);
  Integer Width() const { return width_; }
  // Negative widths are ignored.
  void SetWidth(Integer value);

  win::HPEN Handle();
  // Takes over a pen made elsewhere (cosmetic or geometric); colour, style and width are
  // read back from it. A later change of one of them makes a plain pen again.
  void SetHandle(win::HPEN value);

 protected:
  win::HGDIOBJ CreateHandleObject() override;

 private:
  TColor color_ = clBlack;
  TPenMode mode_ = pmCopy;
  TPenStyle style_ = psSolid;
  Integer width_ = 1;
};

// ---- brushes ------------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
const TEnumInfo& BrushStyleInfo();

class TBrush : public TGraphicsObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TBrush() = default;

  void Assign(TPersistent* source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle value);
  // A pattern bitmap, not owned: the brush copies its pixels when it makes its handle.
  // While set it takes the place of the style; clear it before the bitmap is freed.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* value);

  win::HBRUSH Handle();
  // Takes over a brush made elsewhere; colour and style are read back from it.
  void SetHandle(win::HBRUSH value);

 protected:
  win::HGDIOBJ CreateHandleObject() override;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};

// ---- fonts --------------------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;
using TFontName = std::string;
const TEnumInfo& FontStyleInfo();
const TEnumInfo& FontPitchInfo();

// Character set names of form files ("DEFAULT_CHARSET"); IdentToCharset ignores case.
bool CharsetToIdent(Integer charset, std::string& ident);
bool IdentToCharset(std::string_view ident, Integer& charset);
const TIdentMap& CharsetIdents();

class TFont : public TGraphicsObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TFont();

  // Copies the description and the colour; between fonts of different PixelsPerInch
  // the point size is kept.
  void Assign(TPersistent* source) override;

  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // Pixels: negative for the character height, positive for the cell height.
  Integer Height() const { return height_; }
  void SetHeight(Integer value);
  const TFontName& Name() const { return name_; }
  void SetName(const TFontName& value);  // an empty name is ignored
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch value);
  // Points: -Height x 72 / PixelsPerInch, rounded (halves away from zero).
  Integer Size() const;
  void SetSize(Integer value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles value);
  // Turn of the text in tenths of a degree, counter-clockwise.
  Integer Orientation() const { return orientation_; }
  void SetOrientation(Integer value);
  // Converts between Size and Height; the screen's 96 by default. Not a property of
  // the handle: changing it changes nothing drawn until Size is set again.
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer value);

  win::HFONT Handle();
  // Takes over a font made elsewhere; the description is read back from it.
  void SetHandle(win::HFONT value);

 protected:
  win::HGDIOBJ CreateHandleObject() override;

 private:
  TColor color_;
  Integer height_;
  TFontName name_ = "MS Sans Serif";
  TFontPitch pitch_ = fpDefault;
  TFontStyles style_;
  TFontCharset charset_ = 1;  // DEFAULT_CHARSET
  Integer orientation_ = 0;
  Integer pixelsPerInch_ = 96;
};
