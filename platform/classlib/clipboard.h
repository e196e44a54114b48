#pragma once
// TClipboard: the clipboard of this process. It holds text and one picture, each copied
// in; a picture goes in as a copy of its graphic.
#include <memory>
#include <string>

#include "platform/classlib/persistent.h"
#include "platform/classlib/types.h"

class TGraphic;

// Clipboard formats.
inline constexpr Word CF_TEXT = 1;
inline constexpr Word CF_BITMAP = 2;
inline constexpr Word CF_METAFILEPICT = 3;
inline constexpr Word CF_PALETTE = 9;
inline constexpr Word CF_ENHMETAFILE = 14;
// Any picture the picture registry knows.
inline constexpr Word CF_PICTURE = 0xC100;

class TClipboard : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TClipboard();
  ~TClipboard() override;

  // A graphic or a picture's graphic replaces the content; anything else raises the
  // assignment error.
  void Assign(TPersistent* source) override;
  void Clear();
  // Outside a bracket every new content replaces the old; content set between Open and
  // Close accumulates (text and a picture together).
  void Open();
  void Close();

  bool HasFormat(Word format) const;
  std::string AsText() const;
  // Replaces the content with the text.
  void SetAsText(const std::string& value);

 protected:
  // To a picture or a graphic: a copy of the held picture.
  void AssignTo(TPersistent* dest) override;

 private:
  void Emptied();

  int openCount_ = 0;
  bool emptied_ = false;
  bool hasText_ = false;
  std::string text_;
  std::unique_ptr<TGraphic> graphic_;
};

// The process's clipboard, made on first use.
TClipboard* Clipboard();
