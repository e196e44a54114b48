#include "controlkit/kit_regions.h"

#include <cmath>
#include <cstring>

#include "controlkit/kit_items.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/persistent.h"
#include "platform/win/gdi.h"

// ---- TKitRgnHandle ---------------------------------------------------------------------------

TKitRgnHandle& TKitRgnHandle::operator=(TKitRgnHandle&& o) noexcept {
  if (this != &o) Reset(o.Release());
  return *this;
}

win::HRGN TKitRgnHandle::Release() {
  win::HRGN h = h_;
  h_ = nullptr;
  return h;
}

void TKitRgnHandle::Reset(win::HRGN h) {
  if (h_) win::DeleteObject(h_);
  h_ = h;
}

// ---- region data -------------------------------------------------------------------------------

win::HRGN KitRegionFromData(const std::vector<Byte>& data) {
  if (data.size() < sizeof(win::RGNDATAHEADER)) return nullptr;
  // ExtCreateRegion checks the header, the count against the size and every rectangle.
  return win::ExtCreateRegion(nullptr, static_cast<win::DWORD>(data.size()),
                              reinterpret_cast<const win::RGNDATA*>(data.data()));
}

std::vector<Byte> KitRegionToData(win::HRGN rgn) {
  win::DWORD size = win::GetRegionData(rgn, 0, nullptr);
  if (size == 0) return {};
  std::vector<Byte> data(size);
  if (win::GetRegionData(rgn, size, reinterpret_cast<win::RGNDATA*>(data.data())) != size) return {};
  return data;
}

// ---- published properties --------------------------------------------------------------------------

const TEnumInfo& KitShadowStyleInfo() {
  static const TEnumInfo info("TKitShadowStyle", {"hssNone", "hssSolid", "hssTracing"});
  return info;
}

const TEnumInfo& KitRegionShapeInfo() {
  static const TEnumInfo info(
      "TKitRegionShape",
      {"rsRect", "rsRoundRect", "rsBitmap", "rsNoseRect", "rsRoundNoseRect", "rsElliptic", "rsStar", "rsRoundShield",
       "rsSharpShield", "rsDiamond", "rsOctagon", "rsComb", "rsHalfRound", "rsUserRegion", "rsThinkBubble",
       "rsRoundThinkBubble", "rsEllipticThinkBubble", "rsPointList"});
  return info;
}

const TEnumInfo& KitExtPosInfo() {
  static const TEnumInfo info("TKitExtPos", {"epLeftTop", "epTopLeft", "epTopRight", "epRightTop", "epRightBottom",
                                             "epBottomRight", "epBottomLeft", "epLeftBottom"});
  return info;
}

const TEnumInfo& KitRegionBorderStyleInfo() {
  static const TEnumInfo info("TKitRegionBorderStyle", {"rbNone", "rbLowered", "rbRaised", "rbSingle",
                                                        "rbSingleRaised", "rbSingleLowered", "rbRaisedpsb",
                                                        "rbLoweredpsb"});
  return info;
}

void TKitShadow::Publish(TPublished& published) {
  using S = TKitShadow;
  auto p = published.For<S>();
  p.Integer("Color", &S::Color, &S::SetColor).Idents(ColorIdents()).Default(clBtnShadow);
  p.Integer("Depth", &S::Depth, &S::SetDepth).Default(6);
  p.Enum("Style", KitShadowStyleInfo(), &S::Style, &S::SetStyle).Default(hssSolid);
}

void TKitRgnShadow::Publish(TPublished& published) {
  using S = TKitRgnShadow;
  published.For<S>().Enum("Style", KitShadowStyleInfo(), &S::Style, &S::SetStyle).Default(hssNone);
}

void TKitRegionMask::Publish(TPublished& published) {
  using M = TKitRegionMask;
  auto p = published.For<M>();
  // Shown for information; the size travels with the "RegionData" block itself.
  p.Integer("RegionDataSize", &M::RegionDataSize).Stored(false);
  p.Boolean("Compressed", &M::Compressed, &M::SetCompressed).Default(false);
  p.Enum("PixelFormat", KitSavePixelFormatInfo(), &M::PixelFormat, &M::SetPixelFormat).Default(spfDefault);
}

