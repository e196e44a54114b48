// The host's callbacks for the emitter object type: the scene chunk written and read,
// an object deleted or cloned in the host.
#include <string>

#include "editor/emitter_files.h"
#include "editor/emitter_man_form.h"
#include "editor/props_form.h"
#include "engine/emitter_object.h"
#include "platform/classlib/exceptions.h"

Integer TEmitterManForm::EmitterExtObjWriteBinary(tsxSOBJ* Handle, tsxFILE* File) {
  const Integer index = IndexOfHostObject(Handle);
  THostChunkStream chunk(File);
  try {
    if (index < 0 && keptChunks_.WriteBack(Handle, chunk)) return 0;
    // An object the page does not know still gets an empty chunk, so the reader keeps step.
    WriteEmitterChunk(index >= 0 ? Emitters[index].get() : nullptr, chunk);
  } catch (const Exception& e) {
    ReportError(std::string("The emitter could not be saved with the scene.\r\r") + e.what());
  }
  return 0;
}

Integer TEmitterManForm::EmitterExtObjReadBinary(tsxSOBJ* Handle, tsxFILE* File) {
  THostChunkStream chunk(File);
  // The whole chunk first: what cannot be read goes back into the scene as it came.
  TMemoryStream raw;
  ReadWholeChunk(chunk, raw);
  std::unique_ptr<TEmitterObject> emitter;
  try {
    emitter = ReadEmitterChunk(raw);
  } catch (const Exception& e) {
    keptChunks_.Keep(Handle, raw);
    ReportError(UnreadableObjectText("emitter", raw) +
                "; it is kept unchanged in the scene and will not emit particles.\r\r" + e.what());
    return 0;
  }
  if (!emitter) {
    keptChunks_.Keep(Handle, raw);
    return 0;
  }
  keptChunks_.Drop(Handle);
  StopPreview();
  // The selected system belongs to the emitter that was current.
  SetCurrentSystem(nullptr);
  AdoptEmitter(std::move(emitter), Handle);
  RebuildTree();
  return 0;
}

void TEmitterManForm::RemoveEmitterAt(Integer Index) {
  StopPreview();
  std::unique_ptr<TEmitterObject> doomed = std::move(Emitters[Index]);
  Emitters.erase(Emitters.begin() + Index);
  SyncEngineList();
  if (doomed.get() == CurrentEmitter) {
    CurrentEmitter = nullptr;
    SetCurrentSystem(nullptr);
  }
  // Freed only once nothing lists it.
  doomed.reset();
  RebuildTree();
}

void TEmitterManForm::DeleteEmitterOfHostObject(tsxSOBJ* Handle) {
  keptChunks_.Drop(Handle);
  const Integer index = IndexOfHostObject(Handle);
  if (index >= 0) RemoveEmitterAt(index);
}

void TEmitterManForm::EmitterExtObjObjectDelete(TObject*, tsxSOBJ* Handle) { DeleteEmitterOfHostObject(Handle); }

void TEmitterManForm::EmitterExtObjObjectClone(TObject*, tsxSOBJ* Source, tsxSOBJ* Clone, Integer&) {
  const Integer source = IndexOfHostObject(Source);
  // A copy of an object kept unread is kept the same way.
  if (source < 0 && keptChunks_.Copy(Source, Clone)) return;
  auto emitter = std::make_unique<TEmitterObject>();
  try {
    if (source >= 0) CopyEmitterObject(*Emitters[source], *emitter);
  } catch (const Exception& e) {
    ReportError(std::string("The emitter's settings could not be copied.\r\r") + e.what());
  }
  // A copy of an object the page does not know still gets its first system.
  if (emitter->Systems.empty()) emitter->AddSystem();
  StopPreview();
  SetCurrentSystem(nullptr);
  AdoptEmitter(std::move(emitter), Clone);
  RebuildTree();
}
