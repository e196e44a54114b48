// DrawText's layout on a made-up measure: every character 6 pixels, 'W' 10, ' ' 3,
// 'i' 2; lines 10 high; tab stops every 40 pixels.
#include <gtest/gtest.h>

#include <climits>

#include "platform/win/text/text.h"
#include "platform/win/text/text_layout.h"

using namespace win;
using namespace win::text;

namespace {

int Advance(char c) {
  switch (c) {
    case 'W': return 10;
    case ' ': return 3;
    case 'i': return 2;
    default: return 6;
  }
}

TextMeasurer Measure() {
  TextMeasurer m;
  m.width = [](std::string_view s) {
    int w = 0;
    for (char c : s) w += Advance(c);
    return w;
  };
  m.lineHeight = 10;
  m.aveCharWidth = 5;
  return m;
}

std::vector<std::string> LineTexts(const DrawTextLayout& l) {
  std::vector<std::string> out;
  for (const LayoutLine& line : l.lines) {
    std::string s;
    for (const LayoutRun& r : line.runs) s += r.text;
    out.push_back(s);
  }
  return out;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(TextLayout, PrefixCharactersAreRemovedAndMarked) {
  PrefixedText a = StripPrefixes("&File");
  EXPECT_EQ(a.text, "File");
  EXPECT_EQ(a.underlined, std::vector<size_t>{0});

  PrefixedText b = StripPrefixes("Fish && Chips");
  EXPECT_EQ(b.text, "Fish & Chips");
  EXPECT_TRUE(b.underlined.empty());

  PrefixedText c = StripPrefixes("&&&x and &y&");
  EXPECT_EQ(c.text, "&x and y");
  EXPECT_EQ(c.underlined, (std::vector<size_t>{1, 7}));

  EXPECT_EQ(StripPrefixes("&").text, "");
}

TEST(TextLayout, AcceleratorUnderlineSitsUnderItsCharacter) {
  RECT r{0, 0, 200, 50};
  DrawTextLayout l = LayoutDrawText("Sa&ve", r, DT_SINGLELINE, Measure());
  ASSERT_EQ(LineTexts(l), Lines{"Save"});
  ASSERT_EQ(l.lines[0].underlines.size(), 1u);
  EXPECT_EQ(l.lines[0].underlines[0], std::make_pair(12, 6));  // after "Sa", one 'v' wide

  DrawTextLayout n = LayoutDrawText("Sa&ve", r, DT_SINGLELINE | DT_NOPREFIX, Measure());
  EXPECT_EQ(LineTexts(n), Lines{"Sa&ve"});
  EXPECT_TRUE(n.lines[0].underlines.empty());
}

TEST(TextLayout, HardLineBreaks) {
  RECT r{0, 0, 100, 100};
  DrawTextLayout l = LayoutDrawText("ab\r\ncd\nef\rgh", r, DT_CALCRECT, Measure());
  EXPECT_EQ(LineTexts(l), (Lines{"ab", "cd", "ef", "gh"}));
  EXPECT_EQ(l.result, 40);
  EXPECT_EQ(l.calcRect, (RECT{0, 0, 12, 40}));

  // A break at the very end opens no line; a lone break is one empty line.
  EXPECT_EQ(LayoutDrawText("ab\r\n", r, 0, Measure()).lines.size(), 1u);
  EXPECT_EQ(LayoutDrawText("\n", r, 0, Measure()).result, 10);
  EXPECT_EQ(LayoutDrawText("a\n\nb", r, 0, Measure()).result, 30);

  // Single-line output keeps the breaks as characters.
  EXPECT_EQ(LineTexts(LayoutDrawText("ab\ncd", r, DT_SINGLELINE, Measure())), Lines{"ab\ncd"});
}

TEST(TextLayout, EmptyTextHasNoHeight) {
  RECT r{5, 7, 100, 100};
  DrawTextLayout l = LayoutDrawText("", r, DT_CALCRECT | DT_WORDBREAK, Measure());
  EXPECT_TRUE(l.lines.empty());
  EXPECT_EQ(l.result, 0);
  EXPECT_EQ(l.calcRect, (RECT{5, 7, 5, 7}));
}

TEST(TextLayout, WordBreakFillsLinesGreedily) {
  // "aaa bbb ccc dd": words 18, 18, 18 and 12 wide, a space is 3.
  RECT r{10, 20, 10 + 40, 200};
  DrawTextLayout l = LayoutDrawText("aaa bbb ccc dd", r, DT_WORDBREAK | DT_CALCRECT, Measure());
  EXPECT_EQ(LineTexts(l), (Lines{"aaa bbb", "ccc dd"}));
  EXPECT_EQ(l.calcRect, (RECT{10, 20, 10 + 39, 40}));
  EXPECT_EQ(l.result, 20);

  // Exactly fitting width keeps the words together; one pixel less breaks them.
  EXPECT_EQ(LineTexts(LayoutDrawText("aaa bbb", RECT{0, 0, 39, 0}, DT_WORDBREAK, Measure())), Lines{"aaa bbb"});
  EXPECT_EQ(LineTexts(LayoutDrawText("aaa bbb", RECT{0, 0, 38, 0}, DT_WORDBREAK, Measure())),
            (Lines{"aaa", "bbb"}));

  // Runs of spaces at a break vanish; leading spaces of a paragraph stay.
  EXPECT_EQ(LineTexts(LayoutDrawText("  aaa    bbb   ", RECT{0, 0, 30, 0}, DT_WORDBREAK, Measure())),
            (Lines{"  aaa", "bbb"}));
  // Each paragraph wraps on its own.
  EXPECT_EQ(LineTexts(LayoutDrawText("aaa bbb\r\nccc", RECT{0, 0, 30, 0}, DT_WORDBREAK, Measure())),
            (Lines{"aaa", "bbb", "ccc"}));
}

TEST(TextLayout, LongWordOverflowsOrBreaksInEditControlMode) {
  RECT r{0, 0, 20, 0};
  DrawTextLayout wide = LayoutDrawText("abcdefgh ij", r, DT_WORDBREAK | DT_CALCRECT, Measure());
  EXPECT_EQ(LineTexts(wide), (Lines{"abcdefgh", "ij"}));
  EXPECT_EQ(wide.calcRect.right, 48);  // the rectangle grows to the long word

  DrawTextLayout broken = LayoutDrawText("abcdefgh ij", r, DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT, Measure());
  EXPECT_EQ(LineTexts(broken), (Lines{"abc", "def", "gh", "ij"}));
  EXPECT_EQ(broken.calcRect.right, 18);

  // Even a width of 0 makes progress: one character per line.
  EXPECT_EQ(LineTexts(LayoutDrawText("abc", RECT{0, 0, 0, 100}, DT_WORDBREAK | DT_EDITCONTROL, Measure())),
            (Lines{"a", "b", "c"}));
}

TEST(TextLayout, EditControlLeavesOutPartialLastLine) {
  RECT r{0, 0, 30, 25};  // room for two lines of 10 and half a third
  DrawTextLayout l = LayoutDrawText("aaa bbb ccc", r, DT_WORDBREAK | DT_EDITCONTROL, Measure());
  EXPECT_EQ(LineTexts(l), (Lines{"aaa", "bbb"}));
  EXPECT_EQ(l.result, 30);
  EXPECT_EQ(LayoutDrawText("aaa bbb ccc", r, DT_WORDBREAK, Measure()).lines.size(), 3u);
}

TEST(TextLayout, HorizontalAlignment) {
  RECT r{10, 0, 110, 100};
  DrawTextLayout c = LayoutDrawText("ab\nabcde", r, DT_CENTER, Measure());
  EXPECT_EQ(c.lines[0].x, 10 + (100 - 12) / 2);
  EXPECT_EQ(c.lines[1].x, 10 + (100 - 30) / 2);
  DrawTextLayout rt = LayoutDrawText("ab\nabcde", r, DT_RIGHT, Measure());
  EXPECT_EQ(rt.lines[0].x, 110 - 12);
  EXPECT_EQ(rt.lines[1].x, 110 - 30);
  EXPECT_EQ(rt.lines[1].y, 10);
  // Odd leftover space: the centre rounds toward the left.
  EXPECT_EQ(LayoutDrawText("a", RECT{0, 0, 7, 10}, DT_CENTER, Measure()).lines[0].x, 0);
}

TEST(TextLayout, SingleLineVerticalPlacementAndReturnValue) {
  RECT r{0, 20, 100, 45};  // 25 high
  DrawTextLayout top = LayoutDrawText("ab", r, DT_SINGLELINE, Measure());
  EXPECT_EQ(top.lines[0].y, 20);
  EXPECT_EQ(top.result, 10);

  DrawTextLayout mid = LayoutDrawText("ab", r, DT_SINGLELINE | DT_VCENTER, Measure());
  EXPECT_EQ(mid.lines[0].y, 20 + 7);  // (25 - 10) div 2
  EXPECT_EQ(mid.result, 17);          // from the top of the rectangle to the text's bottom

  DrawTextLayout bottom = LayoutDrawText("ab", r, DT_SINGLELINE | DT_BOTTOM, Measure());
  EXPECT_EQ(bottom.lines[0].y, 35);
  EXPECT_EQ(bottom.result, 25);

  // Without DT_SINGLELINE the vertical flags do nothing.
  EXPECT_EQ(LayoutDrawText("ab", r, DT_VCENTER | DT_BOTTOM, Measure()).lines[0].y, 20);

  // Measuring ignores the vertical placement.
  DrawTextLayout calc = LayoutDrawText("ab", r, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT, Measure());
  EXPECT_EQ(calc.calcRect, (RECT{0, 20, 12, 30}));
  EXPECT_EQ(calc.result, 10);
}

TEST(TextLayout, EndEllipsisKeepsTheLongestHeadThatFits) {
  // "abcdefghij" is 60 wide; "..." is 18.
  RECT r{0, 0, 45, 10};
  DrawTextLayout l = LayoutDrawText("abcdefghij", r, DT_SINGLELINE | DT_END_ELLIPSIS, Measure());
  EXPECT_EQ(LineTexts(l), Lines{"abcd..."});  // 24 + 18 = 42 <= 45; five letters would be 48
  EXPECT_EQ(l.lines[0].width, 42);

  DrawTextLayout calc = LayoutDrawText("abcdefghij", r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT, Measure());
  EXPECT_EQ(calc.calcRect.right, 42);

  // Text that fits is left alone; a rectangle narrower than "..." keeps only "...".
  EXPECT_EQ(LineTexts(LayoutDrawText("abc", r, DT_SINGLELINE | DT_END_ELLIPSIS, Measure())), Lines{"abc"});
  EXPECT_EQ(LineTexts(LayoutDrawText("abcdef", RECT{0, 0, 10, 10}, DT_SINGLELINE | DT_END_ELLIPSIS, Measure())),
            Lines{"..."});

  // An accelerator past the cut disappears with its character.
  DrawTextLayout acc = LayoutDrawText("abcdefg&h", r, DT_SINGLELINE | DT_END_ELLIPSIS, Measure());
  EXPECT_TRUE(acc.lines[0].underlines.empty());
  DrawTextLayout kept = LayoutDrawText("a&bcdefgh", r, DT_SINGLELINE | DT_END_ELLIPSIS, Measure());
  EXPECT_EQ(kept.lines[0].underlines, (std::vector<std::pair<int, int>>{{6, 6}}));
}

TEST(TextLayout, EndEllipsisAppliesToEachOverlongLine) {
  RECT r{0, 0, 30, 100};
  DrawTextLayout l = LayoutDrawText("ab\nabcdefgh", r, DT_END_ELLIPSIS, Measure());
  EXPECT_EQ(LineTexts(l), (Lines{"ab", "ab..."}));
}

TEST(TextLayout, PathEllipsisKeepsTheLastPart) {
  // The part from the last '\' is "\file.txt": 8 characters of 6 and an 'i', 50.
  const std::string path = "C:\\dir\\sub\\file.txt";
  auto width = Measure().width;
  ASSERT_EQ(width("\\file.txt"), 50);

  RECT r{0, 0, 100, 10};
  DrawTextLayout l = LayoutDrawText(path, r, DT_SINGLELINE | DT_PATH_ELLIPSIS, Measure());
  ASSERT_EQ(l.lines.size(), 1u);
  // The head shrinks to "C:\dir": 32 + 18 + 50 = 100.
  EXPECT_EQ(LineTexts(l), Lines{"C:\\dir...\\file.txt"});
  EXPECT_EQ(l.lines[0].width, 100);

  DrawTextLayout tight = LayoutDrawText(path, RECT{0, 0, 68, 10}, DT_SINGLELINE | DT_PATH_ELLIPSIS, Measure());
  EXPECT_EQ(LineTexts(tight), Lines{"...\\file.txt"});

  // Narrower than "...\file.txt": the last part loses characters from its start.
  DrawTextLayout tighter = LayoutDrawText(path, RECT{0, 0, 50, 10}, DT_SINGLELINE | DT_PATH_ELLIPSIS, Measure());
  EXPECT_EQ(LineTexts(tighter), Lines{"...e.txt"});

  // Without a backslash it is the end ellipsis.
  EXPECT_EQ(LineTexts(LayoutDrawText("abcdefghij", RECT{0, 0, 45, 10}, DT_SINGLELINE | DT_PATH_ELLIPSIS, Measure())),
            Lines{"abcd..."});
}

TEST(TextLayout, ExpandedTabsJumpToStops) {
  RECT r{0, 0, 300, 10};
  DrawTextLayout l = LayoutDrawText("ab\tc\t\td", r, DT_SINGLELINE | DT_EXPANDTABS, Measure());
  ASSERT_EQ(l.lines.size(), 1u);
  const auto& runs = l.lines[0].runs;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].x, 0);
  EXPECT_EQ(runs[1].x, 40);
  EXPECT_EQ(runs[2].x, 120);  // "c" ends at 46, the next stops are 80 and 120
  EXPECT_EQ(l.lines[0].width, 126);

