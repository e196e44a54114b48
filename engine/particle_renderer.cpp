#include "engine/particle_renderer.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <thread>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/bitmap32.h"
#include "engine/editor_state.h"
#include "engine/particle.h"
#include "engine/particle_map_options.h"
#include "engine/particle_system.h"
#include "engine/random_table.h"
#include "hostbridge/fpu_state.h"

namespace {

// State of a row in the renderer's copy of the region.
constexpr Byte kRowUnread = 0;
constexpr Byte kRowClean = 1;
constexpr Byte kRowChanged = 2;
constexpr Byte kRowMissing = 3;

// Transform threads: one fewer than the processors, at most this many.
constexpr unsigned kMaxWorkers = 3;
// The most a RenderWorkers setting starts.
constexpr Integer kMostWorkers = 16;
// Fewer sprites than this are not worth starting threads for.
constexpr std::size_t kMinPipelinedSprites = 64;
// Sprites in flight for each worker.
constexpr std::size_t kSlotsPerWorker = 64;

}  // namespace

const TClass& TParticleRenderer::StaticClass() {
  static const TClass cls = TClass::Of<TParticleRenderer>("TParticleRenderer", TObject::StaticClass());
  return cls;
}

TParticleRenderer::TParticleRenderer() = default;
TParticleRenderer::~TParticleRenderer() = default;

Integer TParticleRenderer::RegionWidth() const { return std::max(Region.x2 - Region.x1 + 1, 0); }

Integer TParticleRenderer::RegionHeight() const { return std::max(Region.y2 - Region.y1 + 1, 0); }

Single* TParticleRenderer::RegionRow(Integer Line) {
  Byte& state = rowState_[static_cast<std::size_t>(Line)];
  if (state == kRowMissing) return nullptr;
  Single* row = regionRows_.get() + static_cast<std::size_t>(Line) * static_cast<std::size_t>(RowFloats);
  if (state == kRowUnread) {
    if (!tssScreenBufferGetScanLine(ScreenBuffer, Line, e_tssSCANLINE_RGBZ, row)) {
      state = kRowMissing;
      return nullptr;
    }
    state = kRowClean;
  }
  return row;
}

void TParticleRenderer::FlushRegionRows() {
  if (!batching_) return;
  batching_ = false;
  const std::size_t floats = static_cast<std::size_t>(RowFloats);
  for (std::size_t line = 0; line < rowState_.size(); ++line) {
    if (rowState_[line] != kRowChanged) continue;
    tssScreenBufferSetScanLine(ScreenBuffer, static_cast<int>(line), e_tssSCANLINE_RGBZ,
                               regionRows_.get() + line * floats);
    rowState_[line] = kRowClean;
  }
}

void TParticleRenderer::BeginRender(const tssPostProcessData& Data) {
  Queue.clear();
  queueKeys_.clear();
  ScreenBuffer = Data.screenBuffer;
  Width = Data.width;
  Height = Data.height;
  const tsxRenderData* data = tsxRenderGetData();
  Integer x1 = 0, y1 = 0, x2 = Width - 1, y2 = Height - 1;
  if (data && data->regionFlag) {
    x1 = data->regionX0;
    y1 = data->regionY0;
    x2 = data->regionX1;
    y2 = data->regionY1;
  }
  // A region reaching outside the image would address rows and pixels the host does not
  // have; what lies outside is dropped (an empty region draws nothing).
  // The region's coordinates are 16-bit.
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min({x2, Width - 1, 32767});
  y2 = std::min({y2, Height - 1, 32767});
  Region = {static_cast<SmallInt>(x1), static_cast<SmallInt>(y1), static_cast<SmallInt>(std::max(x2, -1)),
            static_cast<SmallInt>(std::max(y2, -1))};
  // The scratch row holds the region's full width, however wide the render.
  RowFloats = RegionWidth() * 4;
  const std::size_t floats = static_cast<std::size_t>(RowFloats);
  if (scanline_.size() < floats) scanline_.resize(floats);
}

void TParticleRenderer::Add(TParticle* P) {
  Queue.push_back(P);
  queueKeys_.push_back(FarFirstKey(P ? P->Screen.z : 0));
}

void TParticleRenderer::Clear() {
  Queue.clear();
  queueKeys_.clear();
}

void TParticleRenderer::ReleaseRenderMemory() {
  if (pipeline_) pipeline_->End();
  std::vector<TSpritePlan>().swap(plans_);
  regionRows_.reset();
  std::vector<Byte>().swap(rowState_);
  std::vector<TParticle*>().swap(Queue);
  std::vector<std::uint32_t>().swap(queueKeys_);
  sortScratch_ = TDepthSortScratch{};
}

