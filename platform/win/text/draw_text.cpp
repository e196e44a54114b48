// DrawText: the pure layout of text_layout.h measured with the DC's font, then drawn
// run by run.
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/win/dc.h"
#include "platform/win/text/font_object.h"
#include "platform/win/text/text.h"
#include "platform/win/text/text_layout.h"
#include "platform/win/text/text_render.h"

namespace win {
namespace {

int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !rect) return 0;
  if (!text) {
    if (count > 0) return 0;
    text = "";
    count = 0;
  }
  if (count < 0) count = static_cast<int>(std::strlen(text));
  FontObject* font = text::FontOfDC(hdc);
  if (!font) return 0;

  const int extra = dc->st.charExtra;
  const text::FontMetrics& fm = font->sized->Metrics();
  text::TextMeasurer m;
  m.width = [font, extra](std::string_view s) {
    std::int64_t w = 0;
    for (unsigned char c : s) w += font->sized->Advance(c) + extra;
    return ClampInt(w);
  };
  m.lineHeight = fm.height;
  m.aveCharWidth = fm.aveCharWidth;

  const text::DrawTextLayout layout = text::LayoutDrawText(std::string_view(text, count), *rect, format, m);
  if (format & DT_CALCRECT) {
    *rect = layout.calcRect;
    return layout.result;
  }

  std::optional<RECT> clip;
  if (!(format & DT_NOCLIP))
    clip = RECT{ClampInt(dc->ToDeviceX(rect->left)), ClampInt(dc->ToDeviceY(rect->top)),
                ClampInt(dc->ToDeviceX(rect->right)), ClampInt(dc->ToDeviceY(rect->bottom))};
  text::RunOptions opt;
  opt.clip = clip;
  opt.opaqueCell = dc->st.bkMode == OPAQUE;
  for (const text::LayoutLine& line : layout.lines) {
    auto frameAt = [&](std::int64_t x, int total) {
      const text::DPoint ref{static_cast<double>(dc->ToDeviceX(x)), static_cast<double>(dc->ToDeviceY(line.y))};
      return text::PlaceRun(*font, ref, total, TA_LEFT | TA_TOP);
    };
    for (const text::LayoutRun& run : line.runs) {
      const std::vector<int> adv = text::RunAdvances(*font, run.text, nullptr, extra);
      int total = 0;
      for (int a : adv) total += a;
      text::RenderRun(*dc, *font, frameAt(static_cast<std::int64_t>(line.x) + run.x, total), run.text, adv, opt);
    }
    for (const auto& [ux, uw] : line.underlines) text::RenderUnderline(*dc, *font, frameAt(line.x, 0), ux, uw, clip);
  }
  return layout.result;
}

}  // namespace win
