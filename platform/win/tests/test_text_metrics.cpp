// Font resolution and text metrics. The pinned numbers are what the Liberation faces
// give through this backend: a change in them changes every form's layout, so it must
// be deliberate.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/win/text/face_table.h"
#include "test_text_canvas.h"

using namespace win;
using namespace text_test;

namespace {

struct Pinned {
  int height, ascent, descent, internalLeading, externalLeading, aveWidth, maxWidth, helloWorld;
};

void ExpectMetrics(HDC dc, const Pinned& p) {
  TEXTMETRIC tm = Metrics(dc);
  EXPECT_EQ(tm.tmHeight, p.height);
  EXPECT_EQ(tm.tmAscent, p.ascent);
  EXPECT_EQ(tm.tmDescent, p.descent);
  EXPECT_EQ(tm.tmInternalLeading, p.internalLeading);
  EXPECT_EQ(tm.tmExternalLeading, p.externalLeading);
  EXPECT_EQ(tm.tmAveCharWidth, p.aveWidth);
  EXPECT_EQ(tm.tmMaxCharWidth, p.maxWidth);
  EXPECT_EQ(Extent(dc, "Hello World").cx, p.helloWorld);
  EXPECT_EQ(Extent(dc, "Hello World").cy, p.height);
}

}  // namespace

TEST(TextMetrics, ArialSizesThatTheFormsUse) {
  Canvas c(4, 4);
  {
    SCOPED_TRACE("Arial -11 (8 points)");
    SelectedFont f(c.dc(), {"Arial", -11});
    ExpectMetrics(c.dc(), {13, 10, 3, 2, 0, 6, 15, 54});
    TEXTMETRIC tm = Metrics(c.dc());
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_EQ(tm.tmPitchAndFamily, FF_SWISS | TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
    EXPECT_EQ(tm.tmCharSet, DEFAULT_CHARSET);
  }
  {
    SCOPED_TRACE("Arial -13 (10 points)");
    SelectedFont f(c.dc(), {"Arial", -13});
    ExpectMetrics(c.dc(), {15, 12, 3, 2, 0, 8, 17, 67});
  }
  {
    SCOPED_TRACE("Arial cell height 8");
    SelectedFont f(c.dc(), {"Arial", 8});
    ExpectMetrics(c.dc(), {8, 6, 2, 2, 0, 3, 8, 29});
  }
  {
    SCOPED_TRACE("Arial -11 bold");
    SelectedFont f(c.dc(), {"Arial", -11, FW_BOLD});
    TEXTMETRIC tm = Metrics(c.dc());
    EXPECT_EQ(tm.tmHeight, 13);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    EXPECT_EQ(Extent(c.dc(), "Hello World").cx, 62);  // the bold face is wider
  }
}

TEST(TextMetrics, InvariantsOverManySizes) {
  Canvas c(4, 4);
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    for (int em = 5; em <= 48; ++em) {
      SCOPED_TRACE(std::string(face) + " em " + std::to_string(em));
      SelectedFont f(c.dc(), {face, -em});
      TEXTMETRIC tm = Metrics(c.dc());
      EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
      EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, em);  // the em is what was asked for
      EXPECT_GE(tm.tmInternalLeading, 0);
      EXPECT_GE(tm.tmExternalLeading, 0);
      EXPECT_GT(tm.tmAveCharWidth, 0);
      EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    }
    for (int cell = 6; cell <= 48; ++cell) {
      SCOPED_TRACE(std::string(face) + " cell " + std::to_string(cell));
      SelectedFont f(c.dc(), {face, cell});
      TEXTMETRIC tm = Metrics(c.dc());
      // The largest em whose cell fits: never higher than asked, never more than the
      // step from one em to the next below it.
      EXPECT_LE(tm.tmHeight, cell);
      EXPECT_GE(tm.tmHeight, cell - 2);
      EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    }
  }
}

