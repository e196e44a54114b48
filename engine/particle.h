#pragma once
// TParticle: one particle, a plain record held by value in its system's array. A record
// whose Alive is 0 is a free slot that the next emission may reuse. The two spare fields
// keep the record's layout and are never read.
#include "engine/float_color.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TParticleSystem;

struct TParticle {
  // Divides the tools' forces.
  Single Mass = 0;
  CtsxVec3f Position{};
  // Added to the position every step.
  CtsxVec3f Velocity{};
  // Added to the velocity every step, scaled by the gravity curve.
  CtsxVec3f Acceleration{};
  CtsxVec3f Spare{};
  // Launch direction times launch speed; added every step, scaled by the speed curve.
  CtsxVec3f Drive{};
  TColorRGBA Color{};
  Single Alpha = 0;
  Single Size = 0;
  // Frames.
  Single Lifespan = 0;
  // Radians, accumulated: TwistRate / 10 per step.
  Single TwistAngle = 0;
  Single TwistRate = 0;
  // Degrees; Spin is added every step.
  Single Rotation = 0;
  Single Spin = 0;
  Single SpareSingle = 0;
  // Into the system's particle images.
  Integer ImageIndex = 0;
  // Set when the particle is queued for rendering.
  TParticleSystem* Owner = nullptr;
  // Index of this record in the array.
  Integer Slot = 0;
  // 0 = free slot.
  Byte Alive = 0;
  // Frame of birth.
  Single Birth = 0;
  // Point on the emitter's path where the particle was born.
  CtsxVec3f Origin{};
  // The emitter's local Z axis in the world at birth; the twist turns about it.
  CtsxVec3f TwistAxis{};
  // Launch direction.
  CtsxVec3f Direction{};
  // Position before the last step.
  CtsxVec3f PreviousPosition{};
  // Dithered and twisted position of the last step.
  CtsxVec3f NewPosition{};
  // The position that is drawn.
  CtsxVec3f RenderPosition{};
  // x, y and depth after projection.
  CtsxVec3f Screen{};
};
