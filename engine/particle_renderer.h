#pragma once
// TParticleRenderer: draws the queued particles of one host render into the host's float
// scanlines, far to near, one transformed sprite per particle with a depth test against
// the rendered scene.
#include <exception>
#include <memory>
#include <vector>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/color32.h"
#include "engine/blend_modes.h"
#include "engine/editor_state.h"
#include "engine/projection.h"
#include "engine/render_queue.h"
#include "engine/sprite_pipeline.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

class TBitmap32;
struct TParticle;

// Render region, inclusive on both ends.
struct TRenderRegion {
  SmallInt x1 = 0, y1 = 0, x2 = -1, y2 = -1;
};

class TParticleRenderer : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TParticleRenderer();
  ~TParticleRenderer() override;

  // Takes the image size and screen buffer of a post-process call and the render
  // region of the host's render data; empties the queue.
  void BeginRender(const tssPostProcessData& Data);
  void Add(TParticle* P);
  // Sorts far to near and draws every queued particle that is still alive, until the
  // host asks to stop; then frees Work, the copy of the region and the sort's room, and
  // empties the queue.
  void RenderAll();
  // Hands every row of the region to the host for display.
  void DisplayRegion();
  // Draws one particle with Image, Mode and MaxPixelSize as set; skips what cannot show.
  void DrawParticle(TParticle& P, const TParticleRenderParams& Params);
  // Threads that transform sprites ahead of the blend in RenderAll: -1 picks them from the
  // processor count, 0 transforms every sprite on the calling thread. The picture is the
  // same either way.
  Integer RenderWorkers = -1;
  // The workers the last RenderAll ran with.
  Integer LastWorkers = 0;
  // Source scaled to S pixels wide, mirrored by Flip, rotated by Angle degrees about the
  // sprite's centre and moved by (Fx, Fy) into Work. Failures leave Work empty.
  void TransformImage(TBitmap32* Source, Byte Flip, Single S, Single Fx, Single Fy, Single Angle);
  void Clear();
  // Bytes of working memory the renderer holds: between renders no more than its one
  // scratch row.
  std::size_t HeldBytes() const;

  tssSCREENBUFFER* ScreenBuffer = nullptr;
  Integer Width = 0;
  Integer Height = 0;
  // Singles in one row of the region as the host hands it over: R, G, B and depth per
  // pixel (Width x 4 when the region is the whole image).
  Integer RowFloats = 0;
  TRenderRegion Region;
  std::vector<TParticle*> Queue;
  // Each changed row is displayed at once ("Show Rendering (Slow)").
  bool ShowScanlines = false;
  // Not owned.
  TBitmap32* Image = nullptr;
  Integer Mode = rmPureAlpha;
  Integer MaxPixelSize = 1024;
  // Created on demand, freed after each RenderAll.
  std::unique_ptr<TSpriteWork> Work;
  Integer LastCount = 0;
  Single DepthJitter = 0;

 private:
  // Where a sprite goes and what its transform needs, from DrawParticle's tests; its
  // depth stays the particle's own.
  struct TSpritePlace {
    Int64 X = 0, Y = 0;
    TSpriteJob Job;
  };
  // What RenderAll worked out for one queued particle ahead of drawing it.
  struct TSpritePlan {
    // Alive with an owner: drawing it sets Mode, MaxPixelSize and (once read) Image.
    bool Listed = false;
    bool ImageRead = false;
    bool Placed = false;
    // Transformed on the calling thread: the source's custom combine is no worker's to run.
    bool Here = false;
    Integer Mode = 0, MaxPixelSize = 0;
    TBitmap32* Image = nullptr;
    TParticleRenderParams Params;
    TSpritePlace Place;
    // What reading the particle's system threw; thrown again when its turn comes.
    std::exception_ptr Error;
  };
  // DrawParticle's tests; false for a particle that cannot show.
  bool PlaceParticle(const TParticle& P, const TParticleRenderParams& Params, TBitmap32* Source, Integer MaxSize,
                     TSpritePlace& Place) const;
  // The rest of DrawParticle, Sprite being the transformed image.
  void BlendSprite(const TParticle& P, const TParticleRenderParams& Params, const TSpritePlace& Place,
                   const TSpriteWork& Sprite);
  // RenderAll's work for one queued particle, read on the calling thread.
  void PlanParticle(const TParticle& P, TSpritePlan& Plan) const;
  // RenderAll's loop with the transforms run by Pipeline's workers.
  void RenderPipelined(TSpritePipeline& Pipeline);
  // Workers for a render of Count sprites.
  unsigned WorkersFor(std::size_t Count) const;
  // Makes the pool when it is wanted and not there, and begins its ring; false when the
  // render runs on this thread alone.
  bool StartPipeline(std::size_t Count);

  Integer RegionWidth() const;
  Integer RegionHeight() const;
  // Row Line of the region in the render's copy, read from the host on first touch;
  // null when the host has no such row.
  Single* RegionRow(Integer Line);
  // Hands every changed row of the copy back to the host and ends the copy.
  void FlushRegionRows();
  // Frees what only a render needs: the copy of the region, the sort's room, the queue's.
  void ReleaseRenderMemory();

  // One row of the region, R, G, B, depth per pixel; sized in BeginRender.
  std::vector<Single> scanline_;
  // While RenderAll runs, the region's rows are blended in this copy instead of being
  // fetched and stored through the host once per sprite row.
  // Allocated per render, not zeroed: a row is read from the host before it is used.
  bool batching_ = false;
  std::unique_ptr<Single[]> regionRows_;
  std::vector<Byte> rowState_;
  TDepthSortScratch sortScratch_;
  // The depth key of each reference Add put into Queue, taken while the particle's
  // record is at hand, so that the sort need not read the records again.
  std::vector<std::uint32_t> queueKeys_;
  // The plans of the sprites in the pipeline's ring, while RenderAll runs with workers.
  std::vector<TSpritePlan> plans_;
  // The transform threads, made by the first RenderAll that wants them and joined by the
  // destructor; they hold no render memory between renders.
  std::unique_ptr<TSpritePipeline> pipeline_;
  unsigned pipelineWanted_ = 0;
};