void TKitRegionBorder::Publish(TPublished& published) {
  using B = TKitRegionBorder;
  auto p = published.For<B>();
  p.Enum("Style", KitRegionBorderStyleInfo(), &B::Style, &B::SetStyle).Default(rbSingle);
  p.Integer("LightColor", &B::LightColor, &B::SetLightColor).Idents(ColorIdents()).Default(clBtnHighlight);
  p.Integer("ShadowColor", &B::ShadowColor, &B::SetShadowColor).Idents(ColorIdents()).Default(clBtnShadow);
  p.Integer("SingleColor", &B::SingleColor, &B::SetSingleColor).Idents(ColorIdents()).Default(clBlack);
}

void TKitRegion::Publish(TPublished& published) {
  using R = TKitRegion;
  auto p = published.For<R>();
  p.Enum("Shape", KitRegionShapeInfo(), &R::Shape, &R::SetShape).Default(rsRoundRect);
  p.Enum("ExtPos", KitExtPosInfo(), &R::ExtPos, &R::SetExtPos).Default(epLeftTop);
  p.Object("Mask", &R::Mask);
  p.Integer("RoundX", &R::RoundX, &R::SetRoundX).Default(20);
  p.Integer("RoundY", &R::RoundY, &R::SetRoundY).Default(20);
  p.Object("Shadow", &R::Shadow);
  // The points travel as "PointList" (DefineProperties).
}

void TKitBorderRegion::Publish(TPublished& published) {
  published.For<TKitBorderRegion>().Object("Border", &TKitBorderRegion::Border);
}

// ---- TKitShadow ---------------------------------------------------------------------------------

const TClass& TKitShadow::StaticClass() {
  static const TClass cls = TClass::Of<TKitShadow>("TKitShadow", TKitObject::StaticClass(), &TKitShadow::Publish);
  return cls;
}

void TKitShadow::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  NotifyChange();
}

void TKitShadow::SetDepth(Byte value) {
  if (depth_ == value) return;
  depth_ = value;
  NotifyChange();
}

void TKitShadow::SetStyle(TKitShadowStyle value) {
  if (style_ == value) return;
  style_ = value;
  NotifyChange();
}

std::string TKitShadow::SettingsText() {
  switch (style_) {
    case hssNone: return "{Disabled}";
    case hssSolid: return "{solid, " + std::to_string(depth_) + "}";
    default: return "{tracing, " + std::to_string(depth_) + "}";
  }
}

void TKitShadow::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TKitShadow*>(source)) {
    BeginUpdate();
    color_ = s->color_;
    depth_ = s->depth_;
    style_ = s->style_;
    EndUpdate(true);
    return;
  }
  TKitObject::Assign(source);
}

const TClass& TKitRgnShadow::StaticClass() {
  static const TClass cls = TClass::Of<TKitRgnShadow>("TKitRgnShadow", TKitShadow::StaticClass(), &TKitRgnShadow::Publish);
  return cls;
}

// ---- TKitPointList -------------------------------------------------------------------------------

const TClass& TKitPointList::StaticClass() {
  static const TClass cls = TClass::Of<TKitPointList>("TKitPointList", TList::StaticClass());
  return cls;
}

std::uint32_t TKitPointList::Pack(Integer x, Integer y) {
  return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) << 16) | static_cast<std::uint16_t>(y);
}

TPoint TKitPointList::Unpack(std::uint32_t entry) {
  TPoint p;
  p.x = static_cast<std::int16_t>(entry >> 16);
  p.y = static_cast<std::int16_t>(entry & 0xFFFF);
  return p;
}

TPoint TKitPointList::Points(Integer index) const {
  return Unpack(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(Get(index))));
}

void TKitPointList::SetPoints(Integer index, const TPoint& value) {
  if (index < 0 || index >= Count()) return;
  suppress_ = true;
  Put(index, reinterpret_cast<void*>(static_cast<std::uintptr_t>(Pack(value.x, value.y))));
  suppress_ = false;
  Changed();
}

