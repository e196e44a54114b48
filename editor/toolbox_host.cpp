// The toolbox's answers to the host's callbacks for the six tool object types.
#include <string>

#include "editor/emitter_files.h"
#include "editor/tool_chunk.h"
#include "editor/toolbox_form.h"
#include "engine/editor_state.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/message_dialogs.h"

Integer TToolboxForm::ToolExtObjWriteBinary(tsxSOBJ* pSobj, tsxFILE* fd) {
  const Integer i = IndexOfHostObject(pSobj);
  THostChunkStream file(fd);
  // An unknown object still gets an empty chunk, so that reading stays in step.
  WriteToolChunk(i >= 0 ? Tools[static_cast<std::size_t>(i)].get() : nullptr, file);
  return 0;
}

Integer TToolboxForm::ToolExtObjReadBinary(tsxSOBJ* pSobj, tsxFILE* fd) {
  THostChunkStream file(fd);
  std::unique_ptr<TToolObject> tool;
  try {
    tool = ReadToolChunk(file);
  } catch (const Exception& e) {
    MessageDlg("A tool of the scene could not be read: " + e.Message(), mtError, {mbOK}, 0);
    return 0;
  }
  if (!tool) return 0;
  // A second chunk for the same object replaces the first tool.
  if (IndexOfHostObject(pSobj) >= 0) DeleteToolOfHostObject(pSobj);
  AppendTool(std::move(tool), pSobj);
  return 0;
}

void TToolboxForm::ToolExtObjObjectDelete(TObject*, tsxSOBJ* pSobj) {
  deleting_ = 1;
  try {
    DeleteToolOfHostObject(pSobj);
  } catch (...) {
    deleting_ = 0;
    throw;
  }
  deleting_ = 0;
}

void TToolboxForm::ToolExtObjObjectClone(TObject*, tsxSOBJ* pSobj, tsxSOBJ* pClone, Integer&) {
  const Integer i = IndexOfHostObject(pSobj);
  if (i < 0 || !pClone) return;
  AppendTool(CopyTool(*Tools[static_cast<std::size_t>(i)]), pClone);
}
