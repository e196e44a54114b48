// Form files: what the reader builds from text (values of every kind, children under
// their parents, forward and dotted references, events bound by name, loading states
// and Loaded order), the exact text the writer produces, round trips, and forms read
// from embedded resources.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/form_lexer.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/form_resources.h"
#include "platform/classlib/form_writer.h"
#include "test_form_classes.h"

using namespace form_test;

namespace {

// Forward references (Partner, Link to Button2), a dotted reference through the root's
// name, every value syntax, and properties stored through DefineProperties.
const char* const kSampleForm =
    "object Form1: TProbeForm\n"
    "  Caption = 'Main' +\n"
    "    ' window'\n"
    "  Left = -$10\n"
    "  Ratio = 1.5E3\n"
    "  Font.Name = 'Arial'\n"
    "  Font.Style = [psBold, psItalic]\n"
    "  OnClick = ButtonClick\n"
    "  Partner = Button2\n"
    "  object Timer1: TProbeTimer\n"
    "    Interval = 250\n"
    "    OnTimer = TimerFire\n"
    "  end\n"
    "  object Panel1: TProbeControl\n"
    "    Align = paClient\n"
    "    Items.Strings = (\n"
    "      'one'\n"
    "      'It''s'#9'two')\n"
    "    Columns = <\n"
    "      item\n"
    "        Caption = 'Name'\n"
    "        Link = Button2\n"
    "      end\n"
    "      item\n"
    "        Width = 120\n"
    "      end>\n"
    "    Margins = (1 2 -3 4)\n"
    "    Blob = {\n"
    "      00FF10\n"
    "      7f}\n"
    "    object Button1: TProbeControl\n"
    "      Caption = #65#$42'C'\n"
    "      Visible = false\n"
    "      Hotkey = 'q'\n"
    "      OnClick = ButtonClick\n"
    "      Partner = Form1.Panel1\n"
    "    end\n"
    "    object Button2: TProbeControl\n"
    "      Ratio = 2.5s\n"
    "      Partner = Button1\n"
    "    end\n"
    "  end\n"
    "end\n";

std::unique_ptr<TProbeForm> ReadForm(const std::string& text) {
  std::unique_ptr<TComponent> root = ReadComponentText(text);
  auto* form = dynamic_cast<TProbeForm*>(root.get());
  if (!form) return nullptr;
  root.release();
  return std::unique_ptr<TProbeForm>(form);
}

std::string Name(TComponent* c) { return c ? c->Name() : "nil"; }

// Every stored value of a control and its children, written out by hand so that a round
// trip is checked without trusting the writer.
void Describe(TProbeControl* c, std::string& out) {
  out += c->ClassName() + " " + c->Name() + ": left=" + std::to_string(c->left) + " caption=" + c->caption +
         " align=" + std::to_string(c->align) + " visible=" + std::to_string(c->visible) +
         " ratio=" + std::to_string(c->ratio) + " hotkey=" + std::to_string(c->hotkey) + " font=" + c->font.name +
         "/" + std::to_string(c->font.size) + "/" + std::to_string(c->font.style.Bits()) + " items=" +
         c->items.CommaText() + " partner=" + Name(c->partner) + " click=" + std::to_string(bool(c->OnClick)) +
         " margins=";
  for (int m : c->margins) out += std::to_string(m) + ",";
  out += " blob=" + std::to_string(c->blob.size()) + ":" + c->blob + " columns=";
  for (int i = 0; i < c->columns.Count(); ++i) {
    auto* col = static_cast<TProbeColumn*>(c->columns.Items(i));
    out += col->caption + "/" + std::to_string(col->width) + "/" + Name(col->link) + ";";
  }
  out += " parent=" + Name(c->parent) + "\n";
  for (TProbeControl* child : c->children) Describe(child, out);
}

std::string Describe(TProbeForm* form) {
  std::string out;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* t = dynamic_cast<TProbeTimer*>(form->Components(i)))
      out += "timer " + t->Name() + " " + std::to_string(t->interval) + " " + std::to_string(bool(t->OnTimer)) + "\n";
  Describe(form, out);
  return out;
}

class FormFiles : public ::testing::Test {
 protected:
  void SetUp() override { RegisterProbeClasses(); }
};

}  // namespace

// ---- tokens ----------------------------------------------------------------------

