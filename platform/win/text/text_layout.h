#pragma once
// DrawText's layout as pure functions over a width-measuring callback: prefix
// characters, hard and word-wrapped lines, tab stops, ellipses, alignment and the
// rectangle DT_CALCRECT returns. Nothing here touches a font or a DC.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win/types.h"

namespace win::text {

struct TextMeasurer {
  // Advance width of a run of characters without tabs (character extra included).
  std::function<int(std::string_view)> width;
  int lineHeight = 0;    // tmHeight
  int aveCharWidth = 0;  // tab stops fall every 8 of these
};

// '&' marks the next character as an accelerator (underlined) and is removed; "&&" is
// one '&'; a '&' at the very end is dropped.
struct PrefixedText {
  std::string text;
  std::vector<size_t> underlined;  // indices into text
};
PrefixedText StripPrefixes(std::string_view s);

// Where an ellipsis cuts a line: the result is line[0, headLen) + "..." + line[tailStart, end).
struct EllipsisCut {
  size_t headLen = 0;
  size_t tailStart = 0;
};
// End ellipsis: the longest head that fits with "..." after it.
EllipsisCut FitEndEllipsis(std::string_view line, int maxWidth, const std::function<int(std::string_view)>& width);
// Path ellipsis: keeps the part from the last '\' on and cuts the middle; without a '\'
// it is the end ellipsis. When even "..." plus that part is too wide, the part loses
// characters from its start.
EllipsisCut FitPathEllipsis(std::string_view line, int maxWidth, const std::function<int(std::string_view)>& width);

struct LayoutRun {
  std::string text;
  int x = 0;  // from the line's left
};

struct LayoutLine {
  std::vector<LayoutRun> runs;                   // split at expanded tabs
  std::vector<std::pair<int, int>> underlines;   // accelerators: (x from the line's left, width)
  int x = 0;                                     // the line's top-left
  int y = 0;
  int width = 0;
};

struct DrawTextLayout {
  std::vector<LayoutLine> lines;  // what is drawn (DT_EDITCONTROL leaves out a partial last line)
  RECT calcRect{};                // what DT_CALCRECT returns
  int result = 0;                 // DrawText's return value
};

// Lays out `text` in `rect` by the DT_ flags of `format`.
DrawTextLayout LayoutDrawText(std::string_view text, const RECT& rect, UINT format, const TextMeasurer& m);

}  // namespace win::text
