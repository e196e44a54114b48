#pragma once
// The engine's mirror of the host's emitters: a TEmitterObject per host emitter, owning
// an ordered list of TEmitter entries, each pairing one particle system with the
// particle emitter that gives birth to its particles.
//
// Clock: local frame = host frame - StartOffset. A negative local frame means the
// object has not started. A FreezeFrame of 1 or more is a host frame from which the
// object stops simulating; its particles may then follow the object's motion.
#include <memory>
#include <string>
#include <vector>

#include "engine/editor_state.h"
#include "engine/particle_emitter.h"
#include "engine/particle_system.h"
#include "engine/var_series.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TEmitterObject;
class TParticleRenderer;
class TStream;

// Shows Text on the main window's status bar (and the hourglass while Busy).
void ShowEngineStatus(const std::string& Text, bool Busy);

// RateSizeScale bits.
inline constexpr Byte ssRate = 1;
inline constexpr Byte ssSize = 2;
// SpeedLifeGravityScale bits.
inline constexpr Byte ssSpeed = 1;
inline constexpr Byte ssLifespan = 2;
inline constexpr Byte ssGravity = 4;

// Record versions of emitter objects and particle systems.
inline constexpr Integer kRecordVersion100 = 100;
inline constexpr Integer kRecordVersion101 = 101;

// Bounds of a maximum pixel size read from a record.
inline constexpr Integer kMinMaxPixelSize = 256;
inline constexpr Integer kMaxMaxPixelSize = 8192;
inline constexpr Integer kDefaultMaxPixelSize = 2048;

class TEmitter : public TObject, public TParticleSystemOwner {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Creates the particle emitter, then the system bound to it. TEmitterObject.AddSystem
  // puts the entry in the owner's list; an entry made here alone is in no list.
  explicit TEmitter(TEmitterObject* AOwner);
  ~TEmitter() override;

  // The particle emitter's previous and current matrices and the system's scale
  // factors, from the owner's host node.
  void UpdateTransform() override;
  tsxGNODE* OwnerNode() const override;
  bool RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal) override;

  // Advances the system to local frame Local, or, when the object is frozen at that
  // frame, moves the frozen particles with the object (MoveWithObject).
  void AdvanceTo(bool MoveWithObject, Double Local);

  // The particle system record, version 101.
  void SaveToStream(TStream& Stream) const;
  // The whole record is checked before this entry changes: a short or bad record
  // raises EReadError and the entry keeps what it had.
  void LoadFromStream(TStream& Stream);
  // Version 100: no base colour gradient, focus shape, base colour mode, maximum pixel
  // size or spatial dither; those keep their values.
  void LoadFromStreamV100(TStream& Stream);

  TEmitterObject* Owner = nullptr;
  std::string Name = "Particles";
  Byte Enabled = 1;
  // Set at a reset: the next transform update takes no motion across it.
  Byte NeedsReset = 0;
  // Freed after System (members go in reverse order).
  std::unique_ptr<TParticleEmitter> Emitter;
  std::unique_ptr<TParticleSystem> System;
};

class TEmitterObject : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // No systems yet: the editor adds the first one.
  TEmitterObject();
  ~TEmitterObject() override;

  TEmitter* AddSystem();
  Integer SystemCount() const { return static_cast<Integer>(Systems.size()); }

  Single FrameToLocal(Single HostFrame) const { return HostFrame - static_cast<Single>(StartOffset); }
  Single LocalToFrame(Single Local) const { return Local + static_cast<Single>(StartOffset); }
  // With a Node: the host scene to LocalToFrame(Local) (0 where negative), also kept as
  // the plug-in's current scene time. A host failure is swallowed.
  void SetHostTime(Single Local);
  // The node's motion from the freeze frame (a host frame) to local frame Local; leaves
  // the host time at Local.
  void RelativeMotion(CtsxTxmx3f& Out, Double Local);
  // True when FreezeFrame is set and host frame HostFrame has reached it.
  bool IsFrozenAt(Single HostFrame) const;

  // Before a host render: every system reset and stepped from local frame 0 up to the
  // host's current frame.
  void PreRoll();
  // At the render frame: every enabled system advanced and queued on Renderer.
  void PrepareRender(TParticleRenderer& Renderer);

  // The emitter object record (version 101) with its systems.
  void SaveToStream(TStream& Stream) const;
  // Versions 100 and 101. An unknown version, a bad count or a bad record raises
  // EReadError and the object keeps its systems and settings. A record without systems
  // gets one new system.
  void LoadFromStream(Integer Version, TStream& Stream);

  tsxSOBJ* GetNode() const { return Node; }
  void SetNode(tsxSOBJ* ANode) { Node = ANode; }

  // Polyhedra below the node's parent (the emitter's siblings and their children).
  void CollectSurfaces(tsxGNODE* Parent);
  void RefreshSurfaces();
  // A random point on a random face of a random surface, with the face normal; false,
  // leaving Point and Normal alone, when there is none.
  bool RandomSurfacePoint(CtsxVec3f& Point, CtsxVec3f& Normal);

  tsxSOBJ* Node = nullptr;
  std::string Name = "Emitter";
  Byte Enabled = 1;
  Integer StartOffset = 0;
  // Below 1: never freeze.
  Integer FreezeFrame = 0;
  Byte RateSizeScale = 0;
  Byte SpeedLifeGravityScale = 0;
  // Active over time (a step curve over local frames): 0 hides the object.
  std::unique_ptr<TVarSeries> Activity;
  // Creation order is stream order and tree order.
  std::vector<std::unique_ptr<TEmitter>> Systems;
  std::vector<tsxGNODE*> Surfaces;
};

// The activity curve of a new emitter object: frames, clamped to -0.5..1.5, keys
// (0, 1) and (8192, 1), quantum 1.
std::unique_ptr<TVarSeries> CreateActivityCurve();
