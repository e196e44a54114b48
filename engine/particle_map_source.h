#pragma once
// TParticleMapSource: a particle system's list of particle images. Each entry is an
// image file name (or "Default", the built-in image) owning its TParticleMapOptions.
// The list is never empty.
//
// Record: i32 length n, n characters of comma text (the names), then one options
// record per name in order (45 bytes each; see particle_map_options.h).
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

#include "engine/particle_map_options.h"

class TBitmap32;
class TParticleMapSource;
class TRecordReader;
class TStream;
class TStringList;

// One map source record, read and checked in full before any source changes.
struct TMapSourceRecord {
  // Never empty: a record without names reads as one "Default" entry.
  std::vector<std::string> Names;
  // One per name.
  std::vector<std::unique_ptr<TParticleMapOptions>> Options;

  // Raises EReadError for a bad length, a short text or too few bytes for the options.
  static TMapSourceRecord Read(TRecordReader& Reader);
  // Gives the options to Source, which frees its old entries. The source changes only
  // once its new list is whole: running out of memory on the way leaves it as it was.
  void MoveTo(TParticleMapSource& Source);
};

class TParticleMapSource : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // One entry "Default" with fresh options.
  TParticleMapSource();
  ~TParticleMapSource() override;

  void SaveToStream(TStream& Stream) const;
  // The whole record is read and checked before anything changes: a bad length, a
  // short text or too few bytes for the options raise EReadError and the source keeps
  // its entries. A record without names loads as one "Default" entry.
  void LoadFromStream(TStream& Stream);

  // An index outside 0..Count-1 is taken as 0. BitmapAt fetches the image from the
  // global cache and stores the name the cache resolved in the entry. The bitmap
  // belongs to the cache (valid until its Clear) or is the built-in image.
  TBitmap32* BitmapAt(Integer Index);
  TParticleMapOptions* OptionsAt(Integer Index) const;

  // Deletes an entry of the same name (without regard to case) first, then appends a
  // new entry with fresh options; returns its index.
  Integer AddMap(const std::string& FileName);
  // Frees the entry's options and removes it; deleting the only entry leaves a fresh
  // "Default" entry. An index out of range raises EListError.
  void DeleteMap(Integer Index);

  Integer Count() const;
  // The options of the first entry.
  TParticleMapOptions* FirstOptions() const { return OptionsAt(0); }
  // The names; their objects are the entries' options, owned by this source. Names may
  // be changed in place; entries are added and removed only through AddMap/DeleteMap.
  TStringList& Maps() const { return *maps_; }

 private:
  friend struct TMapSourceRecord;
  void FreeAllOptions();

  std::unique_ptr<TStringList> maps_;
};