Integer TKitPointList::Add(Integer x, Integer y) {
  return TList::Add(reinterpret_cast<void*>(static_cast<std::uintptr_t>(Pack(x, y))));
}

void TKitPointList::Clear() {
  suppress_ = true;
  bool had = Count() > 0;
  TList::Clear();
  suppress_ = false;
  if (had) Changed();
}

void TKitPointList::EndUpdate() {
  updating_ = false;
  Changed();
}

void TKitPointList::Notify(void* ptr, TListNotification action) {
  TList::Notify(ptr, action);
  if (!suppress_) Changed();
}

void TKitPointList::Changed() {
  if (!updating_ && OnChange) OnChange(this);
}

void TKitPointList::ReadPairs(TReader& reader) {
  std::vector<std::uint32_t> packed;
  reader.ReadListBegin();
  while (!reader.EndOfList()) {
    Integer x = reader.ReadInteger();
    if (reader.EndOfList()) throw EReadError("Point list: a point without its y value");
    Integer y = reader.ReadInteger();
    if (x < -32768 || x > 32767 || y < -32768 || y > 32767)
      throw EReadError("Point list: coordinate outside the 16-bit range");
    packed.push_back(Pack(x, y));
  }
  reader.ReadListEnd();
  BeginUpdate();
  suppress_ = true;
  for (std::uint32_t p : packed) TList::Add(reinterpret_cast<void*>(static_cast<std::uintptr_t>(p)));
  suppress_ = false;
  EndUpdate();
}

void TKitPointList::WritePairs(TWriter& writer) const {
  writer.WriteListBegin();
  for (Integer i = 0; i < Count(); ++i) {
    TPoint p = Points(i);
    writer.WriteInteger(p.x);
    writer.WriteInteger(p.y);
  }
  writer.WriteListEnd();
}

// ---- TKitRegionMask ---------------------------------------------------------------------------------

const TClass& TKitRegionMask::StaticClass() {
  static const TClass cls = TClass::Of<TKitRegionMask>("TKitRegionMask", TKitObject::StaticClass(), &TKitRegionMask::Publish);
  return cls;
}

TKitRegionMask::TKitRegionMask()
    : borderBmp_(std::make_unique<TBitmap>()),
      borderUpBmp_(std::make_unique<TBitmap>()),
      borderDnBmp_(std::make_unique<TBitmap>()) {}

TKitRegionMask::~TKitRegionMask() = default;

void TKitRegionMask::SetRegionData(const std::vector<Byte>& data) {
  if (!data.empty()) {
    TKitRgnHandle check(KitRegionFromData(data));
    if (!check) throw EReadError("Region data is not valid");
  }
  regionData_ = data;
  NotifyChange();
}

void TKitRegionMask::ClearRegionData() {
  if (regionData_.empty()) return;
  regionData_.clear();
  NotifyChange();
}

void TKitRegionMask::ReadRegionData(TStream& stream) {
  Int64 left = stream.Size() - stream.Position();
  if (left < static_cast<Int64>(sizeof(win::RGNDATAHEADER))) throw EReadError("Region data is too short");
  // The header's own count is checked before anything sized by it is allocated.
  win::RGNDATAHEADER header;
  Byte raw[32];
  stream.ReadBuffer(raw, sizeof raw);
  std::memcpy(&header, raw, sizeof header);
  if (header.dwSize != 32 || header.iType != win::RDH_RECTANGLES) throw EReadError("Region data is not valid");
  Int64 body = left - 32;
  if (static_cast<Int64>(header.nCount) * 16 != body) throw EReadError("Region data size does not match its count");
  std::vector<Byte> data(static_cast<std::size_t>(left));
  std::memcpy(data.data(), raw, 32);
  if (body > 0) stream.ReadBuffer(data.data() + 32, body);
  SetRegionData(data);
}

void TKitRegionMask::WriteRegionData(TStream& stream) const {
  if (!regionData_.empty()) stream.WriteBuffer(regionData_.data(), static_cast<Int64>(regionData_.size()));
}

