#include "imageformats/tiff_directory.h"

#include <algorithm>
#include <cstring>

Cardinal TIFFTypeSize(Word Type) {
  switch (Type) {
    case ttByte:
    case ttAscii:
    case ttSByte:
    case ttUndefined:
      return 1;
    case ttShort:
    case ttSShort:
      return 2;
    case ttLong:
    case ttSLong:
      return 4;
    case ttRational:
    case ttSRational:
      return 8;
    default:
      return 0;
  }
}

Word TTIFFDirectory::Load16(const Byte* P) const {
  return FBigEndian ? static_cast<Word>((P[0] << 8) | P[1]) : static_cast<Word>(P[0] | (P[1] << 8));
}

Cardinal TTIFFDirectory::Load32(const Byte* P) const {
  if (FBigEndian)
    return (Cardinal(P[0]) << 24) | (Cardinal(P[1]) << 16) | (Cardinal(P[2]) << 8) | Cardinal(P[3]);
  return Cardinal(P[0]) | (Cardinal(P[1]) << 8) | (Cardinal(P[2]) << 16) | (Cardinal(P[3]) << 24);
}

void TTIFFDirectory::Fail() const { ImageFormatError(imgmsg::InvalidImage, {FFormatName}); }

bool TTIFFDirectory::InRange(Cardinal Offset, Cardinal Count) const {
  Int64 size = FLimit - FBase;
  return Int64(Offset) <= size && Int64(Count) <= size - Int64(Offset);
}

void TTIFFDirectory::ReadAt(Cardinal Offset, void* Buffer, Cardinal Count) const {
  if (!InRange(Offset, Count)) ImageFormatError(imgmsg::StreamReadError, {FFormatName});
  if (Count == 0) return;
  FStream->Seek(FBase + Offset, soFromBeginning);
  if (FStream->Read(Buffer, Count) != Int64(Count)) ImageFormatError(imgmsg::StreamReadError, {FFormatName});
}

bool TTIFFDirectory::Read(TStream& Stream, Int64 Base, Int64 Limit, Cardinal ImageIndex, const char* FormatName) {
  FStream = &Stream;
  FBase = Base;
  FLimit = Limit;
  FFormatName = FormatName;
  FEntries.clear();
  if (Limit - Base < 8) return false;

  Byte header[8];
  ReadAt(0, header, 8);
  if (header[0] == 'I' && header[1] == 'I')
    FBigEndian = false;
  else if (header[0] == 'M' && header[1] == 'M')
    FBigEndian = true;
  else
    return false;
  FVersion = Load16(header + 2);
  FFirstIFD = Load32(header + 4);
  if (FVersion != 42) return false;

  // Walk the chain. Each step moves to a directory at a checked offset; a chain that
  // comes back to a directory it passed has no more images.
  Cardinal offset = FFirstIFD;
  Byte buf[4];
  std::vector<Cardinal> visited;
  for (;;) {
    if (offset == 0 || !InRange(offset, 2)) return false;
    if (std::find(visited.begin(), visited.end(), offset) != visited.end()) return false;
    visited.push_back(offset);
    ReadAt(offset, buf, 2);
    Cardinal count = Load16(buf);
    Int64 entryBytes = Int64(count) * 12;
    if (Int64(offset) + 2 + entryBytes > FLimit - FBase) Fail();
    if (ImageIndex == 0) {
      std::vector<Byte> raw(static_cast<std::size_t>(entryBytes));
      ReadAt(offset + 2, raw.data(), static_cast<Cardinal>(entryBytes));
      FEntries.resize(count);
      for (Cardinal i = 0; i < count; ++i) {
        const Byte* p = raw.data() + i * 12;
        TTIFFEntry& e = FEntries[i];
        e.Tag = Load16(p);
        e.Type = Load16(p + 2);
        e.Count = Load32(p + 4);
        std::memcpy(e.Value, p + 8, 4);
      }
      std::stable_sort(FEntries.begin(), FEntries.end(),
                       [](const TTIFFEntry& a, const TTIFFEntry& b) { return a.Tag < b.Tag; });
      return true;
    }
    Int64 next = Int64(offset) + 2 + entryBytes;
    if (next > 0xFFFFFFFFll || !InRange(static_cast<Cardinal>(next), 4)) return false;
    ReadAt(static_cast<Cardinal>(next), buf, 4);
    offset = Load32(buf);
    --ImageIndex;
  }
}

