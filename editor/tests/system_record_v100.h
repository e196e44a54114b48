#pragma once
// The older particle system record, as files and chunks of version 100 hold it: no base
// colour gradient, nothing after the colour mode but 128 reserved bytes.
#include "engine/color_series.h"
#include "engine/emitter_object.h"
#include "engine/particle_map_source.h"
#include "engine/var_series.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

inline void WriteSystemRecordV100(const TEmitter& sys, TStream& s) {
  TRecordWriter w(s);
  sys.System->SaveVariables(s);
  sys.Emitter->SaveVariables(s);
  sys.System->ParticleColor->SaveToStream(s);
  sys.System->MapSource->SaveToStream(s);
  w.I32(sys.System->LoopPeriod);
  w.I32(sys.System->LoopCount);
  w.I32(sys.System->RenderMode);
  w.I32(sys.System->MapMode);
  w.I32(sys.System->MapCycle);
  w.I32(sys.System->FixedMapIndex);
  w.U8(sys.Enabled);
  w.ShortString(sys.Name, 32);
  w.F32(sys.Emitter->Radius);
  w.I32(sys.Emitter->Shape);
  w.I32(sys.System->ColorMode);
  const Byte reserved[128] = {};
  w.Bytes(reserved, sizeof reserved);
}
