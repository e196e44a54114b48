#pragma once
// The host's scene: a tree of nodes addressed by handles that are never reused, each with
// a name, a type code, keyframed position / rotation (degrees) / scale and, for
// polyhedra, geometry. A node is evaluated at its own time when one was set for it,
// else at the scene's evaluation time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/host/keyframes.h"
#include "platform/host/polyhedron.h"
#include "platform/host/tsxapi.h"

namespace host {

using NodeId = std::uintptr_t;

struct Node {
  NodeId id = 0;
  std::string name;
  int type = e_tsxGROUP;
  NodeId parent = 0;
  std::vector<NodeId> children;
  bool attached = false;  // in the tree (created objects are not until added)
  Track position{{0, 0, 0}};
  Track rotation{{0, 0, 0}};
  Track scale{{1, 1, 1}};
  std::optional<float> time;
  std::unique_ptr<Polyhedron> polyhedron;
  CtsxVec3f color{0.8f, 0.8f, 0.8f};
  // A plug-in chunk read while its type had no file callback, written back as it came.
  std::vector<std::uint8_t> storedChunk;
  bool deleting = false;
};

enum class Channel { Position, Rotation, Scale };

class Scene {
 public:
  static void* Handle(NodeId id) { return reinterpret_cast<void*>(id); }
  static void* Handle(const Node& n) { return Handle(n.id); }

  Node* Find(const void* handle);
  const Node* Find(const void* handle) const;
  Node* FindId(NodeId id) { return Find(Handle(id)); }

  Node& Create(int type, std::string name);  // outside the tree
  void AttachTopLevel(Node& node);
  void AttachChild(Node& parent, Node& child);
  void AttachAfter(const Node& sibling, Node& node);  // as the next sibling
  // Removes a node and everything below it; its handles become invalid.
  void Destroy(NodeId id);
  void Clear();

  const std::vector<NodeId>& TopLevel() const { return topLevel_; }
  std::vector<NodeId> PreOrder() const;             // attached nodes in tree order
  std::vector<NodeId> Subtree(NodeId id) const;     // the node, then below it, pre-order
  NodeId NextSibling(const Node& node) const;
  bool IsBelow(NodeId node, NodeId ancestor) const; // strictly below

  float time = 0.0f;  // the scene's evaluation time
  NodeId selected = 0;

  float TimeOf(const Node& n) const { return n.time.value_or(time); }
  void SetTime(float t);  // the whole scene, dropping per-node times
  static Track& TrackOf(Node& n, Channel c);
  CtsxTxmx3f Local(const Node& n) const;
  CtsxTxmx3f World(const Node& n) const;

 private:
  void Detach(Node& node);
  std::unordered_map<NodeId, std::unique_ptr<Node>> nodes_;
  std::vector<NodeId> topLevel_;
};

}  // namespace host
