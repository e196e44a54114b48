#include "apps/hostsim/scene_description.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include <nlohmann/json.hpp>

#include "apps/hostsim/hostsim_error.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw HostsimError("scene: " + (where.empty() ? what : where + ": " + what));
}

// Every member must be one of `allowed`: a misspelt key is an error, not a silent default.
void CheckKeys(const json& j, const std::string& where, std::initializer_list<const char*> allowed) {
  if (!j.is_object()) Fail(where, "must be an object");
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (const char* a : allowed) known = known || it.key() == a;
    if (!known) Fail(where, "unknown member \"" + it.key() + "\"");
  }
}

float Number(const json& j, const std::string& where) {
  if (!j.is_number()) Fail(where, "must be a number");
  const double v = j.get<double>();
  if (!std::isfinite(v) || std::fabs(v) > 1e7) Fail(where, "is out of range");
  return static_cast<float>(v);
}

float PositiveNumber(const json& j, const std::string& where) {
  const float v = Number(j, where);
  if (!(v > 0.0f)) Fail(where, "must be greater than 0");
  return v;
}

CtsxVec3f Vector(const json& j, const std::string& where) {
  if (!j.is_array() || j.size() != 3) Fail(where, "must be three numbers [x, y, z]");
  return {Number(j[0], where), Number(j[1], where), Number(j[2], where)};
}

// A channel is one value [x, y, z] (a key at frame 0) or a list of [frame, x, y, z].
std::vector<Key> Channel(const json& j, const std::string& where) {
  if (!j.is_array() || j.empty()) Fail(where, "must be [x, y, z] or a list of [frame, x, y, z]");
  if (!j[0].is_array()) return {Key{0.0f, Vector(j, where)}};
  std::vector<Key> keys;
  for (std::size_t i = 0; i < j.size(); ++i) {
    const std::string at = where + "[" + std::to_string(i) + "]";
    const json& k = j[i];
    if (!k.is_array() || k.size() != 4) Fail(at, "must be [frame, x, y, z]");
    keys.push_back(Key{Number(k[0], at), {Number(k[1], at), Number(k[2], at), Number(k[3], at)}});
  }
  return keys;
}

Motion ReadMotion(const json& j, const std::string& where) {
  Motion m;
  if (j.contains("position")) m.position = Channel(j["position"], where + ".position");
  if (j.contains("rotation")) m.rotation = Channel(j["rotation"], where + ".rotation");
  if (j.contains("scale")) m.scale = Channel(j["scale"], where + ".scale");
  return m;
}

std::string Text(const json& j, const std::string& where) {
  if (!j.is_string()) Fail(where, "must be a string");
  return j.get<std::string>();
}

// An existing regular file with the given extension, made absolute against `base`.
std::string SettingsFile(const json& j, const std::string& where, const std::string& base, const char* ext) {
  const std::string name = Text(j, where);
  fs::path p(name);
  if (p.extension() != ext) Fail(where, "\"" + name + "\" is not a " + ext + " file");
  if (p.is_relative()) p = fs::path(base) / p;
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) Fail(where, "file not found: " + p.string());
  return fs::absolute(p).lexically_normal().string();
}

host::Camera ReadCamera(const json& j) {
  CheckKeys(j, "camera", {"eye", "target", "up", "fov"});
  host::Camera c;
  if (j.contains("eye")) c.eye = Vector(j["eye"], "camera.eye");
  if (j.contains("target")) c.target = Vector(j["target"], "camera.target");
  if (j.contains("up")) c.up = Vector(j["up"], "camera.up");
  if (j.contains("fov")) {
    c.fovDegrees = Number(j["fov"], "camera.fov");
    if (!(c.fovDegrees >= 1.0f && c.fovDegrees <= 170.0f)) Fail("camera.fov", "must lie in 1..170 degrees");
  }
  const CtsxVec3f d{c.target.x - c.eye.x, c.target.y - c.eye.y, c.target.z - c.eye.z};
  if (d.x == 0 && d.y == 0 && d.z == 0) Fail("camera", "eye and target are the same point");
  // The up vector must not be parallel to the view direction.
  const CtsxVec3f x{d.y * c.up.z - d.z * c.up.y, d.z * c.up.x - d.x * c.up.z, d.x * c.up.y - d.y * c.up.x};
  if (x.x == 0 && x.y == 0 && x.z == 0) Fail("camera.up", "is parallel to the view direction");
  return c;
}

