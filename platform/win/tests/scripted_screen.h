#pragma once
// A screen for tests: each wait for input runs the next step of a script (steps inject
// input with the injector); once the script is used up the screen reports itself closed,
// so a loop that would never end fails the test instead of hanging it.
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win/display_hooks.h"

// Where tests leave pictures of what they showed.
inline std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("QM_SHOT_DIR");
  return (dir ? std::string(dir) + "/" : ::testing::TempDir()) + name + ".png";
}

class ScriptedScreen : public win::DisplayHooks {
 public:
  explicit ScriptedScreen(std::vector<std::function<void()>> steps) : steps_(std::move(steps)) {
    win::SetDisplayHooks(this);
  }
  ~ScriptedScreen() override { win::SetDisplayHooks(nullptr); }
  void PumpEvents(unsigned) override {
    if (next_ < steps_.size())
      steps_[next_++]();
    else
      closed_ = true;
  }
  void Present() override { ++presents_; }
  bool QuitRequested() const override { return closed_; }
  // Whether every step ran before the loops ended (and none were left waiting).
  bool UsedUp() const { return next_ == steps_.size(); }
  bool Closed() const { return closed_; }
  int Presents() const { return presents_; }

 private:
  std::vector<std::function<void()>> steps_;
  std::size_t next_ = 0;
  bool closed_ = false;
  int presents_ = 0;
};
