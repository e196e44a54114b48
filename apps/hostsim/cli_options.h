#pragma once
// The options of hostsim's commands, read from the words after the command's name. Bad
// options raise UsageError (exit code 2).
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/hostsim/module_session.h"

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FrameRange {
  int first = 1;
  int last = 30;
};

// Options that build a scene: render and scene save.
struct SceneOptions {
  std::string module;                 // empty: the module built next to hostsim
  std::string scene;                  // JSON description; empty: the demo scene
  std::string load;                   // a host scene file instead of a description
  std::vector<std::string> emitters;  // further ".zke" files, emitters at the origin
};

struct RenderOptions {
  SceneOptions scene;
  FrameRange frames;
  int width = 320;
  int height = 240;
  std::string out = "frames";
};

struct ScriptCommand {
  std::string path;  // "Menu/Item"
  std::vector<DialogAnswer> answers;
};

struct RunOptions {
  std::string module;
  std::string load;
  std::vector<ScriptCommand> commands;
  std::string save;
  std::string shots;  // a folder for pictures of every window after the commands
  bool help = false;  // list the options and the editor's commands instead
};

struct SceneSaveOptions {
  SceneOptions scene;
  std::string file;
};

FrameRange ParseFrames(const std::string& text);                   // "A:B", 0 <= A <= B
std::pair<int, int> ParseSize(const std::string& text);            // "WxH", 2..8192 each
RenderOptions ParseRenderOptions(const std::vector<std::string>& args);
RunOptions ParseRunOptions(const std::vector<std::string>& args);
// `open`: the scene as for render, on a screen of width x height.
struct OpenOptions {
  SceneOptions scene;
  int width = 1280;
  int height = 800;
};

SceneSaveOptions ParseSceneSaveOptions(const std::vector<std::string>& args);  // after "save"
OpenOptions ParseOpenOptions(const std::vector<std::string>& args);
