#include "engine/editor_state.h"

#include "engine/preview_draw.h"

std::vector<TEmitterObject*> EmitterObjects;
bool Running = false;
bool Rewind = false;

Byte PreviewDrawMode = dmWireBoxes;
bool AnimateObjects = false;
bool WireframeAlphaHints = false;
bool DepthDithering = false;

TStatusTextEvent OnMainStatusText;
TStatusTextEvent OnControlStatusText;
std::function<void(Integer Frame)> OnPreviewFrame;
TRenderProgressEvent OnRenderProgress;

Single CurrentSceneTime = 0;
