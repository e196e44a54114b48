#include "controlkit/kit_button_faces.h"

#include "controlkit/kit_application.h"
#include "controlkit/kit_draw.h"
#include "platform/win/gdi.h"

namespace {

constexpr TColor kGrey = 0x808080;

enum class Face { Win31, Win40Standard, Win40Plain, Corvane, Flat, Integrated };

bool IsFlat(TKitUserButtonStyle s) { return s >= ubsCorvaneFlat && s <= ubsExplorerColored; }

TRect Shrunk(const TRect& r, Integer by) { return Rect(r.left + by, r.top + by, r.right - by, r.bottom - by); }

void Edge(TCanvas* c, TRect& r, win::UINT edge, win::UINT flags) { win::DrawEdge(c->Handle(), &r, edge, flags); }

// Sunken outer edge on left and top, raised outer edge on right and bottom, not adjusting.
void OuterEdges(TCanvas* c, const TRect& r, win::UINT extra) {
  TRect e = r;
  Edge(c, e, win::BDR_SUNKENOUTER, win::BF_TOPLEFT | win::BF_SOFT | extra);
  e = r;
  Edge(c, e, win::BDR_RAISEDOUTER, win::BF_BOTTOMRIGHT);
}

void RoundCorners(TCanvas* c, const TRect& r) {
  c->SetPixels(r.left, r.top, clBtnFace);
  c->SetPixels(r.left, r.bottom - 1, clBtnFace);
  c->SetPixels(r.right - 1, r.top, clBtnFace);
  c->SetPixels(r.right - 1, r.bottom - 1, clBtnFace);
}

void SolidPen(TCanvas* c, TColor color) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
}

void Line(TCanvas* c, Integer x1, Integer y1, Integer x2, Integer y2) {
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

}  // namespace

bool KitNewStyleControls() { return true; }

