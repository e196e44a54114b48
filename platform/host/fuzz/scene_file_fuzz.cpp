// libFuzzer target of the scene-file reader: any bytes must load or fail with HostError,
// with a plug-in type whose file callback reads its chunk in uneven pieces.
#include <cstddef>
#include <cstdint>

#include "platform/host/host_error.h"
#include "platform/host/host_state.h"
#include "platform/host/scene_file.h"

namespace {

int ReadChunk(tsxSOBJ*, tsxFILE* fd, int direction, int) {
  if (direction != e_tsxFILE_READ) return 0;
  unsigned char buf[7];
  while (tsxFILEread(buf, 3, 2, fd) == 2) {
  }
  return 0;
}

// The host once, with the plug-in type defined: a full reset per input would clear and
// refill the view's pixels every time, which cost more than reading the file.
host::HostState& Host() {
  static host::HostState& s = []() -> host::HostState& {
    host::ResetState();
    tsxOBJTYPE_CALLBACKS cb{};
    cb.version = e_tsxOBJTYPE_CALLBACKS_VERSION;
    cb.fileIO = ReadChunk;
    tsxObjectDefine(1, "Fuzz_Object", &cb, 0);
    return host::State();
  }();
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every input starts from an empty scene, as after a reset.
  host::HostState& s = Host();
  s.scene.Clear();
  s.activeTime = 0.0f;
  s.events.clear();
  try {
    host::LoadSceneBytes(s, data, size);
  } catch (const host::HostError&) {
  }
  return 0;
}