TEST(TextMetrics, HeightZeroIsTheDefaultCell) {
  Canvas c(4, 4);
  SelectedFont f(c.dc(), {"Tahoma", 0});
  EXPECT_EQ(Metrics(c.dc()).tmHeight, 16);
}

TEST(TextMetrics, MonospaceExtentsAreAdditive) {
  Canvas c(4, 4);
  SelectedFont f(c.dc(), {"Courier New", -13});
  const int w = Extent(c.dc(), "M").cx;
  ASSERT_GT(w, 0);
  EXPECT_EQ(Metrics(c.dc()).tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // clear: fixed pitch
  for (int ch = 0x20; ch < 0x7F; ++ch) {
    char s[2] = {static_cast<char>(ch), 0};
    EXPECT_EQ(Extent(c.dc(), s).cx, w) << "character " << ch;
  }
  EXPECT_EQ(Extent(c.dc(), "particles").cx, 9 * w);
  EXPECT_EQ(Extent(c.dc(), "abc").cx + Extent(c.dc(), "xyz").cx, Extent(c.dc(), "abcxyz").cx);
  EXPECT_EQ(Extent(c.dc(), "").cx, 0);
  EXPECT_EQ(Extent(c.dc(), "").cy, Metrics(c.dc()).tmHeight);

  // The character extra is added after every character.
  EXPECT_EQ(SetTextCharacterExtra(c.dc(), 3), 0);
  EXPECT_EQ(GetTextCharacterExtra(c.dc()), 3);
  EXPECT_EQ(Extent(c.dc(), "abcd").cx, 4 * (w + 3));
  SetTextCharacterExtra(c.dc(), 0);

  // Fit and partial extents.
  int fit = -1;
  int partial[5] = {};
  SIZE sz;
  ASSERT_TRUE(GetTextExtentExPoint(c.dc(), "abcde", 5, 3 * w + 1, &fit, partial, &sz));
  EXPECT_EQ(fit, 3);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(partial[i], (i + 1) * w);
  EXPECT_EQ(sz.cx, 5 * w);
}

TEST(TextMetrics, ProportionalExtentsAreSumsOfCharacters) {
  Canvas c(4, 4);
  SelectedFont f(c.dc(), {"Arial", -13});
  const std::string s = "Emitter 12: W.i.l.d";
  int sum = 0;
  for (char ch : s) {
    char one[2] = {ch, 0};
    sum += Extent(c.dc(), one).cx;
  }
  EXPECT_EQ(Extent(c.dc(), s.c_str()).cx, sum);
  EXPECT_GT(Extent(c.dc(), "W").cx, Extent(c.dc(), "i").cx);
}

TEST(TextMetrics, FaceNamesResolveToTheirFamilies) {
  using text::Family;
  using text::ResolveFace;
  struct Case {
    const char* name;
    Family family;
    const char* reported;
    bool raster;
  } cases[] = {
      {"Arial", Family::Sans, "Arial", false},
      {"aRiAl", Family::Sans, "Arial", false},
      {"Tahoma", Family::Sans, "Tahoma", false},
      {"Verdana", Family::Sans, "Verdana", false},
      {"MS Sans Serif", Family::Sans, "MS Sans Serif", true},
      {"Small Fonts", Family::Sans, "Small Fonts", true},
      {"System", Family::Sans, "System", true},
      {"Times New Roman", Family::Serif, "Times New Roman", false},
      {"Courier New", Family::Mono, "Courier New", false},
      {"Courier", Family::Mono, "Courier", true},
      {"Terminal", Family::Mono, "Terminal", true},
      {"Symbol", Family::Sans, "Symbol", false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    text::FaceChoice f = ResolveFace(k.name, 0, OUT_DEFAULT_PRECIS);
    EXPECT_EQ(f.family, k.family);
    EXPECT_EQ(f.faceName, k.reported);
    EXPECT_EQ(f.raster, k.raster);
  }
  // Unknown names fall back by pitch and family.
  EXPECT_EQ(ResolveFace("No Such Face", 0, 0).faceName, "Arial");
  EXPECT_EQ(ResolveFace("", FIXED_PITCH, 0).faceName, "Courier New");
  EXPECT_EQ(ResolveFace("", FF_MODERN, 0).family, Family::Mono);
  EXPECT_EQ(ResolveFace("", VARIABLE_PITCH | FF_ROMAN, 0).faceName, "Times New Roman");
  // TrueType output only replaces a bitmap face by its TrueType family member.
  text::FaceChoice tt = ResolveFace("Small Fonts", 0, OUT_TT_ONLY_PRECIS);
  EXPECT_EQ(tt.faceName, "Arial");
  EXPECT_FALSE(tt.raster);
  EXPECT_EQ(ResolveFace("Courier", 0, OUT_TT_ONLY_PRECIS).faceName, "Courier New");
  EXPECT_EQ(ResolveFace("Arial", 0, OUT_TT_ONLY_PRECIS).faceName, "Arial");
}

TEST(TextMetrics, TrueTypeBitAndTextFaceFollowTheResolvedFace) {
  Canvas c(4, 4);
  auto faceOf = [&](HDC dc) {
    char buf[LF_FACESIZE] = {};
    EXPECT_GT(GetTextFace(dc, LF_FACESIZE, buf), 0);
    return std::string(buf);
  };
  {
    SelectedFont f(c.dc(), {"MS Sans Serif", -11});
    EXPECT_EQ(Metrics(c.dc()).tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR), 0);
    EXPECT_EQ(faceOf(c.dc()), "MS Sans Serif");
  }
  {
    SelectedFont f(c.dc(), {"Small Fonts", -9, FW_NORMAL, 900, false, false, false, OUT_TT_ONLY_PRECIS});
    EXPECT_NE(Metrics(c.dc()).tmPitchAndFamily & TMPF_TRUETYPE, 0);
    EXPECT_EQ(faceOf(c.dc()), "Arial");
  }
  {
    SelectedFont f(c.dc(), {"Wobbly Display", -11});
    EXPECT_EQ(faceOf(c.dc()), "Arial");
  }
  SelectedFont f(c.dc(), {"Times New Roman", -12});
  EXPECT_EQ(GetTextFace(c.dc(), 0, nullptr), 16);  // length + 1
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetTextFace(c.dc(), 4, small), 4);
  EXPECT_STREQ(small, "Tim");
  EXPECT_EQ(GetTextFace(c.dc(), 0, small), 0);
}

