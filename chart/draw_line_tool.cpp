#include "chart/draw_line_tool.h"

#include <algorithm>

#include "chart/axis_panel.h"
#include "chart/chart_axis.h"
#include "chart/chart_canvas.h"
#include "chart/chart_utils.h"

// ---- TDrawLine, TDrawLines ---------------------------------------------------------------

const TClass& TDrawLine::StaticClass() {
  static const TClass cls = TClass::Of<TDrawLine>("TDrawLine", TObject::StaticClass());
  return cls;
}

const TClass& TDrawLines::StaticClass() {
  static const TClass cls = TClass::Of<TDrawLines>("TDrawLines", TList::StaticClass());
  return cls;
}

TDrawLines::~TDrawLines() {
  // The tool is going too: only the lines are freed.
  for (Integer i = 0; i < Count(); ++i) delete Line(i);
  TList::Clear();
}

Integer TDrawLines::Add(TDrawLine* Line) {
  Line->Parent = tool_;
  return TList::Add(Line);
}

void TDrawLines::Clear() {
  if (tool_) tool_->ClearSelection();
  for (Integer i = 0; i < Count(); ++i) delete Line(i);
  TList::Clear();
}

// ---- TDrawLineTool -----------------------------------------------------------------------

const TClass& TDrawLineTool::StaticClass() {
  static const TClass cls =
      TClass::Of<TDrawLineTool>("TDrawLineTool", TChartCustomToolSeries::StaticClass(), &TDrawLineTool::Publish);
  return cls;
}

void TDrawLineTool::Publish(TPublished& published) {
  auto p = published.For<TDrawLineTool>();
  p.Enum("Button", MouseButtonInfo(), &TDrawLineTool::Button, &TDrawLineTool::SetButton).Default(mbLeft);
  p.Boolean("EnableDraw", &TDrawLineTool::EnableDraw, &TDrawLineTool::SetEnableDraw).Default(true);
  p.Boolean("EnableSelect", &TDrawLineTool::EnableSelect, &TDrawLineTool::SetEnableSelect).Default(true);
  p.Object("Pen", &TCustomChartElement::Pen, &TCustomChartElement::SetPen);
  p.Event("OnDraggedLine", &TDrawLineTool::OnDraggedLine);
  p.Event("OnDragLine", &TDrawLineTool::OnDragLine);
  p.Event("OnNewLine", &TDrawLineTool::OnNewLine);
  p.Event("OnSelect", &TDrawLineTool::OnSelect);
}

TDrawLineTool::TDrawLineTool(TComponent* AOwner)
    : TChartCustomToolSeries(AOwner), lines_(std::make_unique<TDrawLines>(this)) {}

TDrawLineTool::~TDrawLineTool() {
  selected_ = nullptr;
  lines_.reset();
}

void TDrawLineTool::SetEnableSelect(bool value) {
  if (enableSelect_ == value) return;
  enableSelect_ = value;
  if (!value && selected_) {
    selected_ = nullptr;
    Repaint();
  }
}

TPoint TDrawLineTool::AxisPoint(const TFloatPoint& P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return TPoint{0, 0};
  return TPoint{h->ValueToPos(P.X), v->ValueToPos(P.Y)};
}

TFloatPoint TDrawLineTool::ScreenPoint(const TPoint& P) const {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return TFloatPoint{};
  return TFloatPoint{h->CalcPosPoint(P.x), v->CalcPosPoint(P.y)};
}

namespace {

// The 6 x 6 handle square around an end.
bool InHandle(const TPoint& End, Integer X, Integer Y) {
  return X >= End.x - 3 && X < End.x + 3 && Y >= End.y - 3 && Y < End.y + 3;
}

}  // namespace

bool TDrawLineTool::LineHit(TDrawLine* Line, Integer X, Integer Y, Integer Mode) {
  const TPoint m = MouseAt(X, Y, 0);
  const TPoint p0 = AxisPoint(Line->StartPos);
  const TPoint p1 = AxisPoint(Line->EndPos);
  switch (Mode) {
    case 1: return InHandle(p0, m.x, m.y);
    case 2: return InHandle(p1, m.x, m.y);
    default: return NearLineWithin(m, p0.x, p0.y, p1.x, p1.y, 4);
  }
}

TDrawLine* TDrawLineTool::LineUnder(Integer X, Integer Y, Integer Mode) {
  if (selected_ && LineHit(selected_, X, Y, Mode)) return selected_;
  for (Integer i = 0; i < lines_->Count(); ++i)
    if (LineHit(lines_->Line(i), X, Y, Mode)) return lines_->Line(i);
  return nullptr;
}

TDrawLine* TDrawLineTool::AnyLineUnder(Integer X, Integer Y) {
  for (Integer mode = 0; mode <= 2; ++mode)
    if (TDrawLine* line = LineUnder(X, Y, mode)) return line;
  return nullptr;
}

void TDrawLineTool::DrawSegment(const TPoint& P0, const TPoint& P1) {
  TCanvas3D* canvas = ParentChart()->Canvas();
  if (ParentChart()->View3D()) {
    canvas->MoveTo3D(P0.x, P0.y, 0);
    canvas->LineTo3D(P1.x, P1.y, 0);
  } else {
    canvas->DrawLine(P0.x, P0.y, P1.x, P1.y);
  }
}

