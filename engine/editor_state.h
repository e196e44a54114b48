#pragma once
// State that the plug-in's editor, its preview and the engine share. The editor side and
// the emitter objects write it; the engine reads it, so that no engine file needs an
// editor header.
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/types.h"

class TEmitterObject;

// ---- the editor's lists and transport ----
// The editor's emitter objects in list order (not owned).
extern std::vector<TEmitterObject*> EmitterObjects;
// The preview runs while set; cleared by Stop and at the end of the preview.
extern bool Running;
// Set by the Rewind buttons: stops the preview so that the editor can start it again.
extern bool Rewind;

// ---- the editor's switches ----
// The draw mode combo (a dm* value of preview_draw.h): Wire Boxes at every load.
extern Byte PreviewDrawMode;
// "Animate Objects": the preview moves the host time, and frozen particles follow their
// object.
extern bool AnimateObjects;
// "Wireframe Alpha Hints".
extern bool WireframeAlphaHints;
// "Depth Dithering": off at every load.
extern bool DepthDithering;

// ---- where the engine reports to ----
// The editor points these at the main window's and the control window's status bars;
// unset, the text goes nowhere.
using TStatusTextEvent = std::function<void(const std::string& Text)>;
extern TStatusTextEvent OnMainStatusText;
extern TStatusTextEvent OnControlStatusText;
// Moves the curve editors' frame markers; called with each preview frame before it
// advances.
extern std::function<void(Integer Frame)> OnPreviewFrame;
// Called by a host render with the percentage of the queue reached, when assigned.
using TRenderProgressEvent = std::function<void(Integer Percent)>;
extern TRenderProgressEvent OnRenderProgress;

// ---- time ----
// The host frame the plug-in last moved the scene to (an emitter object setting the host
// time, the start of a preview). Deflectors take their own last move from it.
extern Single CurrentSceneTime;