std::size_t TParticleRenderer::HeldBytes() const {
  const std::size_t work = Work ? Work->HeldBytes() : 0;
  const std::size_t sort = (sortScratch_.Entries.capacity() + sortScratch_.Swap.capacity()) * sizeof(TDepthSortEntry) +
                           sortScratch_.Sorted.capacity() * sizeof(TParticle*);
  const std::size_t region = regionRows_ ? static_cast<std::size_t>(RowFloats) * RegionHeight() * sizeof(Single) : 0;
  const std::size_t ring = (pipeline_ ? pipeline_->HeldBytes() : 0) + plans_.capacity() * sizeof(TSpritePlan);
  return scanline_.capacity() * sizeof(Single) + region + rowState_.capacity() + Queue.capacity() * sizeof(TParticle*) +
         queueKeys_.capacity() * sizeof(std::uint32_t) + sort + work + ring;
}

void TParticleRenderer::RenderAll() {
  SortFarToNear(Queue, queueKeys_, sortScratch_);
  const std::size_t n = Queue.size();
  // Always leaves the renderer ready for the next frame, even when a step throws.
  struct TRenderAllEnd {
    TParticleRenderer& Renderer;
    std::size_t Count;
    ~TRenderAllEnd() {
      // No worker touches the render's memory after it, whatever ended it.
      if (Renderer.pipeline_) Renderer.pipeline_->End();
      // What was blended before an interrupt or a failure stays in the image.
      Renderer.FlushRegionRows();
      Renderer.Work.reset();
      Renderer.LastCount = static_cast<Integer>(Count);
      Renderer.ReleaseRenderMemory();
    }
  };
  TRenderAllEnd end{*this, n};
  if (n > 0) {
    // Sized once per render; rows are read from the host only when a sprite first
    // touches them.
    const std::size_t rows = static_cast<std::size_t>(RegionHeight());
    const std::size_t floats = rows * static_cast<std::size_t>(RowFloats);
    // Without room for the copy every sprite row goes through the host, as slow as
    // that is.
    try {
      regionRows_.reset(new (std::nothrow) Single[floats]);
      if (regionRows_) {
        rowState_.assign(rows, kRowUnread);
        batching_ = true;
      }
    } catch (const std::bad_alloc&) {
      regionRows_.reset();
    }
  }
  LastWorkers = 0;
  if (StartPipeline(n)) {
    LastWorkers = static_cast<Integer>(pipeline_->Workers());
    RenderPipelined(*pipeline_);
    return;
  }
  TParticleRenderParams params;
  for (std::size_t i = 0; i < n; ++i) {
    if (OnRenderProgress) OnRenderProgress(static_cast<Integer>((i + 1) * 100 / n));
    if (tsxRenderCheckInterrupt() == 1) break;
    TParticle& p = *Queue[i];
    if (!p.Alive || !p.Owner) continue;
    TParticleSystem& system = *p.Owner;
    Mode = system.RenderMode;
    MaxPixelSize = system.MaxPixelSize;
    Image = system.ImageFor(p.Slot);
    ReadRenderParams(system, p.Slot, params);
    if (params.Options) params.Alpha *= params.Options->Alpha;
    DrawParticle(p, params);
  }
}

bool TParticleRenderer::StartPipeline(std::size_t Count) {
  const unsigned workers = WorkersFor(Count);
  if (workers == 0) return false;
  // The threads stay for later renders; a pool the system gave fewer threads than asked
  // for is kept as it is.
  try {
    if (!pipeline_ || pipelineWanted_ != workers) {
      pipeline_.reset();
      pipeline_ = std::make_unique<TSpritePipeline>(workers);
      pipelineWanted_ = workers;
    }
    const std::size_t slots = kSlotsPerWorker * pipeline_->Workers();
    if (slots == 0) return false;
    pipeline_->Begin(slots);
    plans_.resize(slots);
  } catch (const std::bad_alloc&) {
    // Without room for the pool or the ring the sprites are transformed here, one by one.
    if (pipeline_) pipeline_->End();
    std::vector<TSpritePlan>().swap(plans_);
    return false;
  }
  return true;
}

unsigned TParticleRenderer::WorkersFor(std::size_t Count) const {
  if (RenderWorkers >= 0) return static_cast<unsigned>(std::min<Integer>(RenderWorkers, kMostWorkers));
  if (Count < kMinPipelinedSprites) return 0;
  const unsigned processors = std::thread::hardware_concurrency();
  return processors > 1 ? std::min(processors - 1, kMaxWorkers) : 0;
}

