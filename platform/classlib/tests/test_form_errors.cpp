// Form files that are wrong: each gives its error class and a message with the line, and
// a failed read leaves nothing it created behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/form_reader.h"
#include "test_form_classes.h"

using namespace form_test;

namespace {

enum ErrorKind { Parser, Read, ClassNotFound };

struct BadForm {
  const char* body;  // lines between "object Form1: TProbeForm" and "end"
  ErrorKind kind;
  const char* message;
};

// Reads "object Form1: TProbeForm\n<body>end" into a fresh root; returns the error.
::testing::AssertionResult FailsWith(const BadForm& bad) {
  const std::string text = std::string("object Form1: TProbeForm\n") + bad.body + "end";
  try {
    ReadComponentText(text);
  } catch (const EParserError& e) {
    if (bad.kind != Parser) return ::testing::AssertionFailure() << "parser error: " << e.Message();
    if (e.Message() != bad.message) return ::testing::AssertionFailure() << "message: " << e.Message();
    return ::testing::AssertionSuccess();
  } catch (const EClassNotFound& e) {
    if (bad.kind != ClassNotFound) return ::testing::AssertionFailure() << "class error: " << e.Message();
    if (e.Message() != bad.message) return ::testing::AssertionFailure() << "message: " << e.Message();
    return ::testing::AssertionSuccess();
  } catch (const EReadError& e) {
    if (bad.kind != Read) return ::testing::AssertionFailure() << "read error: " << e.Message();
    if (e.Message() != bad.message) return ::testing::AssertionFailure() << "message: " << e.Message();
    return ::testing::AssertionSuccess();
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << "other exception: " << e.what();
  }
  return ::testing::AssertionFailure() << "no exception";
}

class FormErrors : public ::testing::Test {
 protected:
  void SetUp() override { RegisterProbeClasses(); }
};

}  // namespace

TEST_F(FormErrors, MalformedTextNamesTheLine) {
  const BadForm cases[] = {
      {"  Caption = 'abc\n", Parser, "Unterminated string on line 2"},
      {"  Caption = 'a' +\n  Left = 1\n", Parser, "String expected but 'Left' found on line 3"},
      {"  Blob = {\n    0A0B\n    0C0}\n", Parser, "Invalid binary value on line 4"},
      {"  Blob = {0A 0G}\n", Parser, "Invalid binary value on line 2"},
      {"  Blob = {0A0B\n", Parser, "Invalid binary value on line 3"},  // "en" of the end
      {"  Left = @\n", Parser, "Invalid character #64 on line 2"},
      {"  Caption = #300\n", Parser, "Character code out of range on line 2"},
      {"  Left = 9223372036854775808\n", Parser, "Number too large on line 2"},
      {"  Left = 12abc\n", Parser, "Invalid number on line 2"},
      {"  Left 5\n", Parser, "'=' expected but number found on line 2"},
      {"  Font.Style = [psBold psItalic]\n", Parser, "']' expected but 'psItalic' found on line 2"},
      {"  Columns = <\n    Width = 5\n  >\n", Parser, "'item' expected but 'Width' found on line 3"},
      {"  object B: TProbeControl\n  end\n  Left = 5\n", Parser, "'end' expected but 'Left' found on line 4"},
      {"  object B: TProbeControl\n", Parser, "'end' expected but end of file found on line 3"},
  };
  for (const BadForm& bad : cases) EXPECT_TRUE(FailsWith(bad)) << bad.body;

  try {
    ReadComponentText("object A: TProbeForm\n  Blob = {0A0B\n  ");
    FAIL() << "no exception";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Message(), "Unterminated binary value on line 3");
  }
  // Text after the root, and no root at all.
  EXPECT_THROW(ReadComponentText("object A: TProbeForm\nend\nend"), EParserError);
  EXPECT_THROW(ReadComponentText(""), EParserError);
  EXPECT_THROW(ReadComponentText("inline A: TProbeForm\nend"), EParserError);
}