void TKitRegionMask::ReadModeBitmap(TStream& stream, TBitmap* bitmap) {
  Byte mode = 0;
  stream.ReadBuffer(&mode, 1);
  if (mode > 2) throw EReadError("Border bitmap: unknown mode");
  TBitmap fresh;
  if (mode != 0) ReadBitmapBlock(stream, &fresh, mode == 2);
  bitmap->Assign(&fresh);
}

void TKitRegionMask::WriteModeBitmap(TStream& stream, TBitmap* bitmap) const {
  Byte mode = bitmap->Empty() ? 0 : (compressed_ ? 2 : 1);
  stream.WriteBuffer(&mode, 1);
  if (mode != 0) WriteBitmapBlock(stream, bitmap, pixelFormat_, compressed_);
}

win::HRGN TKitRegionMask::CreateRegion(Integer dx, Integer dy) const {
  if (regionData_.empty()) return nullptr;
  win::HRGN rgn = KitRegionFromData(regionData_);
  if (rgn && (dx || dy)) win::OffsetRgn(rgn, dx, dy);
  return rgn;
}

void TKitRegionMask::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TKitRegionMask*>(source)) {
    if (s->regionData_.empty()) return;
    BeginUpdate();
    regionData_ = s->regionData_;
    compressed_ = s->compressed_;
    pixelFormat_ = s->pixelFormat_;
    borderBmp_->Assign(s->borderBmp_.get());
    borderUpBmp_->Assign(s->borderUpBmp_.get());
    borderDnBmp_->Assign(s->borderDnBmp_.get());
    EndUpdate(true);
    return;
  }
  TKitObject::Assign(source);
}

void TKitRegionMask::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "RegionData", [this](TStream& s) { ReadRegionData(s); }, [this](TStream& s) { WriteRegionData(s); },
      !regionData_.empty());
  struct Slot {
    const char* name;
    TBitmap* bmp;
  };
  for (Slot slot : {Slot{"BorderBmp", borderBmp_.get()}, Slot{"BorderUpBmp", borderUpBmp_.get()},
                    Slot{"BorderDnBmp", borderDnBmp_.get()}}) {
    TBitmap* bmp = slot.bmp;
    filer->DefineBinaryProperty(
        slot.name, [bmp](TStream& s) { ReadModeBitmap(s, bmp); }, [this, bmp](TStream& s) { WriteModeBitmap(s, bmp); },
        !bmp->Empty());
  }
}

// ---- TKitRegionBorder ---------------------------------------------------------------------------------

const TClass& TKitRegionBorder::StaticClass() {
  static const TClass cls = TClass::Of<TKitRegionBorder>("TKitRegionBorder", TKitObject::StaticClass(), &TKitRegionBorder::Publish);
  return cls;
}

void TKitRegionBorder::SetStyle(TKitRegionBorderStyle value) {
  if (style_ == value) return;
  style_ = value;
  NotifyChange();
}
void TKitRegionBorder::SetLightColor(TColor value) {
  if (light_ == value) return;
  light_ = value;
  NotifyChange();
}
void TKitRegionBorder::SetShadowColor(TColor value) {
  if (shadow_ == value) return;
  shadow_ = value;
  NotifyChange();
}
void TKitRegionBorder::SetSingleColor(TColor value) {
  if (single_ == value) return;
  single_ = value;
  NotifyChange();
}

void TKitRegionBorder::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TKitRegionBorder*>(source)) {
    BeginUpdate();
    style_ = s->style_;
    light_ = s->light_;
    shadow_ = s->shadow_;
    single_ = s->single_;
    EndUpdate(true);
    return;
  }
  TKitObject::Assign(source);
}

