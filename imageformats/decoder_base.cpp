#include "imageformats/decoder_base.h"

#include "imageformats/decoders.h"
#include "platform/win/modal_answers.h"

namespace {

void ShowWarningBox(const std::string& title, const std::string& text) {
  win::MessageBox(nullptr, text.c_str(), title.c_str(), win::MB_OK | win::MB_ICONEXCLAMATION);
}

TDecoderWarningHandler gWarningHandler = ShowWarningBox;

}  // namespace

const TClass& TDecoder::StaticClass() {
  static const TClass cls = TClass::Of<TDecoder>("TDecoder", TObject::StaticClass());
  return cls;
}

void TDecoder::Encode(const void*, void*, Cardinal, Cardinal& BytesStored) { BytesStored = 0; }

void CompressionError(const std::string& message) { throw EGraphicCompression(message); }

TDecoderWarningHandler SetDecoderWarningHandler(TDecoderWarningHandler handler) {
  TDecoderWarningHandler old = gWarningHandler;
  gWarningHandler = handler;
  return old;
}

void DecoderWarning(const std::string& title, const std::string& text) {
  if (gWarningHandler) gWarningHandler(title, text);
}

namespace decoder_detail {

void CheckSizes(Integer packedSize, Integer unpackedSize) {
  if (packedSize < 0 || unpackedSize < 0) CompressionError("Decoder buffer size is negative.");
}

}  // namespace decoder_detail
