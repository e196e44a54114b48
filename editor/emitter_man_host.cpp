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
    // An object the page does not know still gets an empty chunk, so the reader keeps step.
    WriteEmitterChunk(index >= 0 ? Emitters[index].get() : nullptr, chunk);
  } catch (const Exception& e) {
    ReportError(std::string("The emitter could not be saved with the scene.\r\r") + e.what());
  }
  return 0;
}

Integer TEmitterManForm::EmitterExtObjReadBinary(tsxSOBJ* Handle, tsxFILE* File) {
  THostChunkStream chunk(File);
  std::unique_ptr<TEmitterObject> emitter;
  try {
    emitter = ReadEmitterChunk(chunk);
  } catch (const Exception& e) {
    ReportError(std::string("An emitter in the scene could not be read; it will not emit particles.\r\r") + e.what());
    return 0;
  }
  if (!emitter) return 0;
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
  const Integer index = IndexOfHostObject(Handle);
  if (index >= 0) RemoveEmitterAt(index);
}

void TEmitterManForm::EmitterExtObjObjectDelete(TObject*, tsxSOBJ* Handle) { DeleteEmitterOfHostObject(Handle); }

void TEmitterManForm::EmitterExtObjObjectClone(TObject*, tsxSOBJ* Source, tsxSOBJ* Clone, Integer&) {
  auto emitter = std::make_unique<TEmitterObject>();
  const Integer source = IndexOfHostObject(Source);
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
