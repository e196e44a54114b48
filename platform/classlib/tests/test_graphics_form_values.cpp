// Colour and character-set names in form files reach the graphics objects.
#include <gtest/gtest.h>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/component.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_writer.h"
#include "platform/classlib/graphics_tools.h"

namespace {

class TFontHolder : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TFontHolder>("TFontHolder", TComponent::StaticClass(), &Publish);
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published) {
    auto p = published.For<TFontHolder>();
    p.Object("Font", &TFontHolder::Font, &TFontHolder::SetFont);
    p.Object("Pen", &TFontHolder::Pen, &TFontHolder::SetPen);
  }
  TFont* Font() { return &font; }
  void SetFont(TFont* f) { font.Assign(f); }
  TPen* Pen() { return &pen; }
  void SetPen(TPen* p) { pen.Assign(p); }

  TFont font;
  TPen pen;
};

TEST(GraphicsFormValues, ColourAndCharsetNamesReadAndWriteBack) {
  RegisterClass(TFontHolder::StaticClass());
  auto root = ReadComponentText(
      "object Holder1: TFontHolder\r\n"
      "  Font.Charset = ANSI_CHARSET\r\n"
      "  Font.Color = clBtnFace\r\n"
      "  Pen.Color = clRed\r\n"
      "end\r\n");
  ASSERT_TRUE(root);
  auto* holder = static_cast<TFontHolder*>(root.get());
  EXPECT_EQ(holder->font.Color(), clBtnFace);
  EXPECT_EQ(holder->font.Charset(), 0);
  EXPECT_EQ(holder->pen.Color(), clRed);

  std::string text = WriteComponentText(root.get());
  EXPECT_NE(text.find("Font.Color = clBtnFace"), std::string::npos) << text;
  EXPECT_NE(text.find("Font.Charset = ANSI_CHARSET"), std::string::npos) << text;
  EXPECT_NE(text.find("Pen.Color = clRed"), std::string::npos) << text;
  // A colour without a name is stored as its number.
  holder->pen.SetColor(0x123456);
  EXPECT_NE(WriteComponentText(root.get()).find("Pen.Color = 1193046"), std::string::npos);
  UnRegisterClass(TFontHolder::StaticClass());
}

}  // namespace
