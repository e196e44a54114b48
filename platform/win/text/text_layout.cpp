#include "platform/win/text/text_layout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/win/text/text.h"

namespace win::text {
namespace {

constexpr std::string_view kEllipsis = "...";

int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A line of display text with its accelerator marks.
struct MarkedLine {
  std::string text;
  std::vector<bool> marked;
};

bool IsBreakSpace(char c) { return c == ' ' || c == '\t'; }

class LineMeasure {
 public:
  LineMeasure(const TextMeasurer& m, bool expandTabs)
      : m_(m), expandTabs_(expandTabs), tabWidth_(std::max(1, 8 * m.aveCharWidth)) {}

  // Width of a line from its start; tabs jump to the next stop when expanded.
  int Width(std::string_view s) const {
    if (!expandTabs_) return m_.width(s);
    std::int64_t x = 0;
    size_t start = 0;
    for (;;) {
      size_t tab = s.find('\t', start);
      x += m_.width(s.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
      if (tab == std::string_view::npos) return ClampInt(x);
      x = (x / tabWidth_ + 1) * tabWidth_;
      start = tab + 1;
    }
  }

  std::vector<LayoutRun> Runs(std::string_view s) const {
    std::vector<LayoutRun> runs;
    if (!expandTabs_) {
      if (!s.empty()) runs.push_back({std::string(s), 0});
      return runs;
    }
    size_t start = 0;
    for (;;) {
      size_t tab = s.find('\t', start);
      std::string_view part = s.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
      if (!part.empty()) runs.push_back({std::string(part), Width(s.substr(0, start))});
      if (tab == std::string_view::npos) return runs;
      start = tab + 1;
    }
  }

  std::function<int(std::string_view)> Fn() const {
    return [this](std::string_view s) { return Width(s); };
  }

 private:
  const TextMeasurer& m_;
  bool expandTabs_;
  int tabWidth_;
};

MarkedLine Slice(const MarkedLine& l, size_t from, size_t to) {
  MarkedLine r;
  r.text = l.text.substr(from, to - from);
  r.marked.assign(l.marked.begin() + static_cast<std::ptrdiff_t>(from), l.marked.begin() + static_cast<std::ptrdiff_t>(to));
  return r;
}

// Splits at CR LF, LF or CR. A break at the very end starts no further line.
std::vector<MarkedLine> SplitHardLines(const MarkedLine& all) {
  std::vector<MarkedLine> lines;
  const std::string& s = all.text;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r' && s[i] != '\n') continue;
    lines.push_back(Slice(all, start, i));
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < s.size()) lines.push_back(Slice(all, start, s.size()));
  return lines;
}

// Greedy word wrap of one hard line. Lines break at spaces and tabs, which are dropped
// at the break. A word longer than the width stays whole on its own line, or with
// DT_EDITCONTROL is broken after the last character that fits (at least one).
void WrapLine(const MarkedLine& line, int maxWidth, bool breakWords, const LineMeasure& lm,
              std::vector<MarkedLine>& out) {
  const std::string& s = line.text;
  const size_t n = s.size();
  size_t pos = 0;
  bool first = true;
  for (;;) {
    if (!first)
      while (pos < n && IsBreakSpace(s[pos])) ++pos;
    first = false;
    const size_t start = pos;
    size_t end = start;
    size_t i = start;
    bool any = false;
    for (;;) {
      size_t j = i;
      while (j < n && IsBreakSpace(s[j])) ++j;
      if (j == n) break;  // only spaces remain
      while (j < n && !IsBreakSpace(s[j])) ++j;
      const int w = lm.Width(std::string_view(s).substr(start, j - start));
      if (w <= maxWidth) {
        end = j;
        i = j;
        any = true;
        continue;
      }
      if (any) break;
      // The first word alone is too wide.
      if (breakWords) {
        size_t k = start + 1;
        while (k < j && lm.Width(std::string_view(s).substr(start, k + 1 - start)) <= maxWidth) ++k;
        end = k;
      } else {
        end = j;
      }
      any = true;
      break;
    }
    if (!any) {
      // Nothing but spaces left: a line of its own only when the hard line is blank.
      if (start == 0) out.push_back(Slice(line, 0, n));
      return;
    }
    out.push_back(Slice(line, start, end));
    pos = end;
    size_t rest = pos;
    while (rest < n && IsBreakSpace(s[rest])) ++rest;
    if (rest >= n) return;
  }
}

MarkedLine ApplyCut(const MarkedLine& l, EllipsisCut cut) {
  MarkedLine r;
  r.text = l.text.substr(0, cut.headLen);
  r.text += kEllipsis;
  r.text += l.text.substr(cut.tailStart);
  r.marked.assign(l.marked.begin(), l.marked.begin() + static_cast<std::ptrdiff_t>(cut.headLen));
  r.marked.insert(r.marked.end(), kEllipsis.size(), false);
  r.marked.insert(r.marked.end(), l.marked.begin() + static_cast<std::ptrdiff_t>(cut.tailStart), l.marked.end());
  return r;
}

}  // namespace

PrefixedText StripPrefixes(std::string_view s) {
  PrefixedText r;
  r.text.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      r.text += s[i];
      continue;
    }
    if (i + 1 >= s.size()) break;  // a trailing '&' shows nothing
    ++i;
    if (s[i] != '&') r.underlined.push_back(r.text.size());
    r.text += s[i];
  }
  return r;
}