TEST_F(FormErrors, NestingBeyondTheLimitIsRefusedNotFollowed) {
  std::string lists = "object A: TProbeForm\n  Margins = " + std::string(100000, '(');
  try {
    ReadComponentText(lists);
    FAIL() << "no exception";
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Message(), "Nesting too deep on line 2");
  }
  std::string objects;
  for (int i = 0; i < 70; ++i) objects += "object A: TProbeControl\n";
  EXPECT_THROW(ReadComponentText(objects), EParserError);
}

TEST_F(FormErrors, WrongNamesAndValuesNameComponentPropertyAndLine) {
  const BadForm cases[] = {
      {"  object X: TNoSuchThing\n  end\n", ClassNotFound, "Class TNoSuchThing not found on line 2"},
      {"  object B: TProbeControl\n    Colour = 5\n  end\n", Read,
       "Error reading B.Colour: Property Colour does not exist on line 3"},
      {"  Font.Weight = 3\n", Read, "Error reading Form1.Font.Weight: Property Weight does not exist on line 2"},
      {"  Size.Width = 3\n", Read, "Error reading Form1.Size.Width: Property Size does not exist on line 2"},
      {"  OnClick = NoSuchHandler\n", Read,
       "Error reading Form1.OnClick: Method NoSuchHandler does not exist on line 2"},
      {"  OnClick = Measure\n", Read, "Error reading Form1.OnClick: Invalid property value on line 2"},
      {"\n  Partner = Nobody\n", Read, "Error reading Form1.Partner: Unresolved reference to Nobody on line 3"},
      {"  Partner = Form1.Nobody\n", Read,
       "Error reading Form1.Partner: Unresolved reference to Form1.Nobody on line 2"},
      {"  Left = 'x'\n", Read, "Error reading Form1.Left: Invalid property value on line 2"},
      {"  Left = 99999999999\n", Read, "Error reading Form1.Left: Invalid property value on line 2"},
      {"  Align = paSideways\n", Read, "Error reading Form1.Align: Invalid property value on line 2"},
      {"  Visible = 1\n", Read, "Error reading Form1.Visible: Invalid property value on line 2"},
      {"  Font.Style = [psBold, psHuge]\n", Read,
       "Error reading Form1.Font.Style: Invalid property element: psHuge on line 2"},
      {"  Hotkey = 'ab'\n", Read, "Error reading Form1.Hotkey: Invalid property value on line 2"},
      {"  Font = 5\n", Read, "Error reading Form1.Font: Invalid property value on line 2"},
      {"  Items = ('a')\n", Read, "Error reading Form1.Items: Invalid property value on line 2"},
      {"  Margins = 5\n", Read, "Error reading Form1.Margins: Invalid property value on line 2"},
      {"  Margins = ('a')\n", Read, "Error reading Form1.Margins: Invalid property value on line 2"},
      {"  Margins = (1 (2))\n", Read, "Error reading Form1.Margins: Invalid property value on line 2"},
      {"  Blob = (1)\n", Read, "Error reading Form1.Blob: Invalid property value on line 2"},
      {"  Columns = <\n    item\n    end\n    item\n      Width = 'w'\n    end>\n", Read,
       "Error reading Form1.Columns[1].Width: Invalid property value on line 6"},
      {"  object B: TProbeControl\n  end\n  object B: TProbeControl\n  end\n", Read,
       "A component named B already exists on line 4"},
      {"  object 1: TProbeControl\n  end\n", Parser, "Identifier expected but number found on line 2"},
      {"  inherited Ghost: TProbeControl\n  end\n", Read, "Ancestor for 'Ghost' not found on line 2"},
      {"  object S: TStringList\n  end\n", ClassNotFound, "Class TStringList not found on line 2"},
  };
  for (const BadForm& bad : cases) EXPECT_TRUE(FailsWith(bad)) << bad.body;

  TProbeForm form(nullptr);
  try {
    ReadComponentTextInto("object F: TProbeTimer\nend", &form);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "A form of class TProbeTimer cannot be read into a TProbeForm on line 1");
  }
}

