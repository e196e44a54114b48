// The C calls of the views.
#include "platform/host/c_guard.h"
#include "platform/host/host_state.h"
#include "platform/host/math3d.h"
#include "platform/host/tsxapi.h"

using namespace host;

extern "C" {

tsxHWND tsxGetMainViewHwnd(void) {
  return Guarded<tsxHWND>(nullptr, [] {
    const HostState& s = State();
    return s.mainViewClosed ? nullptr : s.mainWindow;
  });
}

tsxHWND tsxAViewGetHwnd(void) {
  return Guarded<tsxHWND>(nullptr, [] { return ActiveView(State()).window; });
}

int tsxAViewGetDrawportSize(int* width, int* height) {
  return Guarded(0, [&] {
    const View& v = ActiveView(State());
    if (width) *width = v.width;
    if (height) *height = v.height;
    return 1;
  });
}

int tsxAViewGetViewMode(void) {
  return Guarded(0, [] { return ActiveView(State()).camera.mode; });
}

int tsxAViewGetWorld2VportTxmx(CtsxTxmx3f* out) {
  return Guarded(0, [&] {
    if (!out) return 0;
    const View& v = ActiveView(State());
    *out = v.WorldToViewportMap();
    return 1;
  });
}

int tsxAViewGetEye2WorldTxmx(CtsxTxmx3f* out) {
  return Guarded(0, [&] {
    if (!out) return 0;
    *out = ActiveView(State()).EyeToWorldMap();
    return 1;
  });
}

int tsxAviewGetEyeToRenderTxmx(int drawportWidth, int drawportHeight, int imageWidth, int imageHeight,
                               int fitMode, float out[6]) {
  return Guarded(0, [&] {
    if (!out) return 0;
    return EyeToRender(drawportWidth, drawportHeight, imageWidth, imageHeight, fitMode, out) ? 1 : 0;
  });
}

void tsxAViewRefresh(void) {
  GuardedVoid([] {
    HostState& s = State();
    RefreshView(s, ActiveView(s));
    RunPump(s);
  });
}

void tsxAllViewsRefresh(void) {
  GuardedVoid([] {
    HostState& s = State();
    std::vector<int> ids;
    for (const View& v : s.views) ids.push_back(v.id);
    for (int id : ids)
      if (View* v = FindView(s, id)) RefreshView(s, *v);
  });
}

void tsxAViewSetPen(tsxPEN pen) {
  GuardedVoid([&] {
    if (pen >= e_tsxPEN_BACKGROUND && pen <= e_tsxPEN_BLUE) State().pen = pen;
  });
}

int tsxAViewDrawLinelist(const CtsxTxmx3f* m, const CtsxVec3f* vertices, int count, const int32_t* indices,
                         int arg) {
  return Guarded(0, [&] {
    HostState& s = State();
    View* v = FindView(s, arg);
    if (!v || !m) return 0;
    return DrawLinelist(*v, s.pen, *m, vertices, count, indices) ? 1 : 0;
  });
}

}  // extern "C"
