#include "hostbridge/host_clock.h"

#include "hostbridge/fpu_state.h"
#include "platform/host/tsxapi.h"

Single HostTime() {
  ClearFpuState();
  const Single t = tsxAnimGetActiveTime();
  ClearFpuState();
  return t;
}

void SetHostSceneTime(Single Frame) {
  ClearFpuState();
  tsxAnimSetActiveTimeScene(Frame);
  ClearFpuState();
}
