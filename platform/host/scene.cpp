#include "platform/host/scene.h"

#include <algorithm>

#include "platform/host/math3d.h"

namespace host {

namespace {
// Handles look like aligned pointers and are never reused, not even after a reset, so a
// stale handle from an earlier scene cannot reach a new node.
NodeId NextNodeId() {
  static NodeId next = 0x10000;
  next += 16;
  return next;
}
}  // namespace

Node* Scene::Find(const void* handle) {
  auto it = nodes_.find(reinterpret_cast<NodeId>(handle));
  return it == nodes_.end() ? nullptr : it->second.get();
}

const Node* Scene::Find(const void* handle) const {
  auto it = nodes_.find(reinterpret_cast<NodeId>(handle));
  return it == nodes_.end() ? nullptr : it->second.get();
}

Node& Scene::Create(int type, std::string name) {
  auto node = std::make_unique<Node>();
  node->id = NextNodeId();
  node->type = type;
  node->name = std::move(name);
  Node& ref = *node;
  nodes_.emplace(ref.id, std::move(node));
  return ref;
}

void Scene::Detach(Node& node) {
  if (!node.attached) return;
  if (node.parent != 0) {
    if (Node* p = FindId(node.parent)) std::erase(p->children, node.id);
  } else {
    std::erase(topLevel_, node.id);
  }
  node.parent = 0;
  node.attached = false;
}

void Scene::AttachTopLevel(Node& node) {
  Detach(node);
  topLevel_.push_back(node.id);
  node.attached = true;
}

void Scene::AttachChild(Node& parent, Node& child) {
  Detach(child);
  parent.children.push_back(child.id);
  child.parent = parent.id;
  child.attached = true;
}

void Scene::AttachAfter(const Node& sibling, Node& node) {
  Detach(node);
  std::vector<NodeId>* list = &topLevel_;
  if (sibling.parent != 0) {
    Node* p = FindId(sibling.parent);
    if (!p) return;
    list = &p->children;
  }
  auto it = std::find(list->begin(), list->end(), sibling.id);
  list->insert(it == list->end() ? list->end() : it + 1, node.id);
  node.parent = sibling.parent;
  node.attached = true;
}

void Scene::Destroy(NodeId id) {
  Node* n = FindId(id);
  if (!n) return;
  const std::vector<NodeId> ids = Subtree(id);
  Detach(*n);
  for (NodeId i : ids) {
    if (selected == i) selected = 0;
    nodes_.erase(i);
  }
}

void Scene::Clear() {
  nodes_.clear();
  topLevel_.clear();
  selected = 0;
  time = 0.0f;
}

std::vector<NodeId> Scene::Subtree(NodeId id) const {
  std::vector<NodeId> out;
  std::vector<NodeId> stack{id};
  while (!stack.empty()) {
    const NodeId cur = stack.back();
    stack.pop_back();
    auto it = nodes_.find(cur);
    if (it == nodes_.end()) continue;
    out.push_back(cur);
    const auto& ch = it->second->children;
    for (auto c = ch.rbegin(); c != ch.rend(); ++c) stack.push_back(*c);
  }
  return out;
}

std::vector<NodeId> Scene::PreOrder() const {
  std::vector<NodeId> out;
  for (NodeId top : topLevel_) {
    std::vector<NodeId> sub = Subtree(top);
    out.insert(out.end(), sub.begin(), sub.end());
  }
  return out;
}

NodeId Scene::NextSibling(const Node& node) const {
  if (!node.attached) return 0;
  const std::vector<NodeId>* list = &topLevel_;
  if (node.parent != 0) {
    const Node* p = Find(Handle(node.parent));
    if (!p) return 0;
    list = &p->children;
  }
  auto it = std::find(list->begin(), list->end(), node.id);
  if (it == list->end() || it + 1 == list->end()) return 0;
  return *(it + 1);
}

bool Scene::IsBelow(NodeId node, NodeId ancestor) const {
  const Node* n = Find(Handle(node));
  while (n && n->parent != 0) {
    if (n->parent == ancestor) return true;
    n = Find(Handle(n->parent));
  }
  return false;
}

void Scene::SetTime(float t) {
  time = t;
  for (auto& [id, node] : nodes_) node->time.reset();
}

Track& Scene::TrackOf(Node& n, Channel c) {
  switch (c) {
    case Channel::Position: return n.position;
    case Channel::Rotation: return n.rotation;
    case Channel::Scale: break;
  }
  return n.scale;
}

CtsxTxmx3f Scene::Local(const Node& n) const {
  const float t = TimeOf(n);
  return Multiply(Translation(n.position.At(t)),
                  Multiply(EulerDegrees(n.rotation.At(t)), ScaleMatrix(n.scale.At(t))));
}

CtsxTxmx3f Scene::World(const Node& n) const {
  CtsxTxmx3f m = Local(n);
  const Node* p = n.parent ? Find(Handle(n.parent)) : nullptr;
  // Parent chains are finite: attaching never makes a node its own ancestor.
  while (p) {
    m = Multiply(Local(*p), m);
    p = p->parent ? Find(Handle(p->parent)) : nullptr;
  }
  return m;
}

}  // namespace host
