#include "apps/hostsim/cli_options.h"

#include <charconv>
#include <tuple>

namespace {

class Words {
 public:
  explicit Words(const std::vector<std::string>& args) : args_(args) {}
  bool More() const { return i_ < args_.size(); }
  const std::string& Next() { return args_[i_++]; }
  const std::string& Value(const std::string& option) {
    if (!More()) throw UsageError(option + " needs a value");
    return Next();
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
};

int Whole(const std::string& text, const std::string& what) {
  int v = 0;
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, v);
  if (text.empty() || r.ec != std::errc() || r.ptr != end) throw UsageError(what + ": \"" + text + "\" is not a whole number");
  return v;
}

// An option of SceneOptions; false when `word` is none of them.
bool SceneOption(Words& w, const std::string& word, SceneOptions& o) {
  if (word == "--module")
    o.module = w.Value(word);
  else if (word == "--scene")
    o.scene = w.Value(word);
  else if (word == "--load")
    o.load = w.Value(word);
  else if (word == "--emitter")
    o.emitters.push_back(w.Value(word));
  else
    return false;
  if (!o.scene.empty() && !o.load.empty()) throw UsageError("--scene and --load exclude each other");
  return true;
}

}  // namespace

FrameRange ParseFrames(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) throw UsageError("--frames wants A:B");
  FrameRange r{Whole(text.substr(0, colon), "--frames"), Whole(text.substr(colon + 1), "--frames")};
  if (r.first < 0 || r.last < r.first || r.last > 100000) throw UsageError("--frames wants 0 <= A <= B <= 100000");
  return r;
}

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size wants WxH");
  const int w = Whole(text.substr(0, x), "--size"), h = Whole(text.substr(x + 1), "--size");
  if (w < 2 || h < 2 || w > 8192 || h > 8192) throw UsageError("--size wants 2 to 8192 pixels each way");
  return {w, h};
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
  RenderOptions o;
  Words w(args);
  while (w.More()) {
    const std::string& word = w.Next();
    if (SceneOption(w, word, o.scene)) continue;
    if (word == "--frames")
      o.frames = ParseFrames(w.Value(word));
    else if (word == "--size")
      std::tie(o.width, o.height) = ParseSize(w.Value(word));
    else if (word == "--out")
      o.out = w.Value(word);
    else
      throw UsageError("unknown option \"" + word + "\"");
  }
  return o;
}

RunOptions ParseRunOptions(const std::vector<std::string>& args) {
  RunOptions o;
  Words w(args);
  while (w.More()) {
    const std::string& word = w.Next();
    if (word == "--module") {
      o.module = w.Value(word);
    } else if (word == "--load") {
      o.load = w.Value(word);
    } else if (word == "--save") {
      o.save = w.Value(word);
    } else if (word == "--shots") {
      o.shots = w.Value(word);
    } else if (word == "--help") {
      o.help = true;
    } else if (word == "--command") {
      const std::string& path = w.Value(word);
      if (path.find('/') == std::string::npos) throw UsageError("--command wants \"Menu/Item\", not \"" + path + "\"");
      o.commands.push_back({path, {}});
    } else if (word == "--answer") {
      const std::string& a = w.Value(word);
      if (o.commands.empty()) throw UsageError("--answer \"" + a + "\" comes before any --command");
      o.commands.back().answers.push_back({a});
    } else {
      throw UsageError("unknown option \"" + word + "\"");
    }
  }
  return o;
}

SceneSaveOptions ParseSceneSaveOptions(const std::vector<std::string>& args) {
  SceneSaveOptions o;
  Words w(args);
  while (w.More()) {
    const std::string& word = w.Next();
    if (SceneOption(w, word, o.scene)) continue;
    if (!word.empty() && word[0] != '-' && o.file.empty())
      o.file = word;
    else
      throw UsageError("unexpected \"" + word + "\"");
  }
  if (o.file.empty()) throw UsageError("scene save needs a FILE");
  return o;
}

OpenOptions ParseOpenOptions(const std::vector<std::string>& args) {
  OpenOptions o;
  Words w(args);
  while (w.More()) {
    const std::string& word = w.Next();
    if (SceneOption(w, word, o.scene)) continue;
    if (word == "--size")
      std::tie(o.width, o.height) = ParseSize(w.Value(word));
    else
      throw UsageError("unknown option \"" + word + "\"");
  }
  if (o.width < 640 || o.height < 480) throw UsageError("the screen needs at least 640x480 pixels");
  return o;
}

