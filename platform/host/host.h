#pragma once
// The host seen from C++: what tests and the command-line host use to build a scene, load
// or register a plug-in, click its icon, render, read pixels, save and load scenes, and
// script the host's answers. It works on the same host the C API serves. Calls that fail
// raise HostError with a message for the user.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/host/host_error.h"
#include "platform/host/host_state.h"
#include "platform/host/tsxapi.h"

namespace host {

using NodeHandle = void*;  // the value the C API takes for this node

// Channels of SetKey: Position, Rotation (degrees about X, then Y, then Z), Scale.
// Camera, RenderPixel, DisplayedLine, RaisedEvent, PluginEntryPoints, PluginInfo and
// RenderFailure come with host_state.h.

// Back to a fresh host between tests: one 320 x 240 view with the default camera (eye
// (0, 0, 10) looking at the origin, up +Y, 45 degrees), an empty scene at time 0, a
// 320 x 240 render without region, no types, plug-ins, registrations, scripts or pump.
void Reset();

// ---- scene ----
NodeHandle AddGroup(const std::string& name, NodeHandle parent = nullptr);
// A cube of the given edge, centred on its origin, 6 quads facing outwards.
NodeHandle AddCube(const std::string& name, float edge, NodeHandle parent = nullptr);
// A width x height rectangle in the local XY plane, facing +Z, with UVs (0,0)..(1,1).
NodeHandle AddPlane(const std::string& name, float width, float height, NodeHandle parent = nullptr);
// Faces list vertex indices; faceUVs is empty or gives one UV index per corner.
NodeHandle AddPolyhedron(const std::string& name, const std::vector<CtsxVec3f>& vertices,
                         const std::vector<std::vector<int>>& faces, NodeHandle parent = nullptr,
                         const std::vector<CtsxUV>& uvs = {}, const std::vector<std::vector<int>>& faceUVs = {});
void SetKey(NodeHandle node, Channel channel, float frame, const CtsxVec3f& value);
void SetColor(NodeHandle node, float r, float g, float b);
std::vector<NodeHandle> TopLevelNodes();
NodeHandle FindNode(const std::string& name);  // first in tree order, null when none
bool IsLive(NodeHandle node);
std::string NodeName(NodeHandle node);
bool IsInScene(NodeHandle node);
NodeHandle Selected();
NodeHandle CloneObject(NodeHandle node);  // copy placed after it; the clone callback runs
bool DeleteObject(NodeHandle node);       // as tsxSobjDelete
void SetCreateFails(bool fail);           // tsxObjectCreate answers 0 while set
float SceneTime();                        // evaluation time of the scene

// ---- views ----
int AddView(const Camera& camera, int width, int height);  // its id; views start at 1
void SetActiveView(int view);
int ActiveViewId();
void SetCamera(const Camera& camera, int view = 0);  // 0: the active view
void SetDrawportSize(int width, int height, int view = 0);
void SetViewWindow(tsxHWND window, int view = 0);
void SetMainViewWindow(tsxHWND window);
void SetMainViewClosed(bool closed);  // tsxGetMainViewHwnd answers 0 while set
// R, G, B, A of a pixel of the view's own buffer (what tsxAViewRefresh and line lists drew).
std::uint32_t ViewPixel(int x, int y, int view = 0);  // 0xAABBGGRR, as PenColor

// ---- rendering ----
void SetRenderSize(int width, int height);
void SetRenderRegion(int x0, int y0, int x1, int y1);  // inclusive; must lie in the image
void ClearRenderRegion();
void SetRenderFit(int fitMode);
bool Render(float frame);  // true when the frame was completed
bool HasRenderedImage();
RenderPixel ReadPixel(int x, int y);  // of the kept final buffer, in image coordinates
const std::vector<DisplayedLine>& DisplayedLines();
const std::vector<RaisedEvent>& RaisedEvents();
void ClearRaisedEvents();
void ScriptInterrupt(int afterCalls);  // tsxRenderCheckInterrupt: 1 after N calls, -1 never
void ScriptAbort(int afterCalls);      // tsxCheckAbort the same
int InterruptCalls();
int AbortCalls();
void ScriptShaderRefusal(bool refuse);  // tsxRegisterExternalShader answers 0 while set
bool PostProcessRegistered();
void ScriptRenderFailure(RenderFailure failure);
// Raises an event of a class with a sub-code and zeroed data to the registered callbacks.
void RaiseEvent(int eventClass, std::uint32_t code);

// ---- scene files ----
void SaveScene(const std::string& path);
void LoadScene(const std::string& path);

// ---- plug-ins ----
int LoadModule(const std::string& path);  // the plug-in id
int RegisterPlugin(const PluginEntryPoints& entry);
const PluginInfo& LoadedPlugin(int pluginId);
int ClickIcon(int pluginId);  // tsxOnLeftClick's answer
void RightClickIcon(int pluginId);
void DeactivatePlugin(int pluginId);
void UnloadPlugin(int pluginId);

// ---- input during a plug-in's blocking loop ----
// Called by tsxAViewRefresh and tsxCheckAbort (never re-entered).
void SetPump(std::function<void()> pump);

}  // namespace host
