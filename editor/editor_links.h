#pragma once
// Links between the editor's windows. The main window sets them when it creates its
// pages, so that a page reaches the main window's commands and its sibling pages' folds
// without including them. A link that is not set does nothing.
#include <functional>
#include <string>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TCustomImageList;
class TFpFoldPanel;

struct TEditorLinks {
  // The main window's Play and Rewind buttons (every page's Play and Rewind run these).
  TNotifyEvent PlayClick;
  TNotifyEvent RewindClick;
  // The main window's Toggle Cue Cards action and its toolbox command.
  std::function<void()> ToggleCues;
  std::function<void()> ShowToolbox;
  // The main and control windows' meters during a render: the position and the
  // caption of each.
  std::function<void(Integer Position, const std::string& MainCaption, const std::string& ControlCaption)>
      ShowRenderProgress;
  // The folds of the embedded pages resize the main window.
  TNotifyEvent FoldBeforeCollapse;
  TNotifyEvent FoldAfterCollapse;
  TNotifyEvent FoldBeforeExpand;
  // The main window's image list (tree, list view and menu images); null until it exists.
  TCustomImageList* Images = nullptr;
  // The emitter manager's and the toolbox's property folds, which move together.
  TFpFoldPanel* EmitterPropsFold = nullptr;
  TFpFoldPanel* ToolPropsFold = nullptr;
};

TEditorLinks& EditorLinks();

// Calls a link when it is set.
inline void CallLink(const TNotifyEvent& Link, TObject* Sender) {
  if (Link) Link(Sender);
}
inline void CallLink(const std::function<void()>& Link) {
  if (Link) Link();
}
