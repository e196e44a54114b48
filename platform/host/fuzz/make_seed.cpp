// Writes a seed scene for the fuzz target: every kind of node and a plug-in chunk.
#include <cstdio>

#include "platform/host/host.h"

namespace {

int WriteChunk(tsxSOBJ*, tsxFILE* fd, int direction, int) {
  if (direction == e_tsxFILE_WRITE) tsxFILEwrite("seed chunk bytes", 1, 16, fd);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  try {
    host::Reset();
    tsxOBJTYPE_CALLBACKS cb{};
    cb.version = e_tsxOBJTYPE_CALLBACKS_VERSION;
    cb.fileIO = WriteChunk;
    const int type = tsxObjectDefine(1, "Fuzz_Object", &cb, 0);
    host::NodeHandle g = host::AddGroup("group");
    host::SetKey(g, host::Channel::Position, 0, {1, 2, 3});
    host::SetKey(g, host::Channel::Position, 10, {4, 5, 6});
    host::AddCube("cube", 2, g);
    host::AddPlane("plane", 1, 1, g);
    tsxSOBJ* o = tsxObjectCreate(type);
    tsxSceneAddObject(o, 0);
    host::SaveScene(argv[1]);
  } catch (const host::HostError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
