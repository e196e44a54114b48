#pragma once
// The scene hostsim renders, read from our own JSON description (see README.md). Reading
// checks everything — kinds, numbers, key shapes, that every settings file exists — before
// anything reaches the host, so a bad description never leaves half a scene.
#include <optional>
#include <string>
#include <vector>

#include "platform/host/host.h"

struct Key {
  float frame = 0.0f;
  CtsxVec3f value{0.0f, 0.0f, 0.0f};
};

// Keys of the three channels a node carries.
struct Motion {
  std::vector<Key> position, rotation, scale;
};

enum class ShapeKind { Cube, Plane, Sphere };

struct SceneObject {
  ShapeKind kind = ShapeKind::Cube;
  std::string name;
  float width = 1.0f;   // cube edge, plane width, sphere diameter
  float height = 1.0f;  // plane height (others: as width)
  CtsxVec3f colour{0.8f, 0.8f, 0.8f};
  Motion motion;
};

struct SceneEmitter {
  std::string settings;  // absolute ".zke" path; empty: the default system
  std::string system;    // absolute ".zks" path added as a further system; empty: none
  Motion motion;
};

struct SceneTool {
  std::string kind;  // "Deflector", "Fan", "Attractor", "Repulsor", "Gravitron", "Leader"
  Motion motion;
};

struct SceneDescription {
  host::Camera camera;
  std::vector<SceneObject> objects;
  std::vector<SceneEmitter> emitters;
  std::vector<SceneTool> tools;
};

// Parses a description; relative file names are taken from `baseFolder`. Throws
// HostsimError naming what is wrong and where.
SceneDescription ParseSceneDescription(const std::string& json, const std::string& baseFolder);
SceneDescription ReadSceneDescription(const std::string& path);

// An emitter at the origin with the given ".zke" settings, checked like the description's.
SceneEmitter EmitterFromFile(const std::string& path);

// The tool kinds in the toolbox's menu order.
const std::vector<std::string>& ToolKinds();
