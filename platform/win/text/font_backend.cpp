#include "platform/win/text/font_backend.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace win::text {
namespace {

int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }
// Ascent and descent round up, so that the cell holds the ink of the plain letters.
int RoundUp(double v) { return static_cast<int>(std::ceil(v - 1e-9)); }

// The FreeType library and the font files found so far. Faces hold the library, so it is
// released last (the sized faces keep a reference to it).
struct Library {
  FT_Library ft = nullptr;
  Library() {
    if (FT_Init_FreeType(&ft) != 0) throw std::runtime_error("font backend: FreeType failed to start");
  }
  ~Library() { FT_Done_FreeType(ft); }
};

std::shared_ptr<Library> TheLibrary() {
  static std::shared_ptr<Library> lib = std::make_shared<Library>();
  return lib;
}

}  // namespace

// A font file and the design-unit values needed before a size is chosen.
struct FaceFile {
  std::string path;
  int index = 0;
  int unitsPerEm = 2048;
  int winAscent = 0;
  int winDescent = 0;
};

namespace {

// fontconfig, started on first use and shut down with the process so that its
// configuration is released.
struct Fontconfig {
  bool ready = FcInit() == FcTrue;
  ~Fontconfig() {
    if (ready) FcFini();
  }
};

FaceFile FindFaceFile(Family f, bool bold, bool italic) {
  static Fontconfig fc;
  if (!fc.ready) throw std::runtime_error("font backend: fontconfig failed to start");
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(FamilyName(f)));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  FcPatternDestroy(pat);
  FaceFile file;
  if (match) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file.path = reinterpret_cast<const char*>(path);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) file.index = index;
    FcPatternDestroy(match);
  }
  if (file.path.empty())
    throw std::runtime_error(std::string("font backend: no font file for ") + FamilyName(f));

  FT_Face face = nullptr;
  if (FT_New_Face(TheLibrary()->ft, file.path.c_str(), file.index, &face) != 0)
    throw std::runtime_error("font backend: cannot open " + file.path);
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    FT_Done_Face(face);
    throw std::runtime_error("font backend: not a scalable font: " + file.path);
  }
  file.unitsPerEm = face->units_per_EM;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
    file.winAscent = os2->usWinAscent;
    file.winDescent = os2->usWinDescent;
  } else {
    file.winAscent = face->ascender;
    file.winDescent = -face->descender;
  }
  FT_Done_Face(face);
  return file;
}

const FaceFile& FaceFileFor(Family f, bool bold, bool italic) {
  static std::map<std::tuple<int, bool, bool>, FaceFile> files;
  auto key = std::make_tuple(static_cast<int>(f), bold, italic);
  auto it = files.find(key);
  if (it == files.end()) it = files.emplace(key, FindFaceFile(f, bold, italic)).first;
  return it->second;
}

// Copies FreeType's rendered 1-bit bitmap into a mask.
GlyphMask MaskFromSlot(FT_GlyphSlot slot) {
  GlyphMask m;
  const FT_Bitmap& bm = slot->bitmap;
  m.left = slot->bitmap_left;
  m.top = slot->bitmap_top;
  m.width = static_cast<int>(bm.width);
  m.rows = static_cast<int>(bm.rows);
  m.bits.assign(static_cast<size_t>(m.width) * m.rows, 0);
  const int pitch = std::abs(bm.pitch);
  for (int r = 0; r < m.rows; ++r) {
    const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(bm.pitch >= 0 ? r : m.rows - 1 - r) * pitch;
    for (int c = 0; c < m.width; ++c) {
      bool ink = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[c >> 3] & (0x80 >> (c & 7))) != 0 : row[c] >= 128;
      m.bits[static_cast<size_t>(r) * m.width + c] = ink ? 1 : 0;
    }
  }
  return m;
}

// Outline decomposition into flattened contours (pixels, y up).
struct Flattener {
  std::vector<OutlineContour> contours;
  OutlinePoint last;