void TDrawLineTool::DrawHandles() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart || !selected_) return;
  TCanvas3D* canvas = chart->Canvas();
  if (!canvas->ReferenceCanvas()) return;
  canvas->SetSolidBrush(chart->Color() == clBlack ? clSilver : clBlack);
  canvas->Pen()->SetStyle(psClear);
  for (const TFloatPoint& end : {selected_->StartPos, selected_->EndPos}) {
    const TPoint p = AxisPoint(end);
    canvas->RectangleWithZ(TRect{p.x - 3, p.y - 3, p.x + 3, p.y + 3}, 0);
  }
}

void TDrawLineTool::RubberBand() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart) return;
  TCanvas3D* canvas = chart->Canvas();
  if (!canvas->ReferenceCanvas()) return;
  const Integer back = 0xFFFFFF - ColorToRGB(chart->GetBackColor());
  canvas->ApplyPen(Pen(), static_cast<TColor>(ColorToRGB(Pen()->Color()) ^ back));
  canvas->Pen()->SetMode(pmNotXor);
  DrawSegment(from_, to_);
  canvas->Pen()->SetMode(pmCopy);
}

void TDrawLineTool::ClipDrawing() {
  TCustomAxisPanel* chart = ParentChart();
  if (!chart || !ChartAllowsClipping(chart)) return;
  TRect r = chart->ChartRect();
  if (Series()) {
    TChartAxis* h = GetHorizAxis();
    TChartAxis* v = GetVertAxis();
    r = TRect{std::min(h->StartPixel, h->EndPixel), std::min(v->StartPixel, v->EndPixel),
              std::max(h->StartPixel, h->EndPixel), std::max(v->StartPixel, v->EndPixel)};
  }
  chart->Canvas()->ClipCube(r, 0, chart->Width3D());
  clipped_ = true;
}

void TDrawLineTool::ChartEvent(TChartToolEvent Event) {
  TCustomAxisPanel* chart = ParentChart();
  if (Event != cteAfterDraw || !chart || lines_->Count() == 0 || !GetHorizAxis() || !GetVertAxis()) return;
  TCanvas3D* canvas = chart->Canvas();
  canvas->WriteBackMode(cbmTransparent);
  ClipDrawing();
  for (Integer i = 0; i < lines_->Count(); ++i) {
    canvas->ApplyPen(Pen());
    DrawSegment(AxisPoint(lines_->Line(i)->StartPos), AxisPoint(lines_->Line(i)->EndPos));
  }
  DrawHandles();
  if (clipped_) canvas->RemoveClip();
  clipped_ = false;
}

void TDrawLineTool::ChartMouseEvent(TChartMouseEventKind Event, TMouseButton Button, TShiftState Shift, Integer X,
                                    Integer Y) {
  (void)Shift;
  TCustomAxisPanel* chart = ParentChart();
  if (!chart || !GetHorizAxis() || !GetVertAxis()) return;
  // The lines lie at depth 0: the mouse is taken there, so what it draws lands under it.
  const TPoint m = MouseAt(X, Y, 0);
  switch (Event) {
    case cmeDown: {
      if (Button != button_) return;
      TDrawLine* line = enableSelect_ ? AnyLineUnder(X, Y) : nullptr;
      if (line) {
        from_ = AxisPoint(line->StartPos);
        to_ = AxisPoint(line->EndPos);
        dragMode_ = 3;
        last_ = m;
        if (line == selected_) {
          // Only the selected line's handles move one end.
          if (LineHit(line, X, Y, 1))
            dragMode_ = 1;
          else if (LineHit(line, X, Y, 2))
            dragMode_ = 2;
        } else {
          const bool hadSelection = selected_ != nullptr;
          selected_ = line;
          if (hadSelection)
            chart->Invalidate();
          else
            DrawHandles();
          if (OnSelect) OnSelect(this);
        }
        CancelChartMouse();
      } else {
        selected_ = nullptr;
        if (enableDraw_) {
          drawing_ = true;
          from_ = to_ = m;
          RubberBand();
          CancelChartMouse();
        }
      }
      break;
    }
    case cmeMove:
      if (!drawing_ && dragMode_ == 0) {
        if (!enableSelect_) return;
        if (selected_ && (LineHit(selected_, X, Y, 1) || LineHit(selected_, X, Y, 2)))
          SetChartCursor(crCross);
        else if (AnyLineUnder(X, Y))
          SetChartCursor(crHandPoint);
        else
          SetChartCursor(crDefault);
        return;
      }
      RubberBand();
      if (drawing_ || dragMode_ == 2) {
        to_ = m;
      } else if (dragMode_ == 1) {
        from_ = m;
      } else {
        const Integer dx = m.x - last_.x;
        const Integer dy = m.y - last_.y;
        from_ = TPoint{from_.x + dx, from_.y + dy};
        to_ = TPoint{to_.x + dx, to_.y + dy};
        last_ = m;
      }
      RubberBand();
      CancelChartMouse();
      if (OnDragLine) OnDragLine(this);
      break;
    case cmeUp:
      if (Button != button_) return;
      if (dragMode_ != 0) {
        // The selection may have gone meanwhile (the lines were cleared).
        if (selected_) {
          if (dragMode_ != 2) selected_->StartPos = ScreenPoint(from_);
          if (dragMode_ != 1) selected_->EndPos = ScreenPoint(to_);
        }
        dragMode_ = 0;
        chart->Invalidate();
        if (OnDraggedLine) OnDraggedLine(this);
      } else if (drawing_) {
        if (!(from_ == to_)) {
          auto* line = new TDrawLine;
          line->StartPos = ScreenPoint(from_);
          line->EndPos = ScreenPoint(to_);
          lines_->Add(line);
          chart->Invalidate();
          if (OnNewLine) OnNewLine(this);
        }
        drawing_ = false;
      }
      break;
  }
}
