#include "engine/particle_map_source.h"

#include <memory>
#include <vector>

#include "engine/bitmap32_cache.h"
#include "engine/particle_map_options.h"
#include "platform/classlib/records.h"
#include "platform/classlib/strings.h"

namespace {
const char* const kDefaultName = "Default";
}

const TClass& TParticleMapSource::StaticClass() {
  static const TClass cls = TClass::Of<TParticleMapSource>("TParticleMapSource", TObject::StaticClass());
  return cls;
}

TParticleMapSource::TParticleMapSource() : maps_(std::make_unique<TStringList>()) {
  auto options = std::make_unique<TParticleMapOptions>();
  maps_->AddObject(kDefaultName, options.get());
  options.release();
}

TParticleMapSource::~TParticleMapSource() { FreeAllOptions(); }

void TParticleMapSource::FreeAllOptions() {
  for (Integer i = 0; i < maps_->Count(); ++i) {
    delete maps_->Objects(i);
    maps_->SetObjects(i, nullptr);
  }
}

Integer TParticleMapSource::Count() const { return maps_->Count(); }

void TParticleMapSource::SaveToStream(TStream& Stream) const {
  TRecordWriter w(Stream);
  const std::string text = maps_->CommaText();
  w.I32(static_cast<Integer>(text.size()));
  w.Bytes(text.data(), static_cast<Int64>(text.size()));
  for (Integer i = 0; i < maps_->Count(); ++i)
    static_cast<TParticleMapOptions*>(maps_->Objects(i))->SaveToStream(Stream);
}

TMapSourceRecord TMapSourceRecord::Read(TRecordReader& Reader) {
  const Integer length = Reader.I32("map source name length");
  Reader.RequireBytes(length, "map source names");
  std::string text(static_cast<std::size_t>(length), '\0');
  Reader.Bytes(text.data(), length, "map source names");

  TStringList names;
  names.SetCommaText(text);

  TMapSourceRecord m;
  if (names.Count() == 0) {
    // A source is never empty.
    m.Names.emplace_back(kDefaultName);
    m.Options.push_back(std::make_unique<TParticleMapOptions>());
    return m;
  }
  // The reserved block of the last record may be absent at the very end of a stream.
  const Int64 needed = Int64{names.Count()} * TParticleMapOptions::kRecordSize - TParticleMapOptions::kReservedBytes;
  Reader.RequireBytes(needed, "map source options");
  m.Names.reserve(static_cast<std::size_t>(names.Count()));
  m.Options.reserve(static_cast<std::size_t>(names.Count()));
  for (Integer i = 0; i < names.Count(); ++i) {
    auto o = std::make_unique<TParticleMapOptions>();
    o->LoadFromStream(Reader.Stream());
    m.Names.push_back(names.Strings(i));
    m.Options.push_back(std::move(o));
  }
  return m;
}

void TMapSourceRecord::MoveTo(TParticleMapSource& Source) {
  // The new list is built aside: running out of memory on the way leaves the source
  // with all its entries, and this record still owns the options it read.
  auto fresh = std::make_unique<TStringList>();
  for (std::size_t i = 0; i < Names.size(); ++i) fresh->AddObject(Names[i], Options[i].get());
  // Nothing below throws.
  Source.maps_.swap(fresh);
  for (auto& o : Options) o.release();
  Names.clear();
  Options.clear();
  for (Integer i = 0; i < fresh->Count(); ++i) delete fresh->Objects(i);
}

void TParticleMapSource::LoadFromStream(TStream& Stream) {
  TRecordReader r(Stream);
  TMapSourceRecord::Read(r).MoveTo(*this);
}

TBitmap32* TParticleMapSource::BitmapAt(Integer Index) {
  if (Index < 0 || Index >= maps_->Count()) Index = 0;
  std::string name = maps_->Strings(Index);
  TBitmap32* bitmap = Bitmap32Cache().Get(name);
  // Remember where the image was found (or that the built-in one stands in for it).
  if (name != maps_->Strings(Index)) maps_->SetStrings(Index, name);
  return bitmap;
}

TParticleMapOptions* TParticleMapSource::OptionsAt(Integer Index) const {
  if (Index < 0 || Index >= maps_->Count()) Index = 0;
  return static_cast<TParticleMapOptions*>(maps_->Objects(Index));
}

Integer TParticleMapSource::AddMap(const std::string& FileName) {
  auto options = std::make_unique<TParticleMapOptions>();
  const Integer existing = maps_->IndexOf(FileName);
  // Appended before the old entry goes, so the list is never empty on the way.
  Integer index = maps_->AddObject(FileName, options.get());
  options.release();
  if (existing >= 0) {
    delete maps_->Objects(existing);
    maps_->Delete(existing);
    --index;
  }
  return index;
}

void TParticleMapSource::DeleteMap(Integer Index) {
  if (Index < 0 || Index >= maps_->Count()) throw CreateFmt<EListError>(msg::ListIndexError, Index);
  if (maps_->Count() == 1) {
    // The last entry gives way to a fresh "Default".
    auto options = std::make_unique<TParticleMapOptions>();
    delete maps_->Objects(0);
    maps_->SetObjects(0, options.release());
    maps_->SetStrings(0, kDefaultName);
    return;
  }
  delete maps_->Objects(Index);
  maps_->Delete(Index);
}