namespace {

void FillWith(win::HDC dc, win::HRGN rgn, TColor color) {
  win::HBRUSH brush = win::CreateSolidBrush(static_cast<win::COLORREF>(ColorToRGB(color)));
  win::FillRgn(dc, rgn, brush);
  win::DeleteObject(brush);
}

// The part of `rgn` that is uncovered when it moves by (dx, dy): its edge facing away
// from the move, `width` pixels thick.
TKitRgnHandle EdgeOf(win::HRGN rgn, Integer dx, Integer dy) {
  TKitRgnHandle moved(win::CreateRectRgn(0, 0, 0, 0));
  TKitRgnHandle edge(win::CreateRectRgn(0, 0, 0, 0));
  win::CombineRgn(moved.Get(), rgn, nullptr, win::RGN_COPY);
  win::OffsetRgn(moved.Get(), dx, dy);
  win::CombineRgn(edge.Get(), rgn, moved.Get(), win::RGN_DIFF);
  return edge;
}

// `rgn` less its outer ring of `inset` pixels.
TKitRgnHandle Shrunk(win::HRGN rgn, Integer inset) {
  TKitRgnHandle inner(win::CreateRectRgn(0, 0, 0, 0));
  win::CombineRgn(inner.Get(), rgn, nullptr, win::RGN_COPY);
  for (auto [dx, dy] : {std::pair{inset, 0}, std::pair{-inset, 0}, std::pair{0, inset}, std::pair{0, -inset}}) {
    TKitRgnHandle moved(win::CreateRectRgn(0, 0, 0, 0));
    win::CombineRgn(moved.Get(), rgn, nullptr, win::RGN_COPY);
    win::OffsetRgn(moved.Get(), dx, dy);
    win::CombineRgn(inner.Get(), inner.Get(), moved.Get(), win::RGN_AND);
  }
  return inner;
}

void TwoColour(win::HDC dc, win::HRGN rgn, TColor upperLeft, TColor lowerRight, bool rightOnly) {
  if (!rightOnly) {
    TKitRgnHandle ul = EdgeOf(rgn, 2, 2);
    FillWith(dc, ul.Get(), upperLeft);
  }
  TKitRgnHandle lr = EdgeOf(rgn, -2, -2);
  FillWith(dc, lr.Get(), lowerRight);
}

}  // namespace

void TKitRegionBorder::Draw(TCanvas* canvas, win::HRGN rgn) const {
  if (style_ == rbNone || !rgn) return;
  win::HDC dc = canvas->Handle();
  TColor light = light_, shadow = shadow_;
  switch (style_) {
    case rbLowered:
    case rbSingleLowered:
    case rbLoweredpsb:
      std::swap(light, shadow);
      break;
    default:
      break;
  }
  switch (style_) {
    case rbSingle: {
      win::HBRUSH brush = win::CreateSolidBrush(static_cast<win::COLORREF>(ColorToRGB(single_)));
      win::FrameRgn(dc, rgn, brush, 1, 1);
      win::DeleteObject(brush);
      break;
    }
    case rbRaised:
    case rbLowered:
      TwoColour(dc, rgn, light, shadow, false);
      break;
    case rbSingleRaised:
    case rbSingleLowered: {
      win::HBRUSH brush = win::CreateSolidBrush(static_cast<win::COLORREF>(ColorToRGB(single_)));
      win::FrameRgn(dc, rgn, brush, 1, 1);
      win::DeleteObject(brush);
      TKitRgnHandle inner = Shrunk(rgn, 1);
      TwoColour(dc, inner.Get(), light, shadow, false);
      break;
    }
    case rbRaisedpsb:
    case rbLoweredpsb: {
      TwoColour(dc, rgn, light, shadow, false);
      TKitRgnHandle inner = Shrunk(rgn, 1);
      TwoColour(dc, inner.Get(), light, shadow, true);
      break;
    }
    default:
      break;
  }
}

// ---- shapes --------------------------------------------------------------------------------------------

namespace {

TKitRgnHandle RectRgn(Integer l, Integer t, Integer r, Integer b) { return TKitRgnHandle(win::CreateRectRgn(l, t, r, b)); }
TKitRgnHandle Ellipse(Integer l, Integer t, Integer r, Integer b) {
  return TKitRgnHandle(win::CreateEllipticRgn(l, t, r, b));
}
TKitRgnHandle Polygon(const std::vector<win::POINT>& pts) {
  return TKitRgnHandle(win::CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), win::ALTERNATE));
}
void Unite(TKitRgnHandle& a, const TKitRgnHandle& b) { win::CombineRgn(a.Get(), a.Get(), b.Get(), win::RGN_OR); }
void Subtract(TKitRgnHandle& a, const TKitRgnHandle& b) { win::CombineRgn(a.Get(), a.Get(), b.Get(), win::RGN_DIFF); }
void Intersect(TKitRgnHandle& a, const TKitRgnHandle& b) { win::CombineRgn(a.Get(), a.Get(), b.Get(), win::RGN_AND); }

