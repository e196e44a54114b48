#include "apps/hostsim/demo_scene.h"

#include <filesystem>

#include "apps/hostsim/hostsim_error.h"

host::Camera DemoCamera() {
  host::Camera c;
  c.eye = {0.0f, 3.0f, 12.0f};
  c.target = {0.0f, 1.5f, 0.0f};
  c.up = {0.0f, 1.0f, 0.0f};
  c.fovDegrees = 45.0f;
  return c;
}

SceneDescription DemoScene() {
  const std::filesystem::path example = std::filesystem::path(QM_EXAMPLES_DIR) / "single_system.zks";
  std::error_code ec;
  if (!std::filesystem::is_regular_file(example, ec))
    throw HostsimError("demo: " + example.string() + " is missing; scripts/make_examples.sh makes it");
  SceneDescription d;
  d.camera = DemoCamera();

  SceneObject ground;
  ground.kind = ShapeKind::Plane;
  ground.name = "Ground";
  ground.width = ground.height = 16.0f;
  ground.colour = {0.35f, 0.42f, 0.35f};
  ground.motion.rotation = {{0.0f, {-90.0f, 0.0f, 0.0f}}};  // facing up
  d.objects.push_back(ground);

  SceneObject cube;
  cube.kind = ShapeKind::Cube;
  cube.name = "Cube";
  cube.width = cube.height = 1.5f;
  cube.colour = {0.75f, 0.3f, 0.2f};
  cube.motion.position = {{0.0f, {2.5f, 0.75f, 1.0f}}};
  cube.motion.rotation = {{0.0f, {0.0f, 0.0f, 0.0f}}, {60.0f, {0.0f, 90.0f, 0.0f}}};
  d.objects.push_back(cube);

  SceneEmitter emitter;
  emitter.system = example.string();
  emitter.motion.position = {{0.0f, {0.0f, 0.5f, 0.0f}}};
  d.emitters.push_back(emitter);

  SceneTool attractor;
  attractor.kind = "Attractor";
  attractor.motion.position = {{0.0f, {0.0f, 4.0f, 0.0f}}};
  d.tools.push_back(attractor);
  return d;
}