// The plain loop's reads for one particle, in its order, kept for its turn.
void TParticleRenderer::PlanParticle(const TParticle& P, TSpritePlan& Plan) const {
  Plan = TSpritePlan{};
  if (!P.Alive || !P.Owner) return;
  Plan.Listed = true;
  TParticleSystem& system = *P.Owner;
  Plan.Mode = system.RenderMode;
  Plan.MaxPixelSize = system.MaxPixelSize;
  try {
    Plan.Image = system.ImageFor(P.Slot);
    Plan.ImageRead = true;
    ReadRenderParams(system, P.Slot, Plan.Params);
    if (Plan.Params.Options) Plan.Params.Alpha *= Plan.Params.Options->Alpha;
    Plan.Placed = PlaceParticle(P, Plan.Params, Plan.Image, Plan.MaxPixelSize, Plan.Place);
    Plan.Here = Plan.Placed && Plan.Image->DrawMode() == dmCustom;
  } catch (...) {
    Plan.Error = std::current_exception();
  }
}

void TParticleRenderer::RenderPipelined(TSpritePipeline& Pipeline) {
  const std::size_t n = Queue.size();
  const std::size_t slots = plans_.size();
  // Sprites planned and published; none after one whose plan threw.
  std::size_t planned = 0;
  bool planFailed = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (OnRenderProgress) OnRenderProgress(static_cast<Integer>((i + 1) * 100 / n));
    if (tsxRenderCheckInterrupt() == 1) break;
    // Topped up once half the ring is free, so that the workers wake once a batch.
    if (!planFailed && planned - i <= slots / 2) {
      for (; planned < n && !planFailed && Pipeline.CanPublish(planned); ++planned) {
        TSpritePlan& plan = plans_[planned % slots];
        PlanParticle(*Queue[planned], plan);
        planFailed = plan.Error != nullptr;
        Pipeline.Publish(planned, plan.Placed && !plan.Here ? &plan.Place.Job : nullptr);
      }
      Pipeline.Commit();
    }
    const TSpritePlan& plan = plans_[i % slots];
    if (plan.Listed) {
      Mode = plan.Mode;
      MaxPixelSize = plan.MaxPixelSize;
      if (plan.ImageRead) Image = plan.Image;
      if (plan.Error) std::rethrow_exception(plan.Error);
      if (plan.Here) {
        const TSpriteJob& job = plan.Place.Job;
        TransformImage(job.Source, job.Flip, job.S, job.Fx, job.Fy, job.Angle);
        if (!Work->Empty()) BlendSprite(*Queue[i], plan.Params, plan.Place, *Work);
      } else if (plan.Placed) {
        const TSpriteResult& sprite = Pipeline.Take(i);
        if (sprite.Sized) plan.Image->SetStretchFilter(sfLinear);
        if (!sprite.Work.Empty()) BlendSprite(*Queue[i], plan.Params, plan.Place, sprite.Work);
      }
    }
    Pipeline.Release(i);
  }
}

void TParticleRenderer::DrawParticle(TParticle& P, const TParticleRenderParams& Params) {
  TSpritePlace place;
  if (!PlaceParticle(P, Params, Image, MaxPixelSize, place)) return;
  const TSpriteJob& job = place.Job;
  TransformImage(job.Source, job.Flip, job.S, job.Fx, job.Fy, job.Angle);
  if (!Work || Work->Empty()) return;
  BlendSprite(P, Params, place, *Work);
}

bool TParticleRenderer::PlaceParticle(const TParticle& P, const TParticleRenderParams& Params, TBitmap32* Source,
                                      Integer MaxSize, TSpritePlace& Place) const {
  const Single depth = P.Screen.z;
  // Written as "not greater" so that a NaN depth is skipped too.
  if (!(depth > 0.0001f)) return false;
  if (!Source || Source->Empty()) return false;
  const Single S = ProjectedRenderSize(P, Params);
  const Single H = S * static_cast<Single>(Source->Height()) / static_cast<Single>(Source->Width());
  const Single maxSize = static_cast<Single>(MaxSize);
  if (!(S >= 1 && S <= maxSize && H >= 1 && H <= maxSize)) return false;

  const TParticleMapOptions* options = Params.Options;
  const Single originX = options ? options->OriginX : 0.5f;
  const Single originY = options ? options->OriginY : 0.5f;
  const Single x0 = P.Screen.x - S * originX;
  const Single y0 = P.Screen.y - H * originY;
  if (!std::isfinite(x0) || !std::isfinite(y0)) return false;
  // Compared in 64 bits: a point near the eye plane projects far outside any region.
  const Int64 ix64 = SafeTrunc(x0);
  const Int64 iy64 = SafeTrunc(y0);
  const Single fx = x0 - static_cast<Single>(ix64);
  const Single fy = y0 - static_cast<Single>(iy64);
  if (!(Region.x1 <= ix64 + S && ix64 <= Region.x2 && Region.y1 <= iy64 + H && iy64 <= Region.y2)) return false;
  if (!(Params.Alpha >= 0.003f)) return false;
  Place.X = ix64;
  Place.Y = iy64;
  Place.Job = {Source, options ? options->Flip : Byte{0}, S, fx, fy, P.Rotation};
  return true;
}

