#pragma once
// An editor window built of the kit, checked on its pixels: no class-library label, panel or
// speed button left; header strips, centred labels and image-list glyphs drawn.
#include <gtest/gtest.h>

#include <string>

#include "controlkit/kit_control_base.h"
#include "controlkit/kit_labels.h"
#include "controlkit/kit_speed_button.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/panels.h"
#include "platform/classlib/std_buttons.h"
#include "platform/classlib/std_label.h"
#include "platform/win/compositor.h"
#include "platform/win/gdi.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"

namespace kit_look {

struct Seen {
  int headers = 0;
  int labels = 0;
  int imageButtons = 0;
};

inline bool Shown(TControl* c) {
  for (TControl* p = c; p; p = p->Parent())
    if (!p->Visible()) return false;
  return true;
}

inline unsigned Pixel(TWinControl* w, int x, int y) {
  win::HDC dc = win::GetDC(w->Handle());
  const unsigned p = static_cast<unsigned>(win::GetPixel(dc, x, y)) & 0xFFFFFFu;
  win::ReleaseDC(w->Handle(), dc);
  return p;
}

inline unsigned Rgb(TColor c) { return static_cast<unsigned>(ColorToRGB(c)) & 0xFFFFFFu; }

inline void CheckHeader(TKitSimplePanel* p, Seen& seen) {
  if (p->Bevel()->Mode() != bmEdge || !Shown(p)) return;
  SCOPED_TRACE(p->Name());
  const int x = p->Width() - 4;
  EXPECT_NE(Pixel(p, x, 0), Rgb(p->Color())) << "the edge on top";
  const bool bottomSide = p->Bevel()->BorderSides().Contains(fsBottom);
  EXPECT_EQ(Pixel(p, x, p->Height() - 1) == Rgb(p->Color()), !bottomSide) << "the bottom edge only when asked";
  EXPECT_EQ(Pixel(p, x, p->Height() / 2), Rgb(p->Color())) << "the strip's colour inside";
  ++seen.headers;
}

inline void CheckLabel(TKitSimpleLabel* l, Seen& seen) {
  if (l->MultiLine() || l->Caption().empty() || l->Alignment() != agCenter || !Shown(l)) return;
  SCOPED_TRACE(l->Name());
  TWinControl* parent = l->Parent();
  const unsigned ground = Rgb(l->Color());
  int first = -1, last = -1;
  for (int x = 0; x < l->Width(); ++x)
    for (int y = 0; y < l->Height(); ++y)
      if (Pixel(parent, l->Left() + x, l->Top() + y) != ground) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  ASSERT_GE(first, 0) << "the caption shows";
  ASSERT_TRUE(first > 0 && last < l->Width() - 1) << "the caption fits";
  EXPECT_LE(std::abs(first - (l->Width() - 1 - last)), 2) << "centred";
  ++seen.labels;
}

inline void CheckImageButton(TKitSpeedButton* b, Seen& seen) {
  if (!b->ImageList() || !Shown(b)) return;
  SCOPED_TRACE(b->Name());
  int ink = 0;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x) ink += Pixel(b->Parent(), b->Left() + x, b->Top() + y) == Rgb(clNavy);
  EXPECT_GT(ink, 10) << "the list's glyph";
  ++seen.imageButtons;
}

// Paints `form`, writes it to <scratch>/editor_<name>.png and checks what it holds.
inline Seen Check(TForm* form, const std::string& name) {
  win::PumpPendingMessages();
  win::RedrawWindow(form->Handle(), nullptr, nullptr, win::RDW_INVALIDATE | win::RDW_ALLCHILDREN | win::RDW_UPDATENOW);
  std::string error;
  EXPECT_TRUE(win::WriteWindowToPng(form->Handle(), ::testing::TempDir() + "editor_" + name + ".png", &error)) << error;
  Seen seen;
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* c = form->Components(i);
    EXPECT_FALSE(dynamic_cast<TLabel*>(c) || dynamic_cast<TPanel*>(c) || dynamic_cast<TSpeedButton*>(c))
        << c->Name() << " is a class-library control";
    if (auto* p = dynamic_cast<TKitSimplePanel*>(c)) CheckHeader(p, seen);
    if (auto* l = dynamic_cast<TKitSimpleLabel*>(c)) CheckLabel(l, seen);
    if (auto* b = dynamic_cast<TKitSpeedButton*>(c)) CheckImageButton(b, seen);
  }
  return seen;
}

}  // namespace kit_look