SceneObject ReadObject(const json& j, const std::string& where) {
  CheckKeys(j, where, {"kind", "name", "size", "colour", "position", "rotation", "scale"});
  SceneObject o;
  if (!j.contains("kind")) Fail(where, "needs a \"kind\" (cube, plane or sphere)");
  const std::string kind = Text(j["kind"], where + ".kind");
  if (kind == "cube")
    o.kind = ShapeKind::Cube;
  else if (kind == "plane")
    o.kind = ShapeKind::Plane;
  else if (kind == "sphere")
    o.kind = ShapeKind::Sphere;
  else
    Fail(where + ".kind", "unknown kind \"" + kind + "\" (cube, plane or sphere)");
  o.name = j.contains("name") ? Text(j["name"], where + ".name") : kind;
  if (j.contains("size")) {
    const json& s = j["size"];
    if (s.is_array() && o.kind == ShapeKind::Plane) {
      if (s.size() != 2) Fail(where + ".size", "must be a number or [width, height]");
      o.width = PositiveNumber(s[0], where + ".size");
      o.height = PositiveNumber(s[1], where + ".size");
    } else {
      o.width = o.height = PositiveNumber(s, where + ".size");
    }
  }
  if (j.contains("colour")) {
    o.colour = Vector(j["colour"], where + ".colour");
    for (float c : {o.colour.x, o.colour.y, o.colour.z})
      if (c < 0.0f || c > 1.0f) Fail(where + ".colour", "components must lie in 0..1");
  }
  o.motion = ReadMotion(j, where);
  return o;
}

SceneEmitter ReadEmitter(const json& j, const std::string& where, const std::string& base) {
  CheckKeys(j, where, {"settings", "system", "position", "rotation", "scale"});
  SceneEmitter e;
  if (j.contains("settings")) e.settings = SettingsFile(j["settings"], where + ".settings", base, ".zke");
  if (j.contains("system")) e.system = SettingsFile(j["system"], where + ".system", base, ".zks");
  e.motion = ReadMotion(j, where);
  return e;
}

SceneTool ReadTool(const json& j, const std::string& where) {
  CheckKeys(j, where, {"kind", "position", "rotation", "scale"});
  if (!j.contains("kind")) Fail(where, "needs a \"kind\"");
  SceneTool t;
  t.kind = Text(j["kind"], where + ".kind");
  bool known = false;
  for (const std::string& k : ToolKinds()) known = known || k == t.kind;
  if (!known) Fail(where + ".kind", "unknown tool \"" + t.kind + "\"");
  t.motion = ReadMotion(j, where);
  return t;
}

const json& List(const json& root, const char* name) {
  const json& l = root[name];
  if (!l.is_array()) Fail(name, "must be a list");
  return l;
}

}  // namespace

const std::vector<std::string>& ToolKinds() {
  static const std::vector<std::string> kinds = {"Deflector", "Attractor", "Repulsor", "Gravitron", "Fan", "Leader"};
  return kinds;
}

SceneDescription ParseSceneDescription(const std::string& text, const std::string& baseFolder) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& e) {
    throw HostsimError(std::string("scene: not valid JSON: ") + e.what());
  }
  CheckKeys(root, "", {"camera", "objects", "emitters", "tools"});
  SceneDescription d;
  if (root.contains("camera")) d.camera = ReadCamera(root["camera"]);
  if (root.contains("objects")) {
    const json& l = List(root, "objects");
    for (std::size_t i = 0; i < l.size(); ++i) d.objects.push_back(ReadObject(l[i], "objects[" + std::to_string(i) + "]"));
  }
  if (root.contains("emitters")) {
    const json& l = List(root, "emitters");
    for (std::size_t i = 0; i < l.size(); ++i)
      d.emitters.push_back(ReadEmitter(l[i], "emitters[" + std::to_string(i) + "]", baseFolder));
  }
  if (root.contains("tools")) {
    const json& l = List(root, "tools");
    for (std::size_t i = 0; i < l.size(); ++i) d.tools.push_back(ReadTool(l[i], "tools[" + std::to_string(i) + "]"));
  }
  return d;
}

SceneDescription ReadSceneDescription(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostsimError("scene: cannot open " + path);
  std::ostringstream text;
  text << in.rdbuf();
  const fs::path folder = fs::absolute(fs::path(path)).parent_path();
  return ParseSceneDescription(text.str(), folder.string());
}

SceneEmitter EmitterFromFile(const std::string& path) {
  SceneEmitter e;
  e.settings = SettingsFile(json(path), "--emitter", fs::current_path().string(), ".zke");
  return e;
}