  static OutlinePoint P(const FT_Vector* v) { return {v->x / 64.0, v->y / 64.0}; }
  static int Steps(double len) { return std::clamp(static_cast<int>(std::ceil(len / 2.0)), 1, 16); }
  static double Dist(OutlinePoint a, OutlinePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

  void Add(OutlinePoint p) {
    contours.back().push_back(p);
    last = p;
  }
  static int MoveTo(const FT_Vector* to, void* user) {
    auto* self = static_cast<Flattener*>(user);
    self->contours.emplace_back();
    self->Add(P(to));
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    static_cast<Flattener*>(user)->Add(P(to));
    return 0;
  }
  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* self = static_cast<Flattener*>(user);
    OutlinePoint p0 = self->last, p1 = P(control), p2 = P(to);
    int n = Steps(Dist(p0, p1) + Dist(p1, p2));
    for (int i = 1; i <= n; ++i) {
      double t = static_cast<double>(i) / n, u = 1 - t;
      self->Add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* self = static_cast<Flattener*>(user);
    OutlinePoint p0 = self->last, p1 = P(c1), p2 = P(c2), p3 = P(to);
    int n = Steps(Dist(p0, p1) + Dist(p1, p2) + Dist(p2, p3));
    for (int i = 1; i <= n; ++i) {
      double t = static_cast<double>(i) / n, u = 1 - t;
      double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      self->Add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return 0;
  }
};

}  // namespace

struct SizedFace::Impl {
  std::shared_ptr<Library> lib;
  FT_Face face = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
  }
};

SizedFace::~SizedFace() = default;

unsigned SizedFace::GlyphIndex(unsigned char c) const {
  return FT_Get_Char_Index(impl_->face, CodePointOf(c));
}

int SizedFace::Advance(unsigned char c) {
  int& a = advances_[c];
  if (a < 0) {
    a = 0;
    FT_Set_Transform(impl_->face, nullptr, nullptr);
    if (FT_Load_Glyph(impl_->face, GlyphIndex(c), FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) == 0)
      a = static_cast<int>((impl_->face->glyph->advance.x + 32) >> 6);
  }
  return a;
}