void TParticleRenderer::BlendSprite(const TParticle& P, const TParticleRenderParams& Params, const TSpritePlace& Place,
                                    const TSpriteWork& Sprite) {
  const Single depth = P.Screen.z;
  TBlendState state;
  state.Alpha = Params.Alpha / 255;
  if (Mode == rmIlluminate || Mode == rmPaint || Mode == rmColorAlpha) {
    state.Red = P.Color.R * Params.Color.R / 255;
    state.Green = P.Color.G * Params.Color.G / 255;
    state.Blue = P.Color.B * Params.Color.B / 255;
  } else {
    state.Red = P.Color.R * Params.Color.R;
    state.Green = P.Color.G * Params.Color.G;
    state.Blue = P.Color.B * Params.Color.B;
  }
  DepthJitter = DepthDithering ? Params.Size * 0.5f : 0;
  state.Depth = depth * depth - 0.5f * DepthJitter;
  state.DepthJitter = DepthJitter;
  const bool jittered = DepthJitter != 0;
  const TBlendRowProc blend = BlendRowFor(Mode, jittered);

  // The block's top-left pixel; a turned sprite's block starts left of and above the corner.
  const Int64 ix = Place.X + Sprite.Left();
  const Int64 iy = Place.Y + Sprite.Top();
  const Integer workWidth = Sprite.Width();
  const Integer workHeight = Sprite.Height();
  // Horizontally the sprite lies the same on every row.
  Int64 xs = ix;
  Int64 xe = ix + workWidth - 1;
  if (xe < Region.x1 || xs > Region.x2) return;
  Integer skip = 0;
  if (xs < Region.x1) {
    skip = static_cast<Integer>(Region.x1 - xs);
    xs = Region.x1;
  }
  if (xe > Region.x2) xe = Region.x2;
  const std::size_t offset = static_cast<std::size_t>(xs - Region.x1) * 4;
  const Integer count = static_cast<Integer>(xe - xs + 1);
  const Integer rFirst = static_cast<Integer>(std::max<Int64>(0, Region.y1 - iy));
  const Integer rLast = static_cast<Integer>(std::min<Int64>(workHeight - 1, Region.y2 - iy));
  for (Integer r = rFirst; r <= rLast; ++r) {
    const Integer y = static_cast<Integer>(iy + r);
    const Integer line = y - Region.y1;
    Single* row;
    if (batching_) {
      row = RegionRow(line);
      if (!row) continue;
    } else {
      row = scanline_.data();
      if (!tssScreenBufferGetScanLine(ScreenBuffer, line, e_tssSCANLINE_RGBZ, row)) continue;
    }
    // Only the span that holds the sprite is blended; the jittered routines still move
    // the table on by the whole row, one value per pixel as ever.
    const TRowSpan span = Sprite.Span(r);
    const Integer first = std::max(skip, span.First);
    const Integer last = std::min(skip + count - 1, span.Last);
    const Integer before = std::min(first - skip, count);
    const Integer drawn = last >= first ? last - first + 1 : 0;
    if (jittered) AdvanceRandomTable(before);
    if (drawn > 0) blend(Sprite.ScanLine(r) + first, row + offset + static_cast<std::size_t>(before) * 4, drawn, state);
    if (jittered) AdvanceRandomTable(count - before - drawn);
    if (batching_ && !ShowScanlines) {
      rowState_[static_cast<std::size_t>(line)] = kRowChanged;
      continue;
    }
    // Shown rows go back to the host at once, so the display never runs ahead of it.
    tssScreenBufferSetScanLine(ScreenBuffer, line, e_tssSCANLINE_RGBZ, row);
    if (batching_) rowState_[static_cast<std::size_t>(line)] = kRowClean;
    if (ShowScanlines) tsxRenderDisplayScanline(row, Region.x1, Region.x2, y, Region.y2);
  }
}

void TParticleRenderer::TransformImage(TBitmap32* Source, Byte Flip, Single S, Single Fx, Single Fy,
                                       Single Angle) {
  if (!Work) Work = std::make_unique<TSpriteWork>();
  if (TransformSprite({Source, Flip, S, Fx, Fy, Angle}, *Work)) Source->SetStretchFilter(sfLinear);
}

void TParticleRenderer::DisplayRegion() {
  Single* row = scanline_.data();
  for (Integer y = Region.y1; y <= Region.y2; ++y) {
    if (!tssScreenBufferGetScanLine(ScreenBuffer, y - Region.y1, e_tssSCANLINE_RGBZ, row)) continue;
    tsxRenderDisplayScanline(row, Region.x1, Region.x2, y, Region.y2);
  }
}