TEST(FormLexer, DecodesEveryTokenKindWithItsLine) {
  TFormLexer lex("object A: TB\r\n  'It''s'#13#$0A'x' $FF -$10 -42 1.5E-3 2.5s\r  { 0a0B\n ff }\n= . [");
  std::vector<TFormToken> t;
  while (lex.Next().Kind != ftEOF) t.push_back(lex.Current());
  ASSERT_EQ(t.size(), 14u);
  EXPECT_EQ(t[0].Kind, ftSymbol);
  EXPECT_EQ(t[0].Text, "object");
  EXPECT_EQ(t[2].Kind, ftChar);
  EXPECT_EQ(t[2].Text, ":");
  EXPECT_EQ(t[4].Kind, ftString);
  EXPECT_EQ(t[4].Text, "It's\r\nx");
  EXPECT_EQ(t[4].Line, 2);
  EXPECT_EQ(t[5].Integer, 255);
  EXPECT_EQ(t[6].Integer, -16);
  EXPECT_EQ(t[7].Integer, -42);
  EXPECT_EQ(t[8].Kind, ftFloat);
  EXPECT_DOUBLE_EQ(t[8].Float, 0.0015);
  EXPECT_EQ(t[9].FloatSuffix, 's');
  EXPECT_EQ(t[10].Kind, ftBinary);
  EXPECT_EQ(t[10].Text, std::string("\x0a\x0b\xff", 3));
  EXPECT_EQ(t[10].Line, 3);  // a lone CR ends a line too
  EXPECT_EQ(t[11].Line, 5);
  // Sixteen hex digits are a bit pattern; the extremes of Int64 still read.
  TFormLexer wide("$FFFFFFFFFFFFFFFF -9223372036854775808 9223372036854775807");
  EXPECT_EQ(wide.Next().Integer, -1);
  EXPECT_EQ(wide.Next().Integer, INT64_MIN);
  EXPECT_EQ(wide.Next().Integer, INT64_MAX);
}

// ---- reading -----------------------------------------------------------------------

TEST_F(FormFiles, ReaderSetsEveryKindOfValue) {
  auto form = ReadForm(kSampleForm);
  ASSERT_TRUE(form);
  auto* panel = Find<TProbeControl>(form.get(), "Panel1");
  auto* b1 = Find<TProbeControl>(form.get(), "Button1");
  auto* b2 = Find<TProbeControl>(form.get(), "Button2");
  auto* timer = Find<TProbeTimer>(form.get(), "Timer1");
  ASSERT_TRUE(panel && b1 && b2 && timer);
  // Every component belongs to the root, wherever it is nested.
  EXPECT_EQ(panel->Owner(), form.get());
  EXPECT_EQ(b1->Owner(), form.get());

  EXPECT_EQ(form->caption, "Main window");
  EXPECT_EQ(form->left, -16);
  EXPECT_EQ(form->ratio, 1500.0);
  EXPECT_EQ(form->font.name, "Arial");
  EXPECT_EQ(form->font.size, 8);
  EXPECT_EQ(form->font.style, (TProbeStyles{psBold, psItalic}));
  EXPECT_EQ(timer->interval, 250);
  EXPECT_EQ(panel->align, paClient);
  EXPECT_EQ(panel->items.Count(), 2);
  EXPECT_EQ(panel->items.Strings(1), "It's\ttwo");
  EXPECT_EQ(panel->margins, (std::vector<int>{1, 2, -3, 4}));
  EXPECT_EQ(panel->blob, std::string("\x00\xff\x10\x7f", 4));
  ASSERT_EQ(panel->columns.Count(), 2);
  auto* col0 = static_cast<TProbeColumn*>(panel->columns.Items(0));
  auto* col1 = static_cast<TProbeColumn*>(panel->columns.Items(1));
  EXPECT_EQ(col0->caption, "Name");
  EXPECT_EQ(col0->width, 64);
  EXPECT_EQ(col1->width, 120);
  EXPECT_EQ(b1->caption, "ABC");
  EXPECT_FALSE(b1->visible);
  EXPECT_EQ(b1->hotkey, 'q');
  EXPECT_EQ(b2->ratio, 2.5);

  // References: forward ones, one from a collection item, one dotted through the root.
  EXPECT_EQ(form->partner, b2);
  EXPECT_EQ(col0->link, b2);
  EXPECT_EQ(b1->partner, panel);
  EXPECT_EQ(b2->partner, b1);
}