// The extension corner of ExtPos: whether it lies on the right and at the bottom.
bool ExtRight(TKitExtPos p) { return p == epTopRight || p == epRightTop || p == epRightBottom || p == epBottomRight; }
bool ExtBottom(TKitExtPos p) {
  return p == epRightBottom || p == epBottomRight || p == epBottomLeft || p == epLeftBottom;
}
// Whether the nose sits on a left or right side (else on the top or bottom).
bool NoseOnSide(TKitExtPos p) { return p == epLeftTop || p == epRightTop || p == epRightBottom || p == epLeftBottom; }

// R shrunk by n on the two sides ExtPos names.
TRect ShrinkForExt(const TRect& R, TKitExtPos p, Integer n) {
  TRect b = R;
  if (ExtRight(p)) b.right -= n; else b.left += n;
  if (ExtBottom(p)) b.bottom -= n; else b.top += n;
  return b;
}

TKitRgnHandle Shields(Integer l, Integer t, Integer w, Integer h, bool sharp) {
  TKitRgnHandle body;
  if (sharp) {
    body = Ellipse(-w, -8 * h / 7, w, 8 * h / 7);
    TKitRgnHandle other = Ellipse(0, -8 * h / 7, 2 * w, 8 * h / 7);
    Intersect(body, other);
  } else {
    body = Ellipse(0, -4 * h / 5, w, h);
  }
  Subtract(body, Ellipse(-w / 2, -h / 5, w / 2, h / 5));
  Subtract(body, Ellipse(w / 2, -h / 5, w / 2 + w, h / 5));
  Subtract(body, RectRgn(0, -40, w, 0));
  win::OffsetRgn(body.Get(), l, t);
  return body;
}

TKitRgnHandle Nose(const TRect& R, TKitExtPos p, bool round, Integer rx, Integer ry) {
  Integer w = R.right - R.left;
  Integer n = w / 10;
  TRect b = ShrinkForExt(R, p, n);
  TKitRgnHandle body = round ? TKitRgnHandle(win::CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, rx, ry))
                             : RectRgn(b.left, b.top, b.right, b.bottom);
  bool right = ExtRight(p), bottom = ExtBottom(p), side = NoseOnSide(p);
  Integer o = round ? (side ? ry : rx) : 5;
  Integer d = static_cast<Integer>(std::nearbyint(n * std::sqrt(2.0)));
  Integer cx = right ? b.right : b.left;
  Integer cy = bottom ? b.bottom : b.top;
  Integer sx = right ? -1 : 1;  // direction from the corner into the body
  Integer sy = bottom ? -1 : 1;
  win::POINT tip{cx - sx * n, cy - sy * n};
  std::vector<win::POINT> tri{tip};
  if (side) {
    tri.push_back({cx, cy + sy * o});
    tri.push_back({cx, cy + sy * (o + d)});
  } else {
    tri.push_back({cx + sx * o, cy});
    tri.push_back({cx + sx * (o + d), cy});
  }
  Unite(body, Polygon(tri));
  return body;
}

