#include "platform/win/text/paths.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace win {
namespace text {
namespace {

// SaveDC shares the path with the saved state; a change copies it first so that
// RestoreDC brings back the path as it was.
PathState& MutablePath(DeviceContext& dc) {
  if (dc.st.path.use_count() > 1) dc.st.path = std::make_shared<PathState>(*dc.st.path);
  return *dc.st.path;
}

DPoint ToDevice(const DeviceContext& dc, POINT p) {
  return {static_cast<double>(dc.ToDeviceX(p.x)), static_cast<double>(dc.ToDeviceY(p.y))};
}

POINT ToLogical(const DeviceContext& dc, DPoint p) {
  auto clampLong = [](std::int64_t v) {
    return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
  };
  return {clampLong(dc.ToLogicalX(std::llround(p.x))), clampLong(dc.ToLogicalY(std::llround(p.y)))};
}

// The line calls of the DC hand their points here while a path is recorded.
bool PathSinkFn(DeviceContext& dc, PathSegment seg, POINT p) {
  if (!PathRecording(dc)) return false;
  PathState& ps = MutablePath(dc);
  switch (seg) {
    case PathSegment::MoveTo:
      ps.figureOpen = false;
      ps.pendingStart = ToDevice(dc, p);
      break;
    case PathSegment::LineTo:
      if (!ps.figureOpen) {
        ps.figures.push_back({{ps.pendingStart}, false});
        ps.figureOpen = true;
      }
      ps.figures.back().points.push_back(ToDevice(dc, p));
      break;
    case PathSegment::Close:
      if (ps.figureOpen) {
        ps.figures.back().closed = true;
        ps.figureOpen = false;
        ps.pendingStart = ps.figures.back().points.front();
      }
      break;
  }
  return true;
}

const bool kSinkInstalled = [] {
  SetPathSink(&PathSinkFn);
  return true;
}();

// Takes the finished path off the DC; empty when there is none.
std::optional<std::vector<PathState::Figure>> TakeCompletePath(DeviceContext& dc) {
  if (!dc.st.path || !dc.st.path->complete) return std::nullopt;
  std::vector<PathState::Figure> figures = dc.st.path->figures;
  dc.st.path.reset();
  return figures;
}

void Fill(HDC hdc, const DeviceContext& dc, const std::vector<PathState::Figure>& figures) {
  std::vector<POINT> pts;
  std::vector<int> counts;
  for (const PathState::Figure& f : figures) {
    if (f.points.size() < 2) continue;
    for (const DPoint& p : f.points) pts.push_back(ToLogical(dc, p));
    counts.push_back(static_cast<int>(f.points.size()));
  }
  if (counts.empty()) return;
  // A fill has no outline: the pen is taken away while the polygons are filled.
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(NULL_PEN));
  PolyPolygon(hdc, pts.data(), counts.data(), static_cast<int>(counts.size()));
  if (oldPen) SelectObject(hdc, oldPen);
}

void Stroke(HDC hdc, const DeviceContext& dc, const std::vector<PathState::Figure>& figures, bool closeAll) {
  std::vector<POINT> pts;
  for (const PathState::Figure& f : figures) {
    if (f.points.size() < 2) continue;
    pts.clear();
    for (const DPoint& p : f.points) pts.push_back(ToLogical(dc, p));
    if (f.closed || closeAll) pts.push_back(pts.front());
    Polyline(hdc, pts.data(), static_cast<int>(pts.size()));
  }
}

}  // namespace

bool PathRecording(const DeviceContext& dc) { return dc.st.path && dc.st.path->recording; }

void PathAddFigure(DeviceContext& dc, std::vector<DPoint> points, bool closed) {
  if (!PathRecording(dc) || points.empty()) return;
  PathState& ps = MutablePath(dc);
  ps.figures.push_back({std::move(points), closed});
  ps.figureOpen = false;
}

}  // namespace text

BOOL BeginPath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  auto ps = std::make_shared<PathState>();
  ps->recording = true;
  ps->pendingStart = text::ToDevice(*dc, dc->st.currentPos);
  dc->st.path = std::move(ps);
  return 1;
}

BOOL EndPath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !text::PathRecording(*dc)) return 0;
  PathState& ps = text::MutablePath(*dc);
  ps.recording = false;
  ps.complete = true;
  ps.figureOpen = false;
  return 1;
}

BOOL AbortPath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  dc->st.path.reset();
  return 1;
}

BOOL CloseFigure(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc || !text::PathRecording(*dc) || !dc->st.path->figureOpen) return 0;
  PathState& ps = text::MutablePath(*dc);
  ps.figures.back().closed = true;
  ps.figureOpen = false;
  ps.pendingStart = ps.figures.back().points.front();
  return 1;
}

BOOL FillPath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  auto figures = text::TakeCompletePath(*dc);
  if (!figures) return 0;
  text::Fill(hdc, *dc, *figures);
  return 1;
}

BOOL StrokePath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  auto figures = text::TakeCompletePath(*dc);
  if (!figures) return 0;
  text::Stroke(hdc, *dc, *figures, false);
  return 1;
}

BOOL StrokeAndFillPath(HDC hdc) {
  DeviceContext* dc = CheckDC(hdc);
  if (!dc) return 0;
  auto figures = text::TakeCompletePath(*dc);
  if (!figures) return 0;
  text::Fill(hdc, *dc, *figures);
  text::Stroke(hdc, *dc, *figures, true);
  return 1;
}

}  // namespace win