TEST_F(FormFiles, EventsBindToTheRootsMethodsByName) {
  auto form = ReadForm(kSampleForm);
  ASSERT_TRUE(form);
  auto* b1 = Find<TProbeControl>(form.get(), "Button1");
  auto* timer = Find<TProbeTimer>(form.get(), "Timer1");
  ASSERT_TRUE(b1->OnClick && timer->OnTimer && form->OnClick);
  b1->OnClick(b1);
  timer->OnTimer(timer);
  form->OnClick(form.get());
  EXPECT_EQ(form->clicks, (std::vector<TObject*>{b1, timer, form.get()}));
  EXPECT_EQ(BoundMethodName(b1, *GetPropInfo(b1, "OnClick")), "ButtonClick");
  EXPECT_EQ(BoundMethodName(timer, *GetPropInfo(timer, "OnTimer")), "TimerFire");

  // nil clears an event bound before.
  ReadComponentTextInto("object Form1: TProbeForm\n  inherited Button1: TProbeControl\n    OnClick = nil\n  end\nend",
                        form.get());
  EXPECT_FALSE(b1->OnClick);
  EXPECT_EQ(BoundMethodName(b1, *GetPropInfo(b1, "OnClick")), "");
}

TEST_F(FormFiles, ChildrenGetTheirParentAndLoadedRunsInReadingOrder) {
  auto form = ReadForm(kSampleForm);
  ASSERT_TRUE(form);
  EXPECT_EQ(Log(), (std::vector<std::string>{"parent Panel1 <- Form1", "parent Button1 <- Panel1",
                                             "parent Button2 <- Panel1", "loaded Form1", "loaded Timer1",
                                             "loaded Panel1", "loaded Button1", "loaded Button2"}));
  auto* b1 = Find<TProbeControl>(form.get(), "Button1");
  // Properties are set while loading and reading; afterwards neither state is left.
  EXPECT_TRUE(b1->captionState.Contains(csLoading));
  EXPECT_TRUE(b1->captionState.Contains(csReading));
  EXPECT_TRUE(form->captionState.Contains(csLoading));
  for (TComponent* c : {static_cast<TComponent*>(form.get()), form->Components(0), form->Components(1),
                        form->Components(2), form->Components(3)}) {
    EXPECT_FALSE(c->ComponentState().Contains(csLoading)) << c->Name();
    EXPECT_FALSE(c->ComponentState().Contains(csReading)) << c->Name();
  }
  auto* panel = Find<TProbeControl>(form.get(), "Panel1");
  EXPECT_EQ(panel->parent, form.get());
  EXPECT_EQ(panel->children, (std::vector<TProbeControl*>{b1, Find<TProbeControl>(form.get(), "Button2")}));
  EXPECT_EQ(Find<TProbeTimer>(form.get(), "Timer1")->Owner(), form.get());
}

TEST_F(FormFiles, DottedReferenceReachesAnotherRootThroughTheGlobalFinders) {
  static TProbeForm* other = nullptr;
  TProbeForm second(nullptr);
  second.SetName("Other");
  auto* target = new TProbeControl(&second);
  target->SetName("Target");
  other = &second;
  auto finder = [](std::string_view name) -> TComponent* {
    return other && SameIdent(other->Name(), name) ? other : nullptr;
  };
  RegisterFindGlobalComponentProc(finder);
  auto form = ReadForm("object F: TProbeForm\n  Partner = Other.Target\nend\n");
  UnregisterFindGlobalComponentProc(finder);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->partner, target);
  // Written back as the owner's name and its own.
  EXPECT_NE(WriteComponentText(form.get()).find("Partner = Other.Target\r\n"), std::string::npos);
  other = nullptr;
}

