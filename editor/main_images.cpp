#include "editor/main_images.h"

#include <functional>
#include <memory>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/std_imagelist.h"

namespace {

constexpr int kSize = 16;
// The mask colour: never drawn by a glyph.
constexpr TColor kTransparent = clFuchsia;

using TGlyphPainter = std::function<void(TCanvas&)>;

void Pen(TCanvas& c, TColor color) {
  c.Pen()->SetColor(color);
  c.Pen()->SetStyle(psSolid);
}

void Fill(TCanvas& c, TColor color) {
  c.Brush()->SetColor(color);
  c.Brush()->SetStyle(bsSolid);
}

// A sparkle of particles leaving a nozzle: the emitter.
void DrawEmitter(TCanvas& c) {
  Pen(c, clBlack);
  Fill(c, clGray);
  c.Rectangle(1, 10, 7, 15);
  Fill(c, clYellow);
  Pen(c, clOlive);
  c.Ellipse(8, 2, 12, 6);
  c.Ellipse(11, 7, 15, 11);
  c.Ellipse(6, 5, 9, 8);
  c.SetPixels(13, 2, clRed);
  c.SetPixels(9, 10, clRed);
}

// An empty box: disabled.
void DrawDisabled(TCanvas& c) {
  Pen(c, clGray);
  Fill(c, clWhite);
  c.Rectangle(2, 2, 14, 14);
}

// A ticked box: enabled.
void DrawEnabled(TCanvas& c) {
  DrawDisabled(c);
  Pen(c, clGreen);
  for (int dy = 0; dy < 2; ++dy) {
    c.MoveTo(4, 7 + dy);
    c.LineTo(7, 10 + dy);
    c.LineTo(12, 5 + dy);
  }
}

// A slanted plate: the deflector.
void DrawDeflector(TCanvas& c) {
  Pen(c, clNavy);
  Fill(c, clSkyBlue);
  c.Polygon({TPoint{1, 11}, TPoint{9, 3}, TPoint{14, 5}, TPoint{6, 13}});
  Pen(c, clRed);
  c.MoveTo(2, 1);
  c.LineTo(7, 7);
  c.LineTo(14, 1);
}

// Blades round a hub: the fan.
void DrawFan(TCanvas& c) {
  Pen(c, clNavy);
  Fill(c, clSilver);
  c.Polygon({TPoint{8, 8}, TPoint{3, 2}, TPoint{8, 1}});
  c.Polygon({TPoint{8, 8}, TPoint{14, 4}, TPoint{15, 10}});
  c.Polygon({TPoint{8, 8}, TPoint{9, 15}, TPoint{3, 13}});
  Fill(c, clBlack);
  c.Ellipse(6, 6, 11, 11);
}

// A leading dot with followers: the leader.
void DrawLeader(TCanvas& c) {
  Pen(c, clNavy);
  Fill(c, clBlue);
  c.Ellipse(10, 2, 15, 7);
  Fill(c, clSkyBlue);
  c.Ellipse(5, 6, 9, 10);
  c.Ellipse(1, 11, 5, 15);
  Pen(c, clGray);
  c.MoveTo(4, 12);
  c.LineTo(11, 5);
}

// Arrows pointing in: the attractor.
void DrawAttractor(TCanvas& c) {
  Pen(c, clGreen);
  Fill(c, clLime);
  c.Ellipse(5, 5, 11, 11);
  c.MoveTo(0, 8);
  c.LineTo(4, 8);
  c.MoveTo(15, 8);
  c.LineTo(11, 8);
  c.MoveTo(8, 0);
  c.LineTo(8, 4);
  c.MoveTo(8, 15);
  c.LineTo(8, 11);
}

// Arrows pointing out: the repulsor.
void DrawRepulsor(TCanvas& c) {
  Pen(c, clMaroon);
  Fill(c, clRed);
  c.Ellipse(6, 6, 10, 10);
  c.MoveTo(1, 1);
  c.LineTo(5, 5);
  c.MoveTo(14, 1);
  c.LineTo(10, 5);
  c.MoveTo(1, 14);
  c.LineTo(5, 10);
  c.MoveTo(14, 14);
  c.LineTo(10, 10);
}

// A weight hanging down: the gravitron.
void DrawGravitron(TCanvas& c) {
  Pen(c, clBlack);
  Fill(c, clGray);
  c.Polygon({TPoint{3, 14}, TPoint{5, 6}, TPoint{11, 6}, TPoint{13, 14}});
  c.MoveTo(8, 1);
  c.LineTo(8, 6);
  Fill(c, clWhite);
  c.Ellipse(6, 1, 11, 5);
}

// Three dots of different sizes: a particle system.
void DrawSystem(TCanvas& c) {
  Pen(c, clPurple);
  Fill(c, static_cast<TColor>(0xC040C0));
  c.Ellipse(2, 2, 8, 8);
  Fill(c, clAqua);
  Pen(c, clTeal);
  c.Ellipse(9, 5, 14, 10);
  Fill(c, clYellow);
  Pen(c, clOlive);
  c.Ellipse(4, 10, 8, 14);
}

TGlyphPainter PainterOf(int index) {
  switch (index) {
    case kImageEmitter: return &DrawEmitter;
    case kImageDisabled: return &DrawDisabled;
    case kImageEnabled: return &DrawEnabled;
    case kImageDeflector: return &DrawDeflector;
    case kImageFan: return &DrawFan;
    case kImageLeader: return &DrawLeader;
    case kImageAttractor: return &DrawAttractor;
    case kImageRepulsor: return &DrawRepulsor;
    case kImageGravitron: return &DrawGravitron;
    case kImageSystem: return &DrawSystem;
    default: return nullptr;
  }
}

}  // namespace

TImageList* CreateMainImages(TComponent* Owner) {
  auto* list = new TImageList(Owner);
  list->SetSize(kSize, kSize);
  for (int i = 0; i < kMainImageCount; ++i) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(kSize, kSize);
    TCanvas& c = *bitmap->Canvas();
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(kTransparent);
    c.FillRect(TRect{0, 0, kSize, kSize});
    if (TGlyphPainter paint = PainterOf(i)) paint(c);
    list->AddMasked(bitmap.get(), kTransparent);
  }
  return list;
}
