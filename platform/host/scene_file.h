#pragma once
// The host's own scene file (little-endian):
//   "QMHSCENE", u32 version 1, f32 active time, u32 node count, then per node in tree
//   order: type name (u32 length + bytes: "#group", "#polyhedron" or a plug-in type's
//   name), name, i32 parent index (-1 at the top level, else an earlier node), position,
//   rotation and scale tracks (u32 key count, then f32 frame, x, y, z per key, frames
//   rising), f32 colour R, G, B; a polyhedron adds u32 vertex count and x, y, z each, u32
//   UV count and u, v each, u32 face count and per face u32 corner count and i32 vertex,
//   i32 UV per corner; a plug-in object adds u32 length and its chunk, which the type's
//   file callback writes and reads.
// Loading reads and checks the whole file before the scene is touched; a bad file raises
// HostError and leaves the scene as it was.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/host/host_state.h"

namespace host {

void SaveSceneFile(HostState& s, const std::string& path);
void LoadSceneFile(HostState& s, const std::string& path);
// The same from bytes in memory.
void LoadSceneBytes(HostState& s, const std::uint8_t* data, size_t size);

// fread/fwrite on the chunk of the file callback that is running; 0 for any other fd.
size_t ChunkRead(HostState& s, void* buffer, size_t size, size_t count, tsxFILE* fd);
size_t ChunkWrite(HostState& s, const void* buffer, size_t size, size_t count, tsxFILE* fd);

}  // namespace host