TEST_F(FormFiles, InlineComponentOwnsWhatIsNestedInIt) {
  const char* text =
      "object Form1: TProbeForm\n"
      "  inline Frame1: TProbeForm\n"
      "    OnClick = TimerFire\n"  // the frame's own entry belongs to the form
      "    object Inner: TProbeControl\n"
      "      OnClick = ButtonClick\n"  // inside, handlers are the frame's
      "      Partner = Button1\n"      // not in the frame: found in the form
      "    end\n"
      "  end\n"
      "  object Button1: TProbeControl\n"
      "    Partner = Frame1.Inner\n"
      "  end\n"
      "end\n";
  auto form = ReadForm(text);
  ASSERT_TRUE(form);
  auto* frame = Find<TProbeForm>(form.get(), "Frame1");
  ASSERT_TRUE(frame);
  auto* inner = Find<TProbeControl>(frame, "Inner");
  auto* button = Find<TProbeControl>(form.get(), "Button1");
  ASSERT_TRUE(inner && button);
  EXPECT_EQ(form->FindComponent("Inner"), nullptr);
  EXPECT_TRUE(frame->ComponentState().Contains(csInline));
  EXPECT_EQ(inner->parent, frame);
  EXPECT_EQ(inner->partner, button);
  EXPECT_EQ(button->partner, inner);
  inner->OnClick(inner);
  frame->OnClick(frame);
  EXPECT_EQ(frame->clicks, (std::vector<TObject*>{inner}));
  EXPECT_EQ(form->clicks, (std::vector<TObject*>{frame}));

  const std::string written = WriteComponentText(form.get());
  EXPECT_NE(written.find("  inline Frame1: TProbeForm\r\n    OnClick = TimerFire\r\n"), std::string::npos);
  EXPECT_NE(written.find("      Partner = Form1.Button1\r\n"), std::string::npos);
  auto again = ReadForm(written);
  ASSERT_TRUE(again);
  EXPECT_EQ(WriteComponentText(again.get()), written);
}

TEST_F(FormFiles, SecondInstanceUnderOneOwnerGetsAUniqueName) {
  TComponent owner(nullptr);
  auto* a = new TProbeForm(&owner);
  auto* b = new TProbeForm(&owner);
  ReadComponentTextInto("object Main: TProbeForm\nend", a);
  ReadComponentTextInto("object Main: TProbeForm\nend", b);
  EXPECT_EQ(a->Name(), "Main");
  EXPECT_EQ(b->Name(), "Main_1");
}

// ---- writing -------------------------------------------------------------------------

TEST_F(FormFiles, WriterProducesTheExactLayout) {
  TProbeForm form(nullptr);
  form.SetName("Form1");
  form.left = 7;
  form.ratio = 0.1;
  form.hotkey = '\r';
  form.font.size = 10;
  form.font.style = TProbeStyles{psUnderline};
  form.caption = "Line one\r\n" + std::string(60, 'x');
  auto* timer = new TProbeTimer(&form);
  timer->SetName("Timer1");
  auto* button = new TProbeControl(&form);
  button->SetName("Button1");
  button->SetParentComponent(&form);
  button->align = paTop;
  button->items.Add("a");
  static_cast<TProbeColumn*>(button->columns.Add())->caption = "c";
  for (int i = 0; i < 40; ++i) button->blob += static_cast<char>(i);
  button->ratio = 1e-300;

  const std::string expected =
      "object Form1: TProbeForm\r\n"
      "  Left = 7\r\n"
      "  Caption = \r\n"
      "    'Line one'#13#10'" + std::string(54, 'x') + "' +\r\n"
      "    'xxxxxx'\r\n"
      "  Ratio = 0.1\r\n"
      "  Hotkey = #13\r\n"
      "  Font.Size = 10\r\n"
      "  Font.Style = [psUnderline]\r\n"
      "  object Timer1: TProbeTimer\r\n"
      "  end\r\n"
      "  object Button1: TProbeControl\r\n"
      "    Align = paTop\r\n"
      "    Ratio = 1E-300\r\n"
      "    Items.Strings = (\r\n"
      "      'a')\r\n"
      "    Columns = <\r\n"
      "      item\r\n"
      "        Caption = 'c'\r\n"
      "      end>\r\n"
      "    Blob = {\r\n"
      "      000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\r\n"
      "      2021222324252627}\r\n"
      "  end\r\n"
      "end\r\n";
  EXPECT_EQ(WriteComponentText(&form), expected);
}

TEST_F(FormFiles, RoundTripKeepsTheWholeTree) {
  auto first = ReadForm(kSampleForm);
  ASSERT_TRUE(first);
  // Values the sample does not have: a long string with every byte, extreme floats,
  // a large blob.
  auto* b2 = Find<TProbeControl>(first.get(), "Button2");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  b2->caption = all + "''";
  b2->ratio = -1.2345678901234567e-300;
  first->ratio = 1e300;
  b2->blob = all + all;
  b2->margins = {INT32_MIN, INT32_MAX};

  const std::string text = WriteComponentText(first.get());
  auto second = ReadForm(text);
  ASSERT_TRUE(second);
  EXPECT_EQ(Describe(second.get()), Describe(first.get()));
  EXPECT_EQ(WriteComponentText(second.get()), text);

  // Events came back bound to the new form.
  auto* b1 = Find<TProbeControl>(second.get(), "Button1");
  b1->OnClick(b1);
  EXPECT_EQ(second->clicks, (std::vector<TObject*>{b1}));
  EXPECT_TRUE(first->clicks.empty());
}