  // A run ending exactly on a stop still moves on to the next one.
  DrawTextLayout exact = LayoutDrawText("WWWW\tx", r, DT_SINGLELINE | DT_EXPANDTABS, Measure());
  EXPECT_EQ(exact.lines[0].runs[1].x, 80);

  // Not expanded, the tab is measured as a character.
  DrawTextLayout raw = LayoutDrawText("ab\tc", r, DT_SINGLELINE, Measure());
  EXPECT_EQ(raw.lines[0].runs.size(), 1u);
  EXPECT_EQ(raw.lines[0].width, 24);
}

TEST(TextLayout, RectangleSpanningTheIntRange) {
  RECT r{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  DrawTextLayout l = LayoutDrawText("ab", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, Measure());
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(l.lines[0].x, -7);  // INT_MIN + (2^32 - 1 - 12) div 2
  EXPECT_EQ(l.lines[0].y, -6);
  EXPECT_EQ(l.result, INT_MAX);  // clamped: the bottom of the text lies 2^31 + 4 below the top
  DrawTextLayout calc = LayoutDrawText("ab", r, DT_SINGLELINE | DT_CALCRECT, Measure());
  EXPECT_EQ(calc.calcRect, (RECT{INT_MIN, INT_MIN, INT_MIN + 12, INT_MIN + 10}));
}

TEST(TextLayout, LabelMeasureFlagsTogether) {
  // The kit measures with DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK.
  RECT r{0, 0, 60, 0};
  DrawTextLayout l =
      LayoutDrawText("Particle &count per second", r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK, Measure());
  EXPECT_EQ(LineTexts(l), (Lines{"Particle", "count per", "second"}));
  EXPECT_EQ(l.calcRect.bottom, 30);
  EXPECT_EQ(l.calcRect.right, 51);  // "count per"
  EXPECT_EQ(l.lines[1].underlines, (std::vector<std::pair<int, int>>{{0, 6}}));
}