// A trail of shrinking circles on a quarter arc from the body's corner out to the ExtPos
// corner of R; the trail is cut to R so that the whole shape stays inside it.
TKitRgnHandle ThinkBubble(const TRect& R, TKitExtPos p, TKitRegionShape shape, Integer rx, Integer ry) {
  Integer s = (R.right - R.left) / 6;
  TRect b = ShrinkForExt(R, p, s);
  TKitRgnHandle body;
  if (shape == rsThinkBubble) body = RectRgn(b.left, b.top, b.right, b.bottom);
  else if (shape == rsRoundThinkBubble)
    body = TKitRgnHandle(win::CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, rx, ry));
  else body = Ellipse(b.left, b.top, b.right, b.bottom);
  bool right = ExtRight(p), bottom = ExtBottom(p);
  Integer sx = right ? -1 : 1, sy = bottom ? -1 : 1;
  // Corner of R, and the arc's centre: s in from it along the vertical side.
  double cx = right ? R.right : R.left, cy = bottom ? R.bottom : R.top;
  double ax = cx, ay = cy + sy * s;
  constexpr int n = 3;
  TKitRgnHandle trail = RectRgn(0, 0, 0, 0);
  for (int i = 0; i <= n + 1; ++i) {
    double a = (90.0 / (n + 1) * i) * 3.14159265358979323846 / 180.0;
    double px = ax + sx * s * std::cos(a);
    double py = ay - sy * s * std::sin(a);
    Integer dia = std::max<Integer>(2, s * (n + 2 - i) / (n + 2));
    Integer x0 = static_cast<Integer>(std::lround(px)) - dia / 2;
    Integer y0 = static_cast<Integer>(std::lround(py)) - dia / 2;
    Unite(trail, Ellipse(x0, y0, x0 + dia, y0 + dia));
  }
  Intersect(trail, RectRgn(R.left, R.top, R.right, R.bottom));
  Unite(body, trail);
  return body;
}

}  // namespace

// ---- TKitRegion ------------------------------------------------------------------------------------------

const TClass& TKitRegion::StaticClass() {
  static const TClass cls = TClass::Of<TKitRegion>("TKitRegion", TKitObject::StaticClass(), &TKitRegion::Publish);
  return cls;
}

TKitRegion::TKitRegion()
    : mask_(std::make_unique<TKitRegionMask>()),
      shadow_(std::make_unique<TKitRgnShadow>()),
      points_(std::make_unique<TKitPointList>()) {
  mask_->OnChange = [this](TObject* s) { PartChanged(s); };
  shadow_->OnChange = [this](TObject* s) { PartChanged(s); };
  points_->OnChange = [this](TObject* s) { PointsChanged(s); };
}

TKitRegion::~TKitRegion() {
  points_->OnChange = nullptr;
}

void TKitRegion::SetShape(TKitRegionShape value) {
  if (shape_ == value) return;
  shape_ = value;
  NotifyChange();
}
void TKitRegion::SetExtPos(TKitExtPos value) {
  if (extPos_ == value) return;
  extPos_ = value;
  NotifyChange();
}
void TKitRegion::SetRoundX(Integer value) {
  if (roundX_ == value) return;
  roundX_ = value;
  NotifyChange();
}
void TKitRegion::SetRoundY(Integer value) {
  if (roundY_ == value) return;
  roundY_ = value;
  NotifyChange();
}

void TKitRegion::SetUserRegion(win::HRGN rgn) {
  userData_ = rgn ? KitRegionToData(rgn) : std::vector<Byte>();
  NotifyChange();
}

void TKitRegion::PointsChanged(TObject*) {
  pointData_.clear();
  if (points_->Count() >= 3) {
    std::vector<win::POINT> pts;
    for (Integer i = 0; i < points_->Count(); ++i) pts.push_back(points_->Points(i));
    TKitRgnHandle rgn = Polygon(pts);
    if (rgn) pointData_ = KitRegionToData(rgn.Get());
  }
  NotifyChange();
}

void TKitRegion::PartChanged(TObject*) { NotifyChange(); }

