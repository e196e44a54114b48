#include "platform/host/scene_file.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <unordered_map>

#include "platform/filesave/whole_file_save.h"
#include "platform/host/byte_io.h"
#include "platform/host/host_error.h"

namespace host {

namespace {

constexpr char kMagic[8] = {'Q', 'M', 'H', 'S', 'C', 'E', 'N', 'E'};
constexpr std::uint32_t kVersion = 1;
constexpr const char* kGroupName = "#group";
constexpr const char* kPolyhedronName = "#polyhedron";
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t(1) << 31;

std::uintptr_t NextChunkId() {
  static std::uintptr_t next = 0xF11E000;
  next += 16;
  return next;
}

// Puts a chunk in place for the file callback and takes it away afterwards.
class ChunkScope {
 public:
  ChunkScope(HostState& s, ChunkFile& c) : s_(s), saved_(s.chunk) { s.chunk = &c; }
  ~ChunkScope() { s_.chunk = saved_; }
  ChunkScope(const ChunkScope&) = delete;
  ChunkScope& operator=(const ChunkScope&) = delete;

 private:
  HostState& s_;
  ChunkFile* saved_;
};

void WriteTrack(ByteWriter& w, const Track& t) {
  w.U32(static_cast<std::uint32_t>(t.Keys().size()));
  for (const Key& k : t.Keys()) {
    w.F32(k.frame);
    w.F32(k.value.x);
    w.F32(k.value.y);
    w.F32(k.value.z);
  }
}

struct ParsedNode {
  int type = e_tsxGROUP;
  std::string name;
  int parent = -1;
  Track position{{0, 0, 0}}, rotation{{0, 0, 0}}, scale{{1, 1, 1}};
  CtsxVec3f color{0.8f, 0.8f, 0.8f};
  std::unique_ptr<Polyhedron> polyhedron;
  std::vector<std::uint8_t> chunk;
};

float Finite(ByteReader& r, const char* what) {
  const float f = r.F32(what);
  if (!std::isfinite(f)) throw HostError(std::string("Scene file has a value that is not a number in ") + what);
  return f;
}

void ReadTrack(ByteReader& r, Track& t, const char* what) {
  t.Clear();
  const std::uint32_t n = r.Count(16, what);
  float last = -std::numeric_limits<float>::infinity();
  for (std::uint32_t i = 0; i < n; ++i) {
    const float frame = Finite(r, what);
    if (!(frame > last)) throw HostError(std::string("Scene file has keys out of order in ") + what);
    last = frame;
    const float x = Finite(r, what), y = Finite(r, what), z = Finite(r, what);
    t.Set(frame, {x, y, z});
  }
}

std::unique_ptr<Polyhedron> ReadPolyhedron(ByteReader& r) {
  std::vector<CtsxVec3f> vertices(r.Count(12, "vertices"));
  for (CtsxVec3f& v : vertices) v = {Finite(r, "vertices"), Finite(r, "vertices"), Finite(r, "vertices")};
  std::vector<CtsxUV> uvs(r.Count(8, "UVs"));
  for (CtsxUV& uv : uvs) uv = {Finite(r, "UVs"), Finite(r, "UVs")};
  std::vector<FaceSpec> faces(r.Count(4, "faces"));
  for (FaceSpec& f : faces) {
    const std::uint32_t corners = r.Count(8, "faces");
    if (corners < 3 || corners > INT16_MAX) throw HostError("Scene file has a face of " + std::to_string(corners) + " corners");
    f.vertices.resize(corners);
    f.uvs.resize(corners);
    for (std::uint32_t k = 0; k < corners; ++k) {
      f.vertices[k] = r.I32("faces");
      f.uvs[k] = r.I32("faces");
    }
  }
  try {
    return Polyhedron::Make(std::move(vertices), std::move(uvs), faces);
  } catch (const HostError& e) {
    throw HostError(std::string("Scene file has a bad polyhedron: ") + e.what());
  }
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) throw HostError("Cannot open scene file \"" + path + "\": " + ec.message());
  if (size > kMaxFileSize) throw HostError("Scene file \"" + path + "\" is too large");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostError("Cannot open scene file \"" + path + "\"");
  std::vector<std::uint8_t> bytes(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    throw HostError("Cannot read scene file \"" + path + "\"");
  return bytes;
}

std::vector<ParsedNode> Parse(HostState& s, const std::uint8_t* data, size_t size, float& activeTime) {
  ByteReader r(data, size);
  const std::uint8_t* magic = r.Take(sizeof kMagic, "the header");
  if (std::memcmp(magic, kMagic, sizeof kMagic) != 0) throw HostError("Not a scene file of this host");
  const std::uint32_t version = r.U32("the header");
  if (version != kVersion) throw HostError("Scene file version " + std::to_string(version) + " is not supported");
  activeTime = Finite(r, "the header");
  // The smallest node record: two empty strings, a parent, three empty tracks, a colour.
  const std::uint32_t count = r.Count(4 + 4 + 4 + 12 + 12, "the node count");
  std::vector<ParsedNode> nodes(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    ParsedNode& n = nodes[i];
    const std::string typeName = r.String("a node's type");
    if (typeName == kGroupName) {
      n.type = e_tsxGROUP;
    } else if (typeName == kPolyhedronName) {
      n.type = e_tsxPOLYHEDRON;
    } else if (ObjectType* t = FindTypeByName(s, typeName)) {
      n.type = t->id;
    } else {
      throw HostError("Scene file refers to the undefined object type \"" + typeName + "\"");
    }
    n.name = r.String("a node's name");
    n.parent = r.I32("a node's parent");
    if (n.parent < -1 || n.parent >= static_cast<int>(i))
      throw HostError("Scene file node " + std::to_string(i) + " has a bad parent index");
    if (n.parent >= 0 && nodes[n.parent].type < e_tsxGROUP)
      throw HostError("Scene file node " + std::to_string(i) + " lies below an object that holds no children");
    ReadTrack(r, n.position, "position keys");
    ReadTrack(r, n.rotation, "rotation keys");
    ReadTrack(r, n.scale, "scale keys");
    n.color = {Finite(r, "a colour"), Finite(r, "a colour"), Finite(r, "a colour")};
    if (n.type == e_tsxPOLYHEDRON) n.polyhedron = ReadPolyhedron(r);
    if (n.type < e_tsxGROUP) n.chunk = r.Bytes(r.Count(1, "a plug-in chunk"), "a plug-in chunk");
  }
  if (r.Left() != 0) throw HostError("Scene file has " + std::to_string(r.Left()) + " bytes after its last node");
  return nodes;
}

}  // namespace

void SaveSceneFile(HostState& s, const std::string& path) {
  ByteWriter w;
  w.Bytes(kMagic, sizeof kMagic);
  w.U32(kVersion);
  w.F32(s.activeTime);
  const std::vector<NodeId> order = s.scene.PreOrder();
  std::unordered_map<NodeId, int> index;
  w.U32(static_cast<std::uint32_t>(order.size()));
  for (size_t i = 0; i < order.size(); ++i) {
    Node* n = s.scene.FindId(order[i]);
    if (!n) throw HostError("The scene changed while it was being saved");
    index[n->id] = static_cast<int>(i);
    ObjectType* type = TypeOf(s, *n);
    if (n->type == e_tsxPOLYHEDRON) w.String(kPolyhedronName);
    else if (type) w.String(type->name);
    else w.String(kGroupName);
    w.String(n->name);
    w.I32(n->parent != 0 ? index.at(n->parent) : -1);
    WriteTrack(w, n->position);
    WriteTrack(w, n->rotation);
    WriteTrack(w, n->scale);
    w.F32(n->color.x);
    w.F32(n->color.y);
    w.F32(n->color.z);
    if (n->polyhedron) {
      const Polyhedron& p = *n->polyhedron;
      w.U32(static_cast<std::uint32_t>(p.Vertices().size()));
      for (const CtsxVec3f& v : p.Vertices()) w.F32(v.x), w.F32(v.y), w.F32(v.z);
      w.U32(static_cast<std::uint32_t>(p.UVs().size()));
      for (const CtsxUV& uv : p.UVs()) w.F32(uv.u), w.F32(uv.v);
      w.U32(static_cast<std::uint32_t>(p.FaceCount()));
      for (int f = 0; f < p.FaceCount(); ++f) {
        const tsxFACE& face = p.Face(f);
        w.U32(static_cast<std::uint32_t>(face.nbrCorners));
        for (int k = 0; k < face.nbrCorners; ++k) w.I32(face.corners[k].vertexIndex), w.I32(face.corners[k].uvIndex);
      }
    }
    if (n->type >= e_tsxFIRST_PLUGIN_TYPE && n->type <= e_tsxLAST_PLUGIN_TYPE) {
      std::vector<std::uint8_t> chunk;
      if (type && type->callbacks.fileIO) {
        ChunkFile c;
        c.id = NextChunkId();
        c.reading = false;
        c.out = &chunk;
        ChunkScope scope(s, c);
        CallingPlugin calling(s, type->owner);
        type->callbacks.fileIO(Scene::Handle(order[i]), reinterpret_cast<tsxFILE*>(c.id), e_tsxFILE_WRITE,
                               e_tsxFILE_BINARY);
      } else if (Node* again = s.scene.FindId(order[i])) {
        chunk = again->storedChunk;
      }
      if (chunk.size() > UINT32_MAX) throw HostError("A plug-in chunk is too large");
      w.U32(static_cast<std::uint32_t>(chunk.size()));
      w.Bytes(chunk.data(), chunk.size());
    }
  }
  try {
    filesave::SaveWholeFile(path, w.Data().data(), w.Data().size());
  } catch (const filesave::SaveError& e) {
    throw HostError(std::string("The scene was not saved. ") + e.what());
  }
}

void LoadSceneFile(HostState& s, const std::string& path) {
  if (s.rendering) throw HostError("Cannot load a scene while rendering");
  const std::vector<std::uint8_t> bytes = ReadFile(path);
  try {
    LoadSceneBytes(s, bytes.data(), bytes.size());
  } catch (const HostError& e) {
    // The reader's messages know no file name: the user needs it.
    const std::string message = e.what(), lead = "Scene file ", named = "Scene file \"" + path + "\"";
    if (message.rfind(lead, 0) == 0) throw HostError(named + " " + message.substr(lead.size()));
    throw HostError(named + ": " + message);
  }
}

void LoadSceneBytes(HostState& s, const std::uint8_t* data, size_t size) {
  if (s.rendering) throw HostError("Cannot load a scene while rendering");
  float activeTime = 0.0f;
  std::vector<ParsedNode> parsed = Parse(s, data, size, activeTime);

  // The file is sound: the old scene goes, its plug-in objects through their callbacks.
  RaiseGeneralEvent(s, e_tsxGENERAL_SCENE_CLOSE);
  const std::vector<NodeId> old = s.scene.TopLevel();
  for (NodeId id : old) DeleteObject(s, id);
  s.scene.Clear();
  s.activeTime = activeTime;
  s.scene.SetTime(activeTime);

  std::vector<NodeId> ids(parsed.size());
  for (size_t i = 0; i < parsed.size(); ++i) {
    ParsedNode& p = parsed[i];
    Node& n = s.scene.Create(p.type, p.name);
    n.position = std::move(p.position);
    n.rotation = std::move(p.rotation);
    n.scale = std::move(p.scale);
    n.color = p.color;
    n.polyhedron = std::move(p.polyhedron);
    if (p.parent < 0) s.scene.AttachTopLevel(n);
    else s.scene.AttachChild(*s.scene.FindId(ids[p.parent]), n);
    ids[i] = n.id;
  }
  for (size_t i = 0; i < parsed.size(); ++i) {
    Node* n = s.scene.FindId(ids[i]);
    if (!n || n->type >= e_tsxGROUP) continue;
    ObjectType* type = TypeOf(s, *n);
    if (!type || !type->callbacks.fileIO) {
      n->storedChunk = std::move(parsed[i].chunk);  // kept for the next save
      continue;
    }
    ChunkFile c;
    c.id = NextChunkId();
    c.reading = true;
    c.data = parsed[i].chunk.data();
    c.size = parsed[i].chunk.size();
    ChunkScope scope(s, c);
    CallingPlugin calling(s, type->owner);
    type->callbacks.fileIO(Scene::Handle(ids[i]), reinterpret_cast<tsxFILE*>(c.id), e_tsxFILE_READ,
                           e_tsxFILE_BINARY);
  }
  RaiseGeneralEvent(s, e_tsxGENERAL_SCENE_LOAD);
}

size_t ChunkRead(HostState& s, void* buffer, size_t size, size_t count, tsxFILE* fd) {
  ChunkFile* c = s.chunk;
  if (!c || !c->reading || reinterpret_cast<std::uintptr_t>(fd) != c->id || !buffer || size == 0) return 0;
  if (count > std::numeric_limits<size_t>::max() / size) return 0;
  // As fread: as many bytes as there are, the count of whole items read.
  const size_t want = size * count;
  const size_t n = std::min(want, c->size - c->pos);
  if (n > 0) std::memcpy(buffer, c->data + c->pos, n);
  c->pos += n;
  return n / size;
}

size_t ChunkWrite(HostState& s, const void* buffer, size_t size, size_t count, tsxFILE* fd) {
  ChunkFile* c = s.chunk;
  if (!c || c->reading || !c->out || reinterpret_cast<std::uintptr_t>(fd) != c->id || !buffer || size == 0) return 0;
  if (count > std::numeric_limits<size_t>::max() / size) return 0;
  const size_t n = size * count;
  if (n > (std::size_t(1) << 30) - c->out->size()) return 0;  // a chunk stays below 1 GiB
  const auto* b = static_cast<const std::uint8_t*>(buffer);
  c->out->insert(c->out->end(), b, b + n);
  return count;
}

}  // namespace host