TEST(TextMetrics, FontRecordComesBackThroughGetObject) {
  LOGFONT lf;
  lf.lfHeight = -13;
  lf.lfEscapement = 900;
  lf.lfOrientation = 900;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = 1;
  lf.lfUnderline = 1;
  lf.lfCharSet = SYMBOL_CHARSET;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  std::strcpy(lf.lfFaceName, "Courier New");
  HFONT f = CreateFontIndirect(&lf);
  ASSERT_NE(f, nullptr);
  HGDIOBJ obj = reinterpret_cast<HGDIOBJ>(f);
  EXPECT_EQ(GetObjectType(obj), OBJ_FONT);
  EXPECT_EQ(GetObject(obj, 0, nullptr), static_cast<int>(sizeof(LOGFONT)));
  LOGFONT back;
  ASSERT_EQ(GetObject(obj, sizeof(back), &back), static_cast<int>(sizeof(LOGFONT)));
  EXPECT_EQ(std::memcmp(&back, &lf, sizeof(LOGFONT)), 0);
  LOGFONT viaText;
  ASSERT_TRUE(GetFontLogFont(f, &viaText));
  EXPECT_EQ(std::memcmp(&viaText, &lf, sizeof(LOGFONT)), 0);

  Canvas c(4, 4);
  HGDIOBJ old = SelectObject(c.dc(), obj);
  TEXTMETRIC tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_NE(tm.tmItalic, 0);
  EXPECT_NE(tm.tmUnderlined, 0);
  EXPECT_EQ(tm.tmStruckOut, 0);
  EXPECT_EQ(tm.tmCharSet, SYMBOL_CHARSET);
  EXPECT_EQ(tm.tmPitchAndFamily & 0xF0, FF_MODERN);
  SelectObject(c.dc(), old);
  EXPECT_TRUE(DeleteObject(obj));
  EXPECT_FALSE(GetFontLogFont(f, &viaText));  // stale handle
}