TEST_F(FormErrors, FailedReadIntoANewRootFreesEverything) {
  const int live = LiveControls();
  const char* failLate =
      "object Form1: TProbeForm\n"
      "  object A: TProbeControl\n"
      "    object B: TProbeControl\n"
      "    end\n"
      "  end\n"
      "  Partner = Missing\n"  // after a child: a parser error, before anything exists
      "end";
  EXPECT_THROW(ReadComponentText(failLate), EParserError);
  EXPECT_EQ(LiveControls(), live);
  const char* failInFixup =
      "object Form1: TProbeForm\n"
      "  Partner = Missing\n"
      "  object A: TProbeControl\n"
      "    object B: TProbeControl\n"
      "    end\n"
      "  end\n"
      "end";
  EXPECT_THROW(ReadComponentText(failInFixup), EReadError);
  EXPECT_EQ(LiveControls(), live);
  EXPECT_TRUE(Log().empty() || Log().back().rfind("loaded", 0) != 0);
}

TEST_F(FormErrors, FailedReadIntoAnExistingRootFreesWhatItCreated) {
  TProbeForm form(nullptr);
  form.SetName("Form1");
  auto* keep = new TProbeControl(&form);
  keep->SetName("Keep");
  keep->SetParentComponent(&form);
  const int live = LiveControls();
  Log().clear();

  const char* text =
      "object Form1: TProbeForm\n"
      "  Caption = 'changed'\n"
      "  inherited Keep: TProbeControl\n"
      "    Caption = 'kept'\n"
      "  end\n"
      "  object A: TProbeControl\n"
      "    OnClick = ButtonClick\n"
      "    object B: TProbeControl\n"
      "    end\n"
      "  end\n"
      "  object C: TProbeControl\n"
      "    Colour = 1\n"
      "  end\n"
      "end";
  EXPECT_THROW(ReadComponentTextInto(text, &form), EReadError);
  EXPECT_EQ(LiveControls(), live);
  ASSERT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), keep);
  EXPECT_EQ(form.children, (std::vector<TProbeControl*>{keep}));
  for (TComponent* c : {static_cast<TComponent*>(&form), static_cast<TComponent*>(keep)}) {
    EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    EXPECT_FALSE(c->ComponentState().Contains(csReading));
  }
  // Values already set on components that existed before stay set; nothing was Loaded.
  EXPECT_EQ(form.caption, "changed");
  EXPECT_EQ(keep->caption, "kept");
  for (const std::string& s : Log()) EXPECT_NE(s.rfind("loaded", 0), 0u) << s;

  // An ancestor's form read by the same reader is undone with the derived one.
  {
    TFormReader reader(&form);
    reader.Read(ParseFormText("object Form1: TProbeForm\n  object D: TProbeControl\n  end\nend"));
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_THROW(reader.Read(ParseFormText("inherited Form1: TProbeForm\n  inherited E: TProbeControl\n  end\nend")),
                 EReadError);
  }
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(LiveControls(), live);
}

TEST_F(FormErrors, ReplacedCollectionDropsReferencesWaitingOnItsItems) {
  // The first item list goes away before references are fixed; its pending reference
  // must not be applied to a freed item.
  auto root = ReadComponentText(
      "object Form1: TProbeForm\n"
      "  Columns = <\n    item\n      Link = Form1\n    end>\n"
      "  Columns = <\n    item\n      Caption = 'second'\n    end>\n"
      "end");
  auto* form = dynamic_cast<TProbeForm*>(root.get());
  ASSERT_TRUE(form);
  ASSERT_EQ(form->columns.Count(), 1);
  auto* col = static_cast<TProbeColumn*>(form->columns.Items(0));
  EXPECT_EQ(col->caption, "second");
  EXPECT_EQ(col->link, nullptr);
}