win::HRGN TKitRegion::CreateRegion(const TRect& R, bool designing) const {
  const Integer l = R.left, t = R.top, r = R.right, b = R.bottom;
  const Integer w = r - l, h = b - t;
  TKitRgnHandle rgn;
  switch (shape_) {
    case rsRect: rgn = RectRgn(l, t, r, b); break;
    case rsRoundRect: rgn = TKitRgnHandle(win::CreateRoundRectRgn(l, t, r, b, roundX_, roundY_)); break;
    case rsElliptic: rgn = Ellipse(l, t, r, b); break;
    case rsHalfRound:
      rgn = Ellipse(l, t, r, b + h);
      Intersect(rgn, RectRgn(l, t, r, b));
      break;
    case rsDiamond:
      rgn = Polygon({{l + w / 2, t}, {l, t + h / 2}, {l + w / 2, b}, {r, t + h / 2}});
      break;
    case rsBitmap: return mask_->CreateRegion(l, t);
    case rsUserRegion:
      if (designing) return win::CreateRectRgn(l, t, r, b);
      if (userData_.empty()) return nullptr;
      rgn = TKitRgnHandle(KitRegionFromData(userData_));
      if (rgn) win::OffsetRgn(rgn.Get(), l, t);
      break;
    case rsPointList:
      if (pointData_.empty()) return nullptr;
      rgn = TKitRgnHandle(KitRegionFromData(pointData_));
      if (rgn) win::OffsetRgn(rgn.Get(), l, t);
      break;
    case rsOctagon: {
      Integer w3 = w / 3, h3 = h / 3;
      rgn = Polygon({{l + w3 * 2, t}, {l + w3, t}, {l, t + h3}, {l, t + h3 * 2}, {l + w3, b}, {l + w3 * 2, b},
                     {r, t + h3 * 2}, {r, t + h3}});
      break;
    }
    case rsComb:
      rgn = Polygon({{l + w / 2, t}, {l, t + h / 4}, {l, t + h / 4 * 3}, {l + w / 2, b}, {r, t + h / 4 * 3},
                     {r, t + h / 4}});
      break;
    case rsStar: {
      auto fx = [&](double f) { return l + static_cast<Integer>(std::nearbyint(w * f)); };
      auto fy = [&](double f) { return t + static_cast<Integer>(std::nearbyint(h * f)); };
      Integer hx = l + w / 2;
      rgn = Polygon({{hx, t}, {fx(0.65), fy(0.38)}, {r, fy(0.38)}, {fx(0.70), fy(0.60)}, {fx(0.85), b},
                     {hx, fy(0.75)}, {fx(0.15), b}, {fx(0.30), fy(0.60)}, {l, fy(0.38)}, {fx(0.35), fy(0.38)}});
      break;
    }
    case rsSharpShield: rgn = Shields(l, t, w, h, true); break;
    case rsRoundShield: rgn = Shields(l, t, w, h, false); break;
    case rsNoseRect: rgn = Nose(R, extPos_, false, roundX_, roundY_); break;
    case rsRoundNoseRect: rgn = Nose(R, extPos_, true, roundX_, roundY_); break;
    case rsThinkBubble:
    case rsRoundThinkBubble:
    case rsEllipticThinkBubble: rgn = ThinkBubble(R, extPos_, shape_, roundX_, roundY_); break;
  }
  return rgn.Release();
}

void TKitRegion::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TKitRegion*>(source)) {
    BeginUpdate();
    shape_ = s->shape_;
    extPos_ = s->extPos_;
    roundX_ = s->roundX_;
    roundY_ = s->roundY_;
    mask_->Assign(s->mask_.get());
    shadow_->Assign(s->shadow_.get());
    points_->BeginUpdate();
    points_->Clear();
    for (Integer i = 0; i < s->points_->Count(); ++i) {
      TPoint p = s->points_->Points(i);
      points_->Add(p.x, p.y);
    }
    points_->EndUpdate();
    userData_ = s->userData_;
    EndUpdate(true);
    return;
  }
  TKitObject::Assign(source);
}

void TKitRegion::DefineProperties(TFiler* filer) {
  filer->DefineProperty(
      "PointList", [this](TReader& r) { points_->ReadPairs(r); }, [this](TWriter& w) { points_->WritePairs(w); },
      points_->Count() > 0);
}

// ---- TKitBorderRegion --------------------------------------------------------------------------------------

const TClass& TKitBorderRegion::StaticClass() {
  static const TClass cls = TClass::Of<TKitBorderRegion>("TKitBorderRegion", TKitRegion::StaticClass(), &TKitBorderRegion::Publish);
  return cls;
}

TKitBorderRegion::TKitBorderRegion() : border_(std::make_unique<TKitRegionBorder>()) {
  border_->OnChange = [this](TObject*) { NotifyChange(); };
}

TKitBorderRegion::~TKitBorderRegion() = default;

void TKitBorderRegion::Assign(TPersistent* source) {
  if (auto* s = dynamic_cast<TKitBorderRegion*>(source)) border_->Assign(s->border_.get());
  TKitRegion::Assign(source);
}
