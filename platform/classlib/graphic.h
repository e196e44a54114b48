#pragma once
// TGraphic: the base of every picture kind (bitmaps, icons, metafiles, JPEG images and
// the image-format readers). A graphic loads and saves itself through streams, draws
// itself on a canvas, and reports changes and loading progress.
//
// The class library's own readers keep the graphic as it was when a file is refused:
// they decode into new storage and take it over only when the whole file was good.
#include <functional>
#include <string>

#include "platform/classlib/canvas.h"
#include "platform/classlib/persistent.h"
#include "platform/win/handles.h"

class TStream;

enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                                          const TRect& R, const std::string& Msg)>;

class TGraphic : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  ~TGraphic() override = default;

  // Opens the file for reading (EFOpenError when it cannot) and loads from it.
  virtual void LoadFromFile(const std::string& fileName);
  virtual void SaveToFile(const std::string& fileName);
  // Reads the graphic from the stream's position; a bad image raises EInvalidGraphic
  // and leaves the graphic unchanged.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;

  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual void SetWidth(Integer value) = 0;
  virtual Integer Height() const = 0;
  virtual void SetHeight(Integer value) = 0;
  virtual win::HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(win::HPALETTE value) { (void)value; }
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);

  bool Modified() const { return modified_; }
  void SetModified(bool value);
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool value) { paletteModified_ = value; }

  // Fired after every change, with Modified set.
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  friend class TCanvas;
  friend class TPicture;

  TGraphic() = default;

  // Draws the whole graphic stretched into `r` of the canvas.
  virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
  virtual void Changed(TObject* sender);
  // Tells OnProgress how loading goes.
  virtual void Progress(TObject* sender, TProgressStage stage, Byte percentDone, bool redrawNow, const TRect& r,
                        const std::string& msg);

  // The form property "Data": the graphic as ReadData/WriteData store it. Written
  // unless the graphic is empty (or equal to the ancestor's).
  void DefineProperties(TFiler* filer) override;
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) { SaveToStream(stream); }
  // Same class and the same saved bytes.
  virtual bool Equals(TGraphic* other);

  bool transparent_ = false;

 private:
  bool modified_ = false;
  bool paletteModified_ = false;
};

using TGraphicClass = const TClass*;