bool DrawButtonFrame(TCanvas* Canvas, bool MouseInside, TRect& R, TKitUserButtonStyle Style, Byte State, Word Flags,
                     TColor Color) {
  if (!Canvas) return true;
  if (Style == ubsAutoDetect) Style = KitNewStyleControls() ? ubsWin40 : ubsWin31;
  Face face = Face::Flat;
  switch (Style) {
    case ubsWin31: face = Face::Win31; break;
    case ubsWin40: face = (Flags & kKitBfStandard) ? Face::Win40Standard : Face::Win40Plain; break;
    case ubsCorvane: face = Face::Corvane; break;
    case ubsIntegrated: face = Face::Integrated; break;
    default: face = Face::Flat; break;
  }
  const bool down = State == kKitBtnDown || State == kKitBtnHeld || State == kKitBtnDroppedDown ||
                    State == kKitBtnDisabledDown;
  const bool explorer = Style == ubsExplorer || Style == ubsExplorerColored;
  bool rounded = (Flags & kKitBfRounded) != 0 && face == Face::Win31;

  // Background. A pressed (not held) button shows the checked pattern.
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  const bool pattern = State == kKitBtnDown && !(IsFlat(Style) && MouseInside) && KitApplication;
  if (pattern) Canvas->Brush()->SetBitmap(KitApplication->GetPatternBitmap(Color));
  if (!explorer) Canvas->FillRect(R);

  if ((Flags & (kKitBfFocus | kKitBfFrameOnly)) != 0 && !down) {
    OuterEdges(Canvas, R, (Flags & kKitBfFillFocus) ? win::BF_MIDDLE : 0);
    if (rounded) {
      RoundCorners(Canvas, R);
      rounded = false;
    }
    R = Shrunk(R, 1);
  }
  TRect base = R;

  switch (face) {
    case Face::Win31:
      OuterEdges(Canvas, R, 0);
      if (rounded) RoundCorners(Canvas, R);
      R = Shrunk(R, 1);
      if (!down) {
        Edge(Canvas, R, win::BDR_RAISEDINNER, win::BF_RECT | win::BF_ADJUST);
        Edge(Canvas, R, win::BDR_RAISEDINNER, win::BF_RECT | win::BF_ADJUST);
      } else {
        Edge(Canvas, R, win::BDR_SUNKENINNER, win::BF_TOPLEFT | win::BF_ADJUST);
      }
      base = Shrunk(base, 1);
      break;
    case Face::Win40Standard:
      if (!down) DrawBorder(Canvas, R, lsRaisedspb, 0);
      else if (Flags & kKitBfFullSunken) Edge(Canvas, R, win::EDGE_SUNKEN, win::BF_RECT | win::BF_ADJUST);
      else DrawBorder(Canvas, R, lsLowered, 0);
      break;
    case Face::Win40Plain:
      if (!down) {
        if (Flags & kKitBfFocus) {
          Edge(Canvas, R, win::BDR_RAISEDOUTER, win::BF_RECT | win::BF_SOFT | win::BF_ADJUST);
          Edge(Canvas, R, win::BDR_RAISEDINNER, win::BF_BOTTOMRIGHT | win::BF_ADJUST);
        } else {
          DrawBorder(Canvas, R, lsRaisedspb, 0);
        }
      } else {
        SolidPen(Canvas, clBlack);
        Canvas->Rectangle(R);
        SolidPen(Canvas, kGrey);
        Canvas->Rectangle(Shrunk(R, 1));
        Canvas->Pen()->SetColor(clBlack);
      }
      break;
    case Face::Corvane: {
      SolidPen(Canvas, clBlack);
      Canvas->Brush()->SetStyle(bsClear);
      Canvas->Rectangle(R);
      if (!down) {
        TRect in = Shrunk(R, 1);
        Edge(Canvas, in, win::BDR_RAISEDINNER, win::BF_RECT);
      } else {
        Canvas->Pen()->SetColor(kGrey);
        Line(Canvas, R.left + 1, R.top + 1, R.right - 1, R.top + 1);
        Line(Canvas, R.left + 1, R.top + 1, R.left + 1, R.bottom - 1);
      }
      break;
    }
    case Face::Flat: {
      const bool framed = Style == ubsCorvaneFlat || Style == ubsNavigator;
      if (framed && (down || State == kKitBtnHot)) {
        Canvas->Rectangle(R);
        R = Shrunk(R, 1);
      }
      if (down) {
        Edge(Canvas, R, win::BDR_SUNKENOUTER, win::BF_RECT | win::BF_ADJUST);
      } else if (State == kKitBtnHot) {
        Edge(Canvas, R, win::BDR_RAISEDINNER, win::BF_RECT | win::BF_ADJUST);
      } else if ((State == kKitBtnUp || State == kKitBtnDisabled) && !explorer) {
        Canvas->Brush()->SetBitmap(nullptr);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(Color);
        Canvas->FillRect(R);
      }
      break;
    }
    case Face::Integrated:
      if (!down) {
        SolidPen(Canvas, clBlack);
        Canvas->Rectangle(R);
        Canvas->Pen()->SetColor(clBtnFace);
        Canvas->MoveTo(R.right - 2, R.top);
        Canvas->LineTo(R.left, R.top);
        Canvas->LineTo(R.left, R.bottom - 1);
        Canvas->Pen()->SetColor(clWhite);
        Canvas->Rectangle(R.left + 1, R.top + 1, R.right - 1, R.bottom - 1);
        Canvas->Pen()->SetColor(kGrey);
        Canvas->MoveTo(R.right - 2, R.top + 1);
        Canvas->LineTo(R.right - 2, R.bottom - 2);
        Canvas->LineTo(R.left, R.bottom - 2);
      } else {
        SolidPen(Canvas, kGrey);
        Canvas->Rectangle(R);
      }
      break;
  }

  if (Flags & kKitBfFocus) {
    Canvas->Brush()->SetBitmap(nullptr);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->DrawFocusRect(Shrunk(base, down ? 4 : 3));
  }
  // The pattern belongs to the application; the brush must not keep pointing at it.
  if (pattern) Canvas->Brush()->SetBitmap(nullptr);

  R = Shrunk(base, 3);
  if (down) R = Rect(R.left + 1, R.top + 1, R.right + 1, R.bottom + 1);
  return true;
}