const TTIFFEntry* TTIFFDirectory::Find(Word Tag) const {
  auto it = std::lower_bound(FEntries.begin(), FEntries.end(), Tag,
                             [](const TTIFFEntry& e, Word t) { return e.Tag < t; });
  if (it == FEntries.end() || it->Tag != Tag) return nullptr;
  return &*it;
}

Cardinal TTIFFDirectory::GetValue(Word Tag, Cardinal Default) const {
  const TTIFFEntry* e = Find(Tag);
  if (!e || e->Count != 1) return Default;
  switch (e->Type) {
    case ttByte:
    case ttSByte:
      return e->Value[0];
    case ttShort:
    case ttSShort:
      return Load16(e->Value);
    case ttLong:
    case ttSLong:
      return Load32(e->Value);
    default:
      return Default;
  }
}

void TTIFFDirectory::ValueBytes(const TTIFFEntry& Entry, TByteArray& Data) const {
  Cardinal size = TIFFTypeSize(Entry.Type);
  std::uint64_t total = std::uint64_t(size) * Entry.Count;
  if (total <= 4) {
    Data.assign(Entry.Value, Entry.Value + total);
    return;
  }
  Cardinal offset = Load32(Entry.Value);
  // Out-of-entry data must lie in the file before anything is allocated for it.
  if (total > 0xFFFFFFFFu || !InRange(offset, static_cast<Cardinal>(total)))
    ImageFormatError(imgmsg::StreamReadError, {FFormatName});
  Data.resize(static_cast<std::size_t>(total));
  ReadAt(offset, Data.data(), static_cast<Cardinal>(total));
}

void TTIFFDirectory::GetRawData(Word Tag, TByteArray& Data) const {
  Data.clear();
  const TTIFFEntry* e = Find(Tag);
  if (!e || TIFFTypeSize(e->Type) == 0) return;
  ValueBytes(*e, Data);
}

Single TTIFFDirectory::GetFloatValue(Word Tag, Single Default) const {
  const TTIFFEntry* e = Find(Tag);
  if (!e || e->Count != 1) return Default;
  if (e->Type == ttRational || e->Type == ttSRational) {
    TFloatArray values;
    GetValueList(Tag, values);
    return values.empty() ? Default : values[0];
  }
  if (TIFFTypeSize(e->Type) == 0) return Default;
  return static_cast<Single>(GetValue(Tag, 0));
}

void TTIFFDirectory::GetValueList(Word Tag, TCardinalArray& Values) const {
  Values.clear();
  const TTIFFEntry* e = Find(Tag);
  if (!e) return;
  Cardinal size = TIFFTypeSize(e->Type);
  if (size == 0 || size == 8) return;
  TByteArray data;
  ValueBytes(*e, data);
  Values.resize(e->Count);
  for (Cardinal i = 0; i < e->Count; ++i) {
    const Byte* p = data.data() + std::size_t(i) * size;
    Values[i] = size == 1 ? p[0] : size == 2 ? Load16(p) : Load32(p);
  }
}

void TTIFFDirectory::GetValueList(Word Tag, TByteArray& Values) const {
  TCardinalArray all;
  GetValueList(Tag, all);
  Values.resize(all.size());
  for (std::size_t i = 0; i < all.size(); ++i) Values[i] = static_cast<Byte>(all[i]);
}

void TTIFFDirectory::GetValueList(Word Tag, TFloatArray& Values) const {
  Values.clear();
  const TTIFFEntry* e = Find(Tag);
  if (!e) return;
  Cardinal size = TIFFTypeSize(e->Type);
  if (size == 0) return;
  TByteArray data;
  ValueBytes(*e, data);
  Values.resize(e->Count);
  for (Cardinal i = 0; i < e->Count; ++i) {
    const Byte* p = data.data() + std::size_t(i) * size;
    if (size == 8) {
      Cardinal num = Load32(p);
      Cardinal den = Load32(p + 4);
      if (e->Type == ttSRational)
        Values[i] = den == 0 ? 0.0f : static_cast<Single>(double(Integer(num)) / double(Integer(den)));
      else
        Values[i] = den == 0 ? 0.0f : static_cast<Single>(double(num) / double(den));
    } else {
      Values[i] = static_cast<Single>(size == 1 ? p[0] : size == 2 ? Load16(p) : Load32(p));
    }
  }
}
