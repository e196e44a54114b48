#pragma once
// A fresh host and a fresh bridge module for every test, and a window to receive input.
#include <gtest/gtest.h>

#include <cmath>

#include "hostbridge/ext_obj_types.h"
#include "platform/classlib/component.h"
#include "hostbridge/tsx_module.h"
#include "platform/classlib/random.h"
#include "platform/host/host.h"
#include "platform/host/host_state.h"
#include "platform/win/window.h"

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetAll(); }
  void TearDown() override { ResetAll(); }

  static void ResetAll() {
    host::Reset();
    TsxModule() = TTsxModuleState{};
    ExtObjTypes().Clear();
    RandSeed = 0;
  }

  TComponent root_{nullptr};
};

// A visible window of a class using the default window procedure, registered on first use.
inline win::HWND TestWindow(const char* className, win::UINT classStyle, win::DWORD style, int width, int height) {
  win::WNDCLASS existing;
  if (!win::GetClassInfo(nullptr, className, &existing)) {
    win::WNDCLASS wc;
    wc.style = classStyle;
    wc.lpfnWndProc = &win::DefWindowProc;
    wc.lpszClassName = className;
    win::RegisterClass(&wc);
  }
  return win::CreateWindowEx(0, className, "", style | win::WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                             nullptr, nullptr);
}

// How many draws of the process-wide generator lie between two seeds (up to `limit`).
inline int DrawsBetween(Cardinal from, Cardinal to, int limit = 1000) {
  Cardinal s = from;
  for (int n = 0; n <= limit; ++n) {
    if (s == to) return n;
    s = s * 134775813u + 1u;
  }
  return -1;
}

inline ::testing::AssertionResult Near3(const CtsxVec3f& a, const CtsxVec3f& b, float eps = 1e-5f) {
  if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                       << ", " << b.z << ")";
}
