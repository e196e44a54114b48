#pragma once
// The raw bytes of the plug-in's scene chunks that made no object (damaged, or written by
// a later version), per host object. The host's next save gets them back unchanged, so
// that nothing the user saved is lost and a later version can still read them.
#include <map>
#include <string>
#include <vector>

#include "platform/classlib/streams.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TKeptChunks {
 public:
  void Keep(tsxSOBJ* Handle, TMemoryStream& Chunk);
  void Drop(tsxSOBJ* Handle);
  // Writes the bytes kept for Handle; false when none are kept.
  bool WriteBack(tsxSOBJ* Handle, TStream& Stream) const;
  // The clone of a kept object keeps the same bytes; false when Source has none.
  bool Copy(tsxSOBJ* Source, tsxSOBJ* Clone);

 private:
  std::map<tsxSOBJ*, std::vector<Byte>> chunks_;
};

// Every byte the stream still gives (a host chunk is bounded) into Out, left at position 0.
void ReadWholeChunk(TStream& Stream, TMemoryStream& Out);

// "The emitter "Name" in the scene could not be read" when the record's leading name
// (after the version and size words) is there and printable, else "An emitter in the
// scene could not be read"; Kind is "emitter" or "tool".
std::string UnreadableObjectText(const std::string& Kind, TMemoryStream& Chunk);
