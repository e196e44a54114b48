// TextOut, ExtTextOut, text measurement and the text state of a DC.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/win/dc.h"
#include "platform/win/text/font_object.h"
#include "platform/win/text/paths.h"
#include "platform/win/text/text.h"
#include "platform/win/text/text_render.h"

namespace win {
namespace {

int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

RECT DeviceRect(const DeviceContext& dc, const RECT& r) {
  return {ClampInt(dc.ToDeviceX(r.left)), ClampInt(dc.ToDeviceY(r.top)), ClampInt(dc.ToDeviceX(r.right)),
          ClampInt(dc.ToDeviceY(r.bottom))};
}

int Sum(const std::vector<int>& v) {
  std::int64_t s = 0;
  for (int a : v) s += a;
  return ClampInt(s);
}

}  // namespace

UINT SetTextAlign(HDC hdc, UINT align) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return GDI_ERROR;
  UINT old = dc->st.textAlign;
  dc->st.textAlign = align & TA_MASK;
  return old;
}

UINT GetTextAlign(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  return dc ? dc->st.textAlign : GDI_ERROR;
}

int SetTextCharacterExtra(HDC hdc, int extra) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return static_cast<int>(0x80000000u);
  int old = dc->st.charExtra;
  dc->st.charExtra = extra;
  return old;
}

int GetTextCharacterExtra(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  return dc ? dc->st.charExtra : static_cast<int>(0x80000000u);
}

BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) {
  if (count < 0) return 0;
  return ExtTextOut(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || (count > 0 && !text) || count > static_cast<UINT>(std::numeric_limits<int>::max())) return 0;
  FontObject* font = text::FontOfDC(hdc);
  if (!font) return 0;
  const std::string_view s(text ? text : "", count);
  const bool recording = text::PathRecording(*dc);

  std::optional<RECT> devRect;
  if (rect) devRect = DeviceRect(*dc, *rect);
  if ((options & ETO_OPAQUE) && devRect && !recording)
    text::FillDeviceRect(*dc, devRect->left, devRect->top, devRect->right, devRect->bottom, dc->st.bkColor, std::nullopt);

  const std::vector<int> adv = text::RunAdvances(*font, s, dx, dc->st.charExtra);
  const int total = Sum(adv);
  const UINT align = dc->st.textAlign;
  const bool updateCp = (align & TA_UPDATECP) != 0;
  const POINT refLogical = updateCp ? dc->st.currentPos : POINT{x, y};
  const text::DPoint ref{static_cast<double>(dc->ToDeviceX(refLogical.x)), static_cast<double>(dc->ToDeviceY(refLogical.y))};
  const text::RunFrame frame = text::PlaceRun(*font, ref, total, align);

  text::RunOptions opt;
  if ((options & ETO_CLIPPED) && devRect) opt.clip = devRect;
  opt.opaqueCell = dc->st.bkMode == OPAQUE;
  text::RenderRun(*dc, *font, frame, s, adv, opt);

  if (updateCp) {
    // The position moves past the text for left alignment, back over it for right
    // alignment, and stays for centred text.
    double move = 0;
    if ((align & TA_CENTER) == TA_CENTER)
      move = 0;
    else if (align & TA_RIGHT)
      move = -total;
    else
      move = total;
    dc->st.currentPos.x = ClampInt(refLogical.x + std::llround(move * frame.along.x));
    dc->st.currentPos.y = ClampInt(refLogical.y + std::llround(move * frame.along.y));
  }
  return 1;
}

BOOL GetTextExtentExPoint(HDC hdc, const char* text, int count, int maxExtent, int* fit, int* partial, SIZE* size) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || count < 0 || (count > 0 && !text) || !size) return 0;
  FontObject* font = text::FontOfDC(hdc);
  if (!font) return 0;
  const std::vector<int> adv = text::RunAdvances(*font, std::string_view(text ? text : "", count), nullptr, dc->st.charExtra);
  std::int64_t x = 0;
  int fits = 0;
  for (int i = 0; i < count; ++i) {
    x += adv[i];
    if (partial) partial[i] = ClampInt(x);
    if (x <= maxExtent && fits == i) fits = i + 1;
  }
  if (fit) *fit = fits;
  size->cx = ClampInt(x);
  size->cy = font->sized->Metrics().height;
  return 1;
}

BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size) {
  return GetTextExtentExPoint(hdc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
  if (!CheckDC(hdc) || !tm) return 0;
  FontObject* font = text::FontOfDC(hdc);
  if (!font) return 0;
  *tm = font->Metrics();
  return 1;
}

int GetTextFace(HDC hdc, int size, char* name) {
  if (!CheckDC(hdc)) return 0;
  FontObject* font = text::FontOfDC(hdc);
  if (!font) return 0;
  const std::string& face = font->face.faceName;
  if (!name) return static_cast<int>(face.size()) + 1;
  if (size <= 0) return 0;
  const size_t n = std::min(face.size(), static_cast<size_t>(size - 1));
  std::memcpy(name, face.data(), n);
  name[n] = '\0';
  return static_cast<int>(n) + 1;
}

}  // namespace win
