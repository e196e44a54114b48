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
  if (i < 0 && keptChunks_.WriteBack(pSobj, file)) return 0;
  // An unknown object still gets an empty chunk, so that reading stays in step.
  WriteToolChunk(i >= 0 ? Tools[static_cast<std::size_t>(i)].get() : nullptr, file);
  return 0;
}

Integer TToolboxForm::ToolExtObjReadBinary(tsxSOBJ* pSobj, tsxFILE* fd) {
  THostChunkStream file(fd);
  // The whole chunk first: what cannot be read goes back into the scene as it came.
  TMemoryStream raw;
  ReadWholeChunk(file, raw);
  std::unique_ptr<TToolObject> tool;
  try {
    tool = ReadToolChunk(raw);
  } catch (const Exception& e) {
    keptChunks_.Keep(pSobj, raw);
    MessageDlg(UnreadableObjectText("tool", raw) + "; it is kept unchanged in the scene and does not act on particles.\r\r" +
                   e.Message(),
               mtError, {mbOK}, 0);
    return 0;
  }
  if (!tool) {
    keptChunks_.Keep(pSobj, raw);
    return 0;
  }
  keptChunks_.Drop(pSobj);
  // A second chunk for the same object replaces the first tool.
  if (IndexOfHostObject(pSobj) >= 0) DeleteToolOfHostObject(pSobj);
  AppendTool(std::move(tool), pSobj);
  return 0;
}

void TToolboxForm::ToolExtObjObjectDelete(TObject*, tsxSOBJ* pSobj) {
  keptChunks_.Drop(pSobj);
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
  if (!pClone) return;
  // A copy of an object kept unread is kept the same way.
  if (i < 0) {
    keptChunks_.Copy(pSobj, pClone);
    return;
  }
  AppendTool(CopyTool(*Tools[static_cast<std::size_t>(i)]), pClone);
}
