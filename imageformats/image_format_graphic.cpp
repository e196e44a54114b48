#include "imageformats/image_format_graphic.h"

#include "platform/classlib/streams.h"
#include "platform/win/gdi.h"

void ImageFormatError(const std::string& Message) { throw EInvalidGraphic(Message); }

void ImageFormatError(const std::string& Message, const FormatArgs& Args) {
  throw EInvalidGraphic(Format(Message, Args));
}

void SwapShort(Word* P, Cardinal Count) {
  for (Cardinal i = 0; i < Count; ++i) P[i] = static_cast<Word>((P[i] >> 8) | (P[i] << 8));
}

Cardinal SwapLong(Cardinal Value) {
  return (Value >> 24) | ((Value >> 8) & 0xFF00u) | ((Value << 8) & 0xFF0000u) | (Value << 24);
}

void SwapLong(Cardinal* P, Cardinal Count) {
  for (Cardinal i = 0; i < Count; ++i) P[i] = SwapLong(P[i]);
}

void CheckImageSize(Cardinal Width, Cardinal Height, const char* FormatName) {
  if (Width > kMaxImageSide || Height > kMaxImageSide ||
      std::uint64_t(Width) * Height > kMaxImagePixels)
    ImageFormatError(imgmsg::ImageTooLarge, {FormatName, Width, Height});
}

void SetReaderSchemes(TColorManager& CM, TColorScheme Source) {
  Byte sourceSamples = 3, targetSamples = 3;
  TColorScheme target = csBGR;
  switch (Source) {
    case csIndexed:
    case csGray:
      sourceSamples = targetSamples = 1;
      target = Source;
      break;
    case csGrayAlpha:
      // Grey with alpha keeps its alpha as 32-bit BGRA.
      sourceSamples = 1;
      targetSamples = 4;
      target = csBGRA;
      break;
    case csRGBA:
    case csBGRA:
      sourceSamples = targetSamples = 4;
      target = csBGRA;
      break;
    case csCMYK: sourceSamples = 4; break;
    default: break;
  }
  CM.SetSourceColorScheme(Source);
  CM.SetSourceSamplesPerPixel(sourceSamples);
  CM.SetTargetColorScheme(target);
  CM.SetTargetSamplesPerPixel(targetSamples);
}

TPaletteHolder::~TPaletteHolder() {
  if (Handle) win::DeleteObject(Handle);
}

Int64 StreamBytesLeft(TStream& Stream) {
  Int64 left = Stream.Size() - Stream.Position();
  return left < 0 ? 0 : left;
}

const TClass& TImageFormatGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TImageFormatGraphic>("TImageFormatGraphic", TBitmap::StaticClass());
  return cls;
}

TImageFormatGraphic::TImageFormatGraphic() : FColorManager(std::make_unique<TColorManager>()) {}

TImageFormatGraphic::~TImageFormatGraphic() = default;

void TImageFormatGraphic::Assign(TPersistent* Source) {
  // The properties describe the image held: one from elsewhere brings none of a file.
  if (auto* other = dynamic_cast<TImageFormatGraphic*>(Source))
    FImageProperties = other->FImageProperties;
  else
    FImageProperties = TImageProperties{};
  TBitmap::Assign(Source);
}

bool TImageFormatGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TImageFormatGraphic>(FileName); }

bool TImageFormatGraphic::CanLoad(TStream&) { return false; }

bool TImageFormatGraphic::CanLoad(TGraphicClass Class, const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  return CanLoad(Class, static_cast<TStream&>(stream));
}

bool TImageFormatGraphic::CanLoad(TGraphicClass Class, TStream& Stream) {
  if (!Class || !Class->InheritsFrom(StaticClass()) || !Class->CanCreate()) return false;
  // Class operations are not virtual in C++: a prototype of the class answers.
  std::unique_ptr<TObject> prototype(Class->Create());
  auto* reader = dynamic_cast<TImageFormatGraphic*>(prototype.get());
  return reader && reader->ClassCanLoad(Stream);
}

bool TImageFormatGraphic::ReadImageProperties(TStream&, Cardinal) {
  FImageProperties = TImageProperties();
  FImageProperties.FileGamma = 1.0f;
  return false;
}

void TImageFormatGraphic::ProgressStart(const std::string& Message) {
  Progress(this, psStarting, 0, false, FProgressRect, Message);
}

void TImageFormatGraphic::ProgressRow(Cardinal Row, Cardinal Height) {
  Byte percent = Height == 0 ? 0 : static_cast<Byte>(std::uint64_t(Row) * 100 / Height);
  Progress(this, psRunning, percent, false, FProgressRect, "");
  FProgressRect.top += 1;
  FProgressRect.bottom += 1;
}

void TImageFormatGraphic::ProgressEnd() { Progress(this, psEnding, 0, false, FProgressRect, ""); }

TBitmap& TImageFormatGraphic::BeginImage() {
  FStaging = std::make_unique<TBitmap>();
  return *FStaging;
}

void TImageFormatGraphic::CommitImage() {
  std::unique_ptr<TBitmap> staging = std::move(FStaging);
  TBitmap::Assign(staging.get());
}