EllipsisCut FitEndEllipsis(std::string_view line, int maxWidth, const std::function<int(std::string_view)>& width) {
  // Widths grow with the head, so the longest head that fits is found by bisection.
  size_t lo = 0, hi = line.size();  // the answer lies in [lo, hi)
  auto fits = [&](size_t k) { return width(std::string(line.substr(0, k)) + std::string(kEllipsis)) <= maxWidth; };
  if (hi == 0 || !fits(0)) return {0, line.size()};
  while (hi - lo > 1) {
    size_t mid = lo + (hi - lo) / 2;
    if (fits(mid))
      lo = mid;
    else
      hi = mid;
  }
  return {lo, line.size()};
}

EllipsisCut FitPathEllipsis(std::string_view line, int maxWidth, const std::function<int(std::string_view)>& width) {
  const size_t slash = line.rfind('\\');
  if (slash == std::string_view::npos) return FitEndEllipsis(line, maxWidth, width);
  const std::string tail(line.substr(slash));
  for (size_t k = slash + 1; k-- > 0;)
    if (width(std::string(line.substr(0, k)) + std::string(kEllipsis) + tail) <= maxWidth) return {k, slash};
  for (size_t t = slash; t < line.size(); ++t)
    if (width(std::string(kEllipsis) + std::string(line.substr(t))) <= maxWidth) return {0, t};
  return {0, line.size()};
}

DrawTextLayout LayoutDrawText(std::string_view text, const RECT& rect, UINT format, const TextMeasurer& m) {
  DrawTextLayout out;
  const bool single = (format & DT_SINGLELINE) != 0;
  // Sums over the rectangle run in 64 bits: a rectangle may span the whole int range.
  const std::int64_t width64 = static_cast<std::int64_t>(rect.right) - rect.left;
  const int maxWidth = ClampInt(width64);
  const LineMeasure lm(m, (format & DT_EXPANDTABS) != 0);

  MarkedLine all;
  if (format & DT_NOPREFIX) {
    all.text = std::string(text);
    all.marked.assign(all.text.size(), false);
  } else {
    PrefixedText p = StripPrefixes(text);
    all.text = std::move(p.text);
    all.marked.assign(all.text.size(), false);
    for (size_t i : p.underlined) all.marked[i] = true;
  }

  std::vector<MarkedLine> lines;
  if (all.text.empty()) {
    // Nothing to show: no line, height 0.
  } else if (single) {
    lines.push_back(all);
  } else if (format & DT_WORDBREAK) {
    for (const MarkedLine& hard : SplitHardLines(all))
      WrapLine(hard, maxWidth, (format & DT_EDITCONTROL) != 0, lm, lines);
  } else {
    lines = SplitHardLines(all);
  }

  const bool endEllipsis = (format & DT_END_ELLIPSIS) != 0;
  const bool pathEllipsis = (format & DT_PATH_ELLIPSIS) != 0;
  if (endEllipsis || pathEllipsis) {
    for (MarkedLine& l : lines) {
      if (lm.Width(l.text) <= maxWidth) continue;
      EllipsisCut cut = pathEllipsis ? FitPathEllipsis(l.text, maxWidth, lm.Fn()) : FitEndEllipsis(l.text, maxWidth, lm.Fn());
      l = ApplyCut(l, cut);
    }
  }

  const int lh = m.lineHeight;
  const std::int64_t total = static_cast<std::int64_t>(lines.size()) * lh;
  std::int64_t y = rect.top;
  if (single && (format & DT_VCENTER))
    y = rect.top + (static_cast<std::int64_t>(rect.bottom) - rect.top - lh) / 2;
  else if (single && (format & DT_BOTTOM))
    y = static_cast<std::int64_t>(rect.bottom) - lh;

  int widest = 0;
  for (const MarkedLine& ml : lines) {
    LayoutLine l;
    l.width = lm.Width(ml.text);
    widest = std::max(widest, l.width);
    std::int64_t x = rect.left;
    if (format & DT_RIGHT)
      x = static_cast<std::int64_t>(rect.right) - l.width;
    else if (format & DT_CENTER)
      x = rect.left + (width64 - l.width) / 2;
    l.x = ClampInt(x);
    l.y = ClampInt(y);
    y += lh;
    l.runs = lm.Runs(ml.text);
    for (size_t i = 0; i < ml.text.size(); ++i) {
      if (!ml.marked[i]) continue;
      const int x0 = lm.Width(std::string_view(ml.text).substr(0, i));
      const int x1 = lm.Width(std::string_view(ml.text).substr(0, i + 1));
      l.underlines.emplace_back(x0, x1 - x0);
    }
    out.lines.push_back(std::move(l));
  }

  if ((format & DT_EDITCONTROL) && !single && !(format & DT_CALCRECT))
    std::erase_if(out.lines, [&](const LayoutLine& l) { return static_cast<std::int64_t>(l.y) + lh > rect.bottom; });

  out.calcRect = {rect.left, rect.top, ClampInt(static_cast<std::int64_t>(rect.left) + widest),
                  ClampInt(rect.top + total)};
  if (!(format & DT_CALCRECT) && single && (format & (DT_VCENTER | DT_BOTTOM)) && !out.lines.empty())
    out.result = ClampInt(static_cast<std::int64_t>(out.lines.front().y) + lh - rect.top);
  else
    out.result = ClampInt(total);
  return out;
}

}  // namespace win::text
