#pragma once
// The path of a DC: figures recorded between BeginPath and EndPath, in device
// coordinates, then filled and/or stroked through the DC's polygon and line calls.
#include <vector>

#include "platform/win/dc.h"
#include "platform/win/text/text_render.h"

namespace win {

struct PathState {
  struct Figure {
    std::vector<text::DPoint> points;
    bool closed = false;
  };
  bool recording = false;  // between BeginPath and EndPath
  bool complete = false;   // EndPath was called: the path can be filled or stroked
  std::vector<Figure> figures;
  bool figureOpen = false;         // the last figure takes further line segments
  text::DPoint pendingStart;       // where a line starts when no figure is open
};

namespace text {

// True while the DC records a path (text and lines go into it).
bool PathRecording(const DeviceContext& dc);
// Adds a figure (device coordinates) to the DC's open path.
void PathAddFigure(DeviceContext& dc, std::vector<DPoint> points, bool closed);

}  // namespace text
}  // namespace win
