#include "platform/classlib/clipboard.h"

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphic.h"
#include "platform/classlib/icon_metafile.h"
#include "platform/classlib/picture.h"
#include "platform/classlib/module_life.h"

namespace {
constexpr const char* kUnknownClipboardFormat = "Unsupported clipboard format";

std::unique_ptr<TGraphic> CopyOf(TGraphic* g) {
  std::unique_ptr<TObject> obj(g->ClassType().Create());
  auto* copy = dynamic_cast<TGraphic*>(obj.get());
  if (!copy) throw EInvalidGraphic(kUnknownClipboardFormat);
  obj.release();
  std::unique_ptr<TGraphic> result(copy);
  result->Assign(g);
  return result;
}
}  // namespace

const TClass& TClipboard::StaticClass() {
  static const TClass cls = TClass::Of<TClipboard>("TClipboard", TPersistent::StaticClass());
  return cls;
}

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Open() {
  if (openCount_++ == 0) emptied_ = false;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) emptied_ = false;
}

// New content replaces the old, except that content added inside one Open/Close
// bracket accumulates.
void TClipboard::Emptied() {
  if (openCount_ > 0 && emptied_) return;
  hasText_ = false;
  text_.clear();
  graphic_.reset();
  if (openCount_ > 0) emptied_ = true;
}

void TClipboard::Clear() {
  emptied_ = false;
  Emptied();
}

void TClipboard::Assign(TPersistent* source) {
  TGraphic* g = dynamic_cast<TGraphic*>(source);
  if (auto* pic = dynamic_cast<TPicture*>(source)) g = pic->Graphic();
  if (!g) {
    TPersistent::Assign(source);
    return;
  }
  std::unique_ptr<TGraphic> copy = CopyOf(g);  // before emptying: a failed copy keeps the content
  Emptied();
  graphic_ = std::move(copy);
}

void TClipboard::AssignTo(TPersistent* dest) {
  if (auto* pic = dynamic_cast<TPicture*>(dest)) {
    if (!graphic_) throw EInvalidGraphic(kUnknownClipboardFormat);
    pic->SetGraphic(graphic_.get());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(dest)) {
    if (!graphic_) throw EInvalidGraphic(kUnknownClipboardFormat);
    g->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

bool TClipboard::HasFormat(Word format) const {
  switch (format) {
    case CF_TEXT:
      return hasText_;
    case CF_BITMAP:
      return graphic_ && graphic_->Is<TBitmap>();
    case CF_PALETTE:
      return graphic_ && graphic_->Palette() != nullptr;
    case CF_METAFILEPICT:
    case CF_ENHMETAFILE:
      return graphic_ && graphic_->Is<TMetafile>();
    case CF_PICTURE:
      return graphic_ != nullptr;
    default:
      return false;
  }
}

std::string TClipboard::AsText() const { return hasText_ ? text_ : std::string(); }

void TClipboard::SetAsText(const std::string& value) {
  Emptied();
  hasText_ = true;
  text_ = value;
}

TClipboard* Clipboard() {
  static TClipboard* clipboard = nullptr;
  return ModuleLazy(clipboard, [] { return new TClipboard(); });
}
