// The bitmap list: changes of a bitmap reported to the collection as a change of its
// item, assignment that copies, and the list stored in and read back from a form file
// with its pixels.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bitmaps/bitmap32_list.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"

namespace {

using Log = std::vector<std::string>;

// A collection of bitmap items that records the changes reported to it.
class TLoggedBitmaps : public TBitmap32Collection {
 public:
  explicit TLoggedBitmaps(Log* log) : TBitmap32Collection(nullptr, TBitmap32Item::StaticClass()), log_(log) {}
  ~TLoggedBitmaps() override { log_ = nullptr; }

 protected:
  void Update(TCollectionItem* item) override {
    if (log_) log_->push_back(item ? "item " + std::to_string(item->Index()) : std::string("all"));
  }

 private:
  Log* log_;
};

TEST(BitmapList, ABitmapChangeIsAChangeOfItsItem) {
  Log log;
  TLoggedBitmaps bitmaps(&log);
  TBitmap32Item* first = bitmaps.Add();
  TBitmap32Item* second = bitmaps.Add();
  EXPECT_EQ(log, (Log{"all", "all"}));

  log.clear();
  second->Bitmap()->SetSize(4, 3);
  second->Bitmap()->Clear(0xFF0000FFu);
  EXPECT_EQ(log, (Log{"item 1", "item 1"}));

  // Held back inside an update and reported once at its end.
  log.clear();
  bitmaps.BeginUpdate();
  first->Bitmap()->SetSize(2, 2);
  second->Bitmap()->Clear(0);
  bitmaps.EndUpdate();
  EXPECT_EQ(log, (Log{"all"}));

  // Items report under their new index after one before them left.
  log.clear();
  bitmaps.Delete(0);
  bitmaps.Items(0)->Bitmap()->Clear(0xFFFFFFFFu);
  EXPECT_EQ(log, (Log{"all", "item 0"}));
}

TEST(BitmapList, AssigningCopiesPixelsNotBitmaps) {
  TBitmap32List source(nullptr);
  TBitmap32* b = source.Bitmaps()->Add()->Bitmap();
  b->SetSize(2, 1);
  b->Clear(0x11223344u);
  TBitmap32List copy(nullptr);
  copy.Bitmaps()->Add();
  copy.Bitmaps()->Add();
  copy.SetBitmaps(source.Bitmaps());
  ASSERT_EQ(copy.Bitmaps()->Count(), 1);
  TBitmap32* c = copy.Bitmaps()->Items(0)->Bitmap();
  EXPECT_TRUE(c->Equal(b));
  b->Clear(0);
  EXPECT_EQ(c->Pixel(1, 0), 0x11223344u);
}

TEST(BitmapList, AListIsStoredInAFormFileWithItsPixels) {
  TBitmap32List list(nullptr);
  list.SetName("Images");
  TBitmap32* a = list.Bitmaps()->Add()->Bitmap();
  a->SetSize(3, 2);
  for (Integer y = 0; y < 2; ++y)
    for (Integer x = 0; x < 3; ++x)
      a->SetPixel(x, y, Color32(static_cast<Byte>(x * 40), static_cast<Byte>(y * 90), 7, 200));
  a->SetStretchFilter(sfLinear);
  list.Bitmaps()->Add();  // an empty one stays empty

  const std::string text = WriteComponentText(&list);
  EXPECT_NE(text.find("object Images: TBitmap32List"), std::string::npos);
  EXPECT_NE(text.find("Bitmap.Data"), std::string::npos);

  std::unique_ptr<TComponent> read = ReadComponentText(text);
  auto* back = dynamic_cast<TBitmap32List*>(read.get());
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->Bitmaps()->Count(), 2);
  TBitmap32* ra = back->Bitmaps()->Items(0)->Bitmap();
  EXPECT_TRUE(ra->Equal(a));
  EXPECT_EQ(ra->StretchFilter(), sfLinear);
  EXPECT_TRUE(back->Bitmaps()->Items(1)->Bitmap()->Empty());
}

}  // namespace
