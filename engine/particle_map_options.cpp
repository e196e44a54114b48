#include "engine/particle_map_options.h"

#include "platform/classlib/records.h"

const TClass& TParticleMapOptions::StaticClass() {
  static const TClass cls = TClass::Of<TParticleMapOptions>("TParticleMapOptions", TObject::StaticClass());
  return cls;
}

void TParticleMapOptions::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  w.F32(Alpha);
  w.U8(Flip);
  w.F32(OriginX);
  w.F32(OriginY);
  w.SkipReserved(kReservedBytes);
}

void TParticleMapOptions::LoadFromStream(TStream& Stream) {
  TRecordReader r(Stream);
  const Single alpha = r.F32("map options alpha");
  const Byte flip = r.U8("map options flip");
  const Single originX = r.F32("map options origin x");
  const Single originY = r.F32("map options origin y");
  r.SkipReserved(kReservedBytes);
  Alpha = alpha;
  Flip = flip;
  OriginX = originX;
  OriginY = originY;
}