const GlyphMask& SizedFace::Glyph(unsigned char c) {
  auto it = glyphs_.find(c);
  if (it != glyphs_.end()) return it->second;
  GlyphMask m;
  FT_Set_Transform(impl_->face, nullptr, nullptr);
  if (FT_Load_Glyph(impl_->face, GlyphIndex(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) == 0)
    m = MaskFromSlot(impl_->face->glyph);
  return glyphs_.emplace(c, std::move(m)).first->second;
}

GlyphMask SizedFace::RotatedGlyph(unsigned char c, double radians, double fx, double fy) {
  const double cs = std::cos(radians), sn = std::sin(radians);
  FT_Matrix m;
  m.xx = static_cast<FT_Fixed>(std::lround(cs * 65536.0));
  m.xy = static_cast<FT_Fixed>(std::lround(-sn * 65536.0));
  m.yx = static_cast<FT_Fixed>(std::lround(sn * 65536.0));
  m.yy = static_cast<FT_Fixed>(std::lround(cs * 65536.0));
  // FreeType's y runs upward: a fraction down the device is a negative delta.
  FT_Vector delta{static_cast<FT_Pos>(std::lround(fx * 64.0)), static_cast<FT_Pos>(std::lround(-fy * 64.0))};
  FT_Set_Transform(impl_->face, &m, &delta);
  GlyphMask mask;
  if (FT_Load_Glyph(impl_->face, GlyphIndex(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) == 0)
    mask = MaskFromSlot(impl_->face->glyph);
  FT_Set_Transform(impl_->face, nullptr, nullptr);
  return mask;
}

std::vector<OutlineContour> SizedFace::Outline(unsigned char c) {
  FT_Set_Transform(impl_->face, nullptr, nullptr);
  Flattener fl;
  if (FT_Load_Glyph(impl_->face, GlyphIndex(c), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return {};
  FT_GlyphSlot slot = impl_->face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return {};
  FT_Outline_Funcs funcs{};
  funcs.move_to = &Flattener::MoveTo;
  funcs.line_to = &Flattener::LineTo;
  funcs.conic_to = &Flattener::ConicTo;
  funcs.cubic_to = &Flattener::CubicTo;
  if (FT_Outline_Decompose(&slot->outline, &funcs, &fl) != 0) return {};
  // A contour that returns to its start does not repeat the point.
  for (OutlineContour& ct : fl.contours)
    if (ct.size() > 1 && Flattener::Dist(ct.front(), ct.back()) < 1e-9) ct.pop_back();
  std::erase_if(fl.contours, [](const OutlineContour& ct) { return ct.size() < 2; });
  return fl.contours;
}

int PpemForCellHeight(Family f, bool bold, bool italic, int cellHeight) {
  const FaceFile& file = FaceFileFor(f, bold, italic);
  auto height = [&](int ppem) {
    const double s = static_cast<double>(ppem) / file.unitsPerEm;
    return RoundUp(file.winAscent * s) + RoundUp(file.winDescent * s);
  };
  int cell = file.winAscent + file.winDescent;
  if (cell <= 0) cell = file.unitsPerEm;
  // The largest em whose cell is no higher than asked for.
  int ppem = static_cast<int>(static_cast<double>(cellHeight) * file.unitsPerEm / cell) + 1;
  while (ppem > 1 && height(ppem) > cellHeight) --ppem;
  return std::max(1, ppem);
}

std::shared_ptr<SizedFace> OpenSizedFace(Family f, bool bold, bool italic, int ppem) {
  using Key = std::tuple<int, bool, bool, int>;
  static std::map<Key, std::shared_ptr<SizedFace>> cache;
  Key key{static_cast<int>(f), bold, italic, ppem};
  if (auto it = cache.find(key); it != cache.end()) return it->second;

  const FaceFile& file = FaceFileFor(f, bold, italic);
  std::shared_ptr<SizedFace> sf(new SizedFace());
  sf->impl_ = std::make_unique<SizedFace::Impl>();
  sf->impl_->lib = TheLibrary();
  if (FT_New_Face(sf->impl_->lib->ft, file.path.c_str(), file.index, &sf->impl_->face) != 0)
    throw std::runtime_error("font backend: cannot open " + file.path);
  FT_Face face = sf->impl_->face;
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 && face->num_charmaps > 0)
    FT_Set_Charmap(face, face->charmaps[0]);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem)) != 0)
    throw std::runtime_error("font backend: cannot size " + file.path);
  std::fill(std::begin(sf->advances_), std::end(sf->advances_), -1);

  const double s = static_cast<double>(ppem) / file.unitsPerEm;
  FontMetrics& m = sf->metrics_;
  m.ppem = ppem;
  m.ascent = RoundUp(file.winAscent * s);
  m.descent = RoundUp(file.winDescent * s);
  m.height = m.ascent + m.descent;
  m.internalLeading = m.height - ppem;
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (hhea) {
    int gap = hhea->Line_Gap - ((file.winAscent + file.winDescent) - (hhea->Ascender - hhea->Descender));
    m.externalLeading = std::max(0, RoundEven(gap * s));
    m.maxCharWidth = RoundEven(hhea->advance_Width_Max * s);
  }
  if (os2 && os2->version != 0xFFFF) {
    m.aveCharWidth = RoundEven(os2->xAvgCharWidth * s);
    m.strikeoutThickness = std::max(1, RoundEven(os2->yStrikeoutSize * s));
    m.strikeoutOffset = std::max(m.strikeoutThickness, RoundEven(os2->yStrikeoutPosition * s));
  } else {
    m.aveCharWidth = sf->Advance('x');
    m.strikeoutThickness = std::max(1, RoundEven(face->underline_thickness * s));
    m.strikeoutOffset = std::max(m.strikeoutThickness, m.ascent / 3);
  }
  // FreeType gives the underline's centre; the line keeps inside the descent.
  m.underlineThickness = std::max(1, RoundEven(face->underline_thickness * s));
  m.underlineOffset = RoundEven(-face->underline_position * s - m.underlineThickness / 2.0);
  m.underlineOffset = std::clamp(m.underlineOffset, 0, std::max(0, m.descent - m.underlineThickness));

  // Drop faces nobody holds once the cache grows large.
  if (cache.size() >= 64) std::erase_if(cache, [](const auto& kv) { return kv.second.use_count() == 1; });
  cache.emplace(key, sf);
  return sf;
}

char32_t CodePointOf(unsigned char c) {
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  if (c >= 0x80 && c < 0xA0) return kHigh[c - 0x80];
  return c;
}

}  // namespace win::text
