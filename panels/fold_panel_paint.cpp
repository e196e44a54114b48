// Painting of the fold panel: the inherited panel, then the bar (glyph, separator lines)
// and, while collapsed, the caption beside the glyph.
#include "panels/fold_panel.h"
#include "platform/win/gdi.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"

void TFpFoldPanel::Paint() {
  TCustomPanel::Paint();
  if (!folding_) return;
  TCanvas* canvas = Canvas();
  if (status_ == fsCollapsed && BevelInner() == bvNone && BevelOuter() == bvNone) {
    TRect r = ClientRect();
    Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
  }
  DrawBar(canvas);
  if (status_ == fsCollapsed && !caption_.empty()) DrawCaption(canvas);
}

void TFpFoldPanel::DrawBar(TCanvas* canvas) {
  TBitmap* glyph = CurrentGlyph();
  if (hover_) glyph = status_ == fsCollapsed ? glyphExpandActive_.get() : glyphCollapsActive_.get();
  const TRect client = ClientRect();
  const Integer d = BevelInset();
  const Integer gw = glyph->Width(), gh = glyph->Height();
  const Integer x = LeftPosition() ? client.left + d : client.right - gw - d;
  const Integer y = TopPosition() ? client.top + d : client.bottom - gh - d;
  glyphRect_ = TRect{x, y, x + gw, y + gh};
  // The glyph's transparent colour shows the panel's colour.
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->BrushCopy(glyphRect_, glyph, TRect{0, 0, gw, gh}, glyph->TransparentColor());
  // Held down: sunk, also through repaints while the button is held.
  if (glyphPressed_) {
    TRect sunk = glyphRect_;
    win::InflateRect(&sunk, -1, -1);
    Frame3D(canvas, sunk, clBtnShadow, clBtnHighlight, 1);
  }

  if (!seperated_) return;
  const bool lowered = seperatorLineStyle_ == bsLowered;
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(1);
  auto line = [&](Integer x1, Integer y1, Integer x2, Integer y2, TColor color) {
    canvas->Pen()->SetColor(color);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
  };
  if (orientation_ == foVertical) {
    const Integer lx = LeftPosition() ? glyphRect_.right : glyphRect_.left;
    line(lx, d, lx, client.bottom - d, lowered ? clBtnShadow : clBtnHighlight);
    line(lx + 1, d, lx + 1, client.bottom - d, lowered ? clBtnHighlight : clBtnShadow);
  } else {
    const Integer ly = TopPosition() ? glyphRect_.bottom : glyphRect_.top;
    line(d, ly, client.right - d, ly, lowered ? clBtnHighlight : clBtnShadow);
    line(d, ly - 1, client.right - d, ly - 1, lowered ? clBtnShadow : clBtnHighlight);
  }
}

void TFpFoldPanel::DrawCaption(TCanvas* canvas) {
  canvas->SetFont(captionFont_.get());
  canvas->Brush()->SetStyle(bsClear);
  const Integer th = canvas->TextHeight(caption_);
  const TRect& r = glyphRect_;
  if (orientation_ == foVertical) {
    const Integer y = th > r.bottom ? 0 : (r.bottom - th) / 2 + r.top;
    const Integer x = LeftPosition() ? r.right + 10 : r.left - (canvas->TextWidth(caption_) + 10);
    canvas->TextOut(x, y, caption_);
    return;
  }
  // Folding sideways the strip is tall and narrow: the caption runs along it, turned.
  Integer x, y, angle;
  if (TopPosition()) {
    angle = 2700;
    y = r.bottom + 10;
    x = th < r.right ? (r.right + th) / 2 + r.left : r.right;
  } else {
    angle = 900;
    y = r.top - 10;
    x = th < r.right ? (r.right - th) / 2 + r.left : 0;
  }
  win::HDC dc = canvas->Handle();
  win::LOGFONT lf;
  if (!win::GetFontLogFont(canvas->Font()->Handle(), &lf)) return;
  lf.lfEscapement = angle;
  lf.lfOrientation = angle;
  lf.lfOutPrecision = win::OUT_TT_ONLY_PRECIS;
  win::HFONT turned = win::CreateFontIndirect(&lf);
  if (!turned) return;
  win::HGDIOBJ old = win::SelectObject(dc, win::FontAsObject(turned));
  win::SetBkMode(dc, win::TRANSPARENT);
  win::SetTextColor(dc, static_cast<win::COLORREF>(ColorToRGB(canvas->Font()->Color())));
  win::TextOut(dc, x, y, caption_.c_str(), static_cast<int>(caption_.size()));
  win::SelectObject(dc, old);
  win::DeleteObject(win::FontAsObject(turned));
  // The canvas selects its own font again on its next text.
  canvas->Refresh();
}
