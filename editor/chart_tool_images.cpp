#include "editor/chart_tool_images.h"

#include "controlkit/kit_image_list.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"

namespace {

constexpr int kSize = 16;
constexpr int kCount = 5;
constexpr TColor kTransparent = clFuchsia;
constexpr TColor kInk = clNavy;

// Draws in one glyph cell; `across` swaps the axes, so one drawing serves Y and X.
struct Cell {
  TCanvas* canvas;
  int left;
  bool across;
  void Dot(int x, int y, TColor c = kInk) const {
    if (across) canvas->SetPixels(left + y, x, c);
    else canvas->SetPixels(left + x, y, c);
  }
  void Row(int x0, int x1, int y) const {
    for (int x = x0; x <= x1; ++x) Dot(x, y);
  }
  void Column(int x, int y0, int y1) const {
    for (int y = y0; y <= y1; ++y) Dot(x, y);
  }
  // An arrowhead whose tip is at (x, y), pointing up (dir -1) or down (dir 1).
  void Head(int x, int y, int dir) const {
    for (int k = 0; k < 4; ++k) Row(x - k, x + k, y - dir * k);
  }
};

// A two-pixel-wide shaft from y0 to y1 on columns 7 and 8.
void Shaft(const Cell& c, int y0, int y1) {
  c.Column(7, y0, y1);
  c.Column(8, y0, y1);
}

// A two-pixel-wide arrowhead with its tip on row y.
void Head(const Cell& c, int y, int dir) {
  c.Head(7, y, dir);
  c.Head(8, y, dir);
}

// Zoom out: arrows from a middle bar out to both edges.
void DrawOut(const Cell& c) {
  c.Row(3, 12, 7);
  c.Row(3, 12, 8);
  Shaft(c, 2, 13);
  Head(c, 1, -1);
  Head(c, 14, 1);
}

// Zoom in: arrows from both edges in to a middle bar.
void DrawIn(const Cell& c) {
  c.Row(2, 13, 0);
  c.Row(2, 13, 15);
  c.Row(4, 11, 7);
  c.Row(4, 11, 8);
  Shaft(c, 1, 5);
  Shaft(c, 10, 14);
  Head(c, 6, 1);
  Head(c, 9, -1);
}

// Unzoom: a magnifying glass over a small whole-graph frame.
void DrawUnzoom(const Cell& c) {
  TCanvas* cv = c.canvas;
  cv->Pen()->SetColor(kInk);
  cv->Pen()->SetWidth(1);
  cv->Brush()->SetStyle(bsClear);
  cv->Ellipse(c.left + 1, 1, c.left + 11, 11);
  for (int k = 0; k < 5; ++k) {
    c.Dot(9 + k, 10 + k);
    c.Dot(10 + k, 10 + k);
    c.Dot(10 + k, 9 + k);
  }
  c.Row(4, 7, 4);
  c.Row(4, 7, 7);
  c.Column(4, 4, 7);
  c.Column(7, 4, 7);
}

}  // namespace

void FillChartToolImages(TKitImageList* List) {
  if (!List) return;
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(kSize * kCount, kSize);
  TCanvas* c = strip.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kTransparent);
  c->FillRect(Rect(0, 0, kSize * kCount, kSize));
  DrawUnzoom(Cell{c, kChartImageUnzoom * kSize, false});
  DrawOut(Cell{c, kChartImageYOut * kSize, false});
  DrawIn(Cell{c, kChartImageYIn * kSize, false});
  DrawOut(Cell{c, kChartImageXOut * kSize, true});
  DrawIn(Cell{c, kChartImageXIn * kSize, true});
  TKitImageListItem* item = List->GetItemAt(List->Add());
  item->SetWidth(kSize);
  item->SetHeight(kSize);
  item->SetMasked(true);
  item->AddMasked(&strip, kTransparent);
}
