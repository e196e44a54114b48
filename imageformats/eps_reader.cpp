#include "imageformats/eps_reader.h"

namespace {

const char* const kEPS = "EPS";

TEPSHeader DecodeHeader(const Byte* B) {
  TEPSHeader h;
  h.Code = bytes::LoadLE32(B);
  h.PostScriptOffset = bytes::LoadLE32(B + 4);
  h.PostScriptLength = bytes::LoadLE32(B + 8);
  h.MetafileOffset = bytes::LoadLE32(B + 12);
  h.MetafileLength = bytes::LoadLE32(B + 16);
  h.TIFFOffset = bytes::LoadLE32(B + 20);
  h.TIFFLength = bytes::LoadLE32(B + 24);
  h.Checksum = bytes::LoadLE16(B + 28);
  return h;
}

}  // namespace

const TClass& TEPSGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TEPSGraphic>("TEPSGraphic", TTIFFGraphic::StaticClass());
  return cls;
}

bool TEPSGraphic::CanLoad(const std::string& FileName) { return CanLoadFile<TEPSGraphic>(FileName); }

bool TEPSGraphic::CanLoad(TStream& Stream) {
  Int64 start = Stream.Position();
  bool result = false;
  Byte b[kEPSHeaderSize];
  if (StreamBytesLeft(Stream) >= kEPSHeaderSize + 1 && Stream.Read(b, kEPSHeaderSize) == kEPSHeaderSize) {
    TEPSHeader h = DecodeHeader(b);
    result = h.Code == kEPSMagic && h.TIFFOffset >= kEPSHeaderSize && h.TIFFLength > 0;
  }
  Stream.Seek(start, soFromBeginning);
  return result;
}

void TEPSGraphic::LoadFromStream(TStream& Stream) {
  const Int64 start = Stream.Position();
  const Int64 size = StreamBytesLeft(Stream);
  Byte b[kEPSHeaderSize];
  if (size < kEPSHeaderSize || Stream.Read(b, kEPSHeaderSize) != kEPSHeaderSize)
    ImageFormatError(imgmsg::InvalidImage, {kEPS});
  TEPSHeader h = DecodeHeader(b);
  if (h.Code != kEPSMagic) ImageFormatError(imgmsg::InvalidImage, {kEPS});
  // The preview must lie after the header and inside the file.
  if (h.TIFFOffset < kEPSHeaderSize || h.TIFFLength == 0 || Int64(h.TIFFOffset) + h.TIFFLength > size)
    ImageFormatError(imgmsg::InvalidImage, {kEPS});
  const Int64 base = start + h.TIFFOffset;
  LoadTIFF(Stream, base, base + h.TIFFLength);
}