TEST_F(FormFiles, WriterRefusesValuesTheLayoutCannotHold) {
  TProbeForm form(nullptr);
  form.SetName("Form1");
  form.ratio = std::numeric_limits<double>::quiet_NaN();
  try {
    WriteComponentText(&form);
    FAIL() << "no exception";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Error writing Form1.Ratio: Invalid floating point value");
  }
  form.ratio = 0;
  form.align = static_cast<TProbeAlign>(7);
  EXPECT_THROW(WriteComponentText(&form), EWriteError);
}

// ---- resources -------------------------------------------------------------------------

TEST_F(FormFiles, FormReadFromItsResource) {
  TProbeResForm form(nullptr);
  EXPECT_EQ(ReadComponentRes("TPROBERESFORM", &form), &form);
  EXPECT_EQ(form.Name(), "ResForm");
  EXPECT_EQ(form.caption, "Base");
  auto* b1 = Find<TProbeControl>(&form, "Button1");
  ASSERT_TRUE(b1);
  EXPECT_EQ(b1->partner, Find<TProbeControl>(&form, "Button2"));
  b1->OnClick(b1);
  form.OnClick(&form);
  EXPECT_EQ(form.clicks, (std::vector<TObject*>{b1, &form}));

  TProbeResForm other(nullptr);
  EXPECT_THROW(ReadComponentRes("TNOSUCHFORM", &other), EResNotFound);
}

TEST_F(FormFiles, DerivedFormReadsItsAncestorsResourceFirst) {
  TProbeResChild form(nullptr);
  EXPECT_TRUE(InitInheritedComponent(&form, TProbeForm::StaticClass()));
  EXPECT_EQ(form.Name(), "ResChild");
  EXPECT_EQ(form.caption, "Base");  // from the ancestor
  EXPECT_EQ(form.left, 12);         // from the derived form
  ASSERT_EQ(form.ComponentCount(), 3);
  auto* b1 = Find<TProbeControl>(&form, "Button1");
  auto* edit = Find<TProbeControl>(&form, "Edit1");
  ASSERT_TRUE(b1 && edit);
  EXPECT_EQ(b1->caption, "Go");
  EXPECT_TRUE(b1->OnClick);  // the ancestor's binding stays
  EXPECT_EQ(edit->partner, b1);
  EXPECT_EQ(form.children, (std::vector<TProbeControl*>{b1, Find<TProbeControl>(&form, "Button2"), edit}));
  // Loaded once each, after both resources.
  std::vector<std::string> loaded;
  for (const std::string& s : Log())
    if (s.rfind("loaded", 0) == 0) loaded.push_back(s);
  EXPECT_EQ(loaded, (std::vector<std::string>{"loaded ResChild", "loaded Button1", "loaded Button2", "loaded Edit1"}));

  // A class chain without resources.
  TProbeForm plain(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&plain, TProbeControl::StaticClass()));
}

TEST_F(FormFiles, NamedIntegerValuesReadAndWriteByName) {
  const char* text =
      "object Form1: TProbeForm\r\n"
      "  Font.Color = clProbeLime\r\n"
      "  object Panel1: TProbeControl\r\n"
      "  end\r\n"
      "end\r\n";
  auto form = ReadForm(text);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->font.color, 0xFF00);
  // A named value goes back under its name, any other as a number.
  EXPECT_NE(WriteComponentText(form.get()).find("Font.Color = clProbeLime"), std::string::npos);
  form->font.color = 0x123;
  EXPECT_NE(WriteComponentText(form.get()).find("Font.Color = 291"), std::string::npos);
  // An unknown name is refused with the property and the line.
  try {
    ReadForm("object Form1: TProbeForm\r\n  Font.Color = clNoSuch\r\nend\r\n");
    FAIL() << "an unknown colour name was accepted";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.Message()).find("line 2"), std::string::npos) << e.Message();
  }
}