TEST(TextMetrics, StockFontsAndTheDefaultFontOfADC) {
  HGDIOBJ sys = GetStockObject(SYSTEM_FONT);
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(GetObjectType(sys), OBJ_FONT);
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), sys);  // made once
  LOGFONT lf;
  ASSERT_TRUE(GetFontLogFont(reinterpret_cast<HFONT>(sys), &lf));
  EXPECT_STREQ(lf.lfFaceName, "System");
  EXPECT_EQ(lf.lfWeight, FW_BOLD);

  // A fresh DC speaks in the system font.
  Canvas c(4, 4);
  TEXTMETRIC tm = Metrics(c.dc());
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_TRUETYPE, 0);

  HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
  ASSERT_NE(gui, nullptr);
  ASSERT_TRUE(GetFontLogFont(reinterpret_cast<HFONT>(gui), &lf));
  EXPECT_EQ(lf.lfHeight, -11);
  for (int id : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, DEVICE_DEFAULT_FONT, SYSTEM_FIXED_FONT})
    EXPECT_EQ(GetObjectType(GetStockObject(id)), OBJ_FONT) << id;

  // Stock fonts survive DeleteObject.
  DeleteObject(gui);
  EXPECT_EQ(GetObjectType(gui), OBJ_FONT);
}

TEST(TextMetrics, HostileDescriptionsAreHandled) {
  const int before = LiveObjectCount();
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);

  // A face name that fills the field without a terminating zero.
  LOGFONT lf;
  lf.lfHeight = -12;
  std::memset(lf.lfFaceName, 'A', LF_FACESIZE);
  {
    HFONT f = CreateFontIndirect(&lf);
    ASSERT_NE(f, nullptr);
    Canvas c(4, 4);
    HGDIOBJ old = SelectObject(c.dc(), reinterpret_cast<HGDIOBJ>(f));
    char face[LF_FACESIZE];
    GetTextFace(c.dc(), LF_FACESIZE, face);
    EXPECT_STREQ(face, "Arial");
    SelectObject(c.dc(), old);
    DeleteObject(reinterpret_cast<HGDIOBJ>(f));

    // Absurd heights are clamped to the largest em the backend makes.
    for (int h : {INT_MIN, INT_MAX, -100000}) {
      SCOPED_TRACE(h);
      SelectedFont big(c.dc(), {"Arial", h});
      TEXTMETRIC tm = Metrics(c.dc());
      EXPECT_LE(tm.tmHeight - tm.tmInternalLeading, 2048);
      EXPECT_GT(tm.tmHeight, 1000);
    }
  }
  EXPECT_EQ(LiveObjectCount(), before);
}

TEST(TextMetrics, CallsOnBadHandlesFail) {
  HDC dead = CreateCompatibleDC(nullptr);
  DeleteDC(dead);
  TEXTMETRIC tm;
  SIZE sz;
  EXPECT_FALSE(GetTextMetrics(dead, &tm));
  EXPECT_FALSE(GetTextExtentPoint32(dead, "a", 1, &sz));
  EXPECT_FALSE(TextOut(dead, 0, 0, "a", 1));
  EXPECT_EQ(GetTextAlign(dead), GDI_ERROR);
  EXPECT_EQ(SetTextAlign(dead, TA_RIGHT), GDI_ERROR);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawText(dead, "a", 1, &r, 0), 0);
  Canvas c(4, 4);
  EXPECT_FALSE(GetTextExtentPoint32(c.dc(), "a", -1, &sz));
  EXPECT_FALSE(TextOut(c.dc(), 0, 0, nullptr, 3));
}
