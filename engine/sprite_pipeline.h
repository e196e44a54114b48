#pragma once
// The sprite transforms of a render, worked out ahead of the blend by worker threads.
// The calling thread publishes each sprite's job in queue order into a ring of slots and
// takes the transformed sprites back in the same order; a sprite that no worker has begun
// when the calling thread needs it is transformed there. A job depends only on its own
// inputs and reads the source image without changing it, so where it runs never changes
// a bit of the result.
#include <atomic>
#include <cfenv>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "bitmaps/affine_transformation.h"
#include "bitmaps/color32.h"
#include "platform/classlib/types.h"

class TBitmap32;

// A transformed sprite. One block of pixels serves many sprites: it only grows, so that
// drawing allocates nothing per sprite.
class TSpriteWork {
 public:
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  // Where the block's top-left pixel lies from the sprite's unturned corner: a turned
  // sprite reaches left of and above that corner.
  Integer Left() const { return left_; }
  Integer Top() const { return top_; }
  void SetPlace(Integer Left, Integer Top) {
    left_ = Left;
    top_ = Top;
  }
  bool Empty() const { return width_ == 0; }
  TColor32* ScanLine(Integer Y) { return pixels_.data() + static_cast<std::size_t>(Y) * width_; }
  const TColor32* ScanLine(Integer Y) const { return pixels_.data() + static_cast<std::size_t>(Y) * width_; }
  // Width x Height pixels, not cleared, no row spans, placed at the corner; empty when
  // either is below 1.
  void SetSize(Integer Width, Integer Height);
  // Empty, and the blocks given back.
  void Free();
  // The columns of row Y that hold the sprite; the pixels outside are not to be read.
  TRowSpan Span(Integer Y) const {
    return static_cast<std::size_t>(Y) < spans_.size() ? spans_[static_cast<std::size_t>(Y)] : TRowSpan{};
  }
  std::vector<TRowSpan>& Spans() { return spans_; }
  const std::vector<TRowSpan>& Spans() const { return spans_; }
  std::size_t HeldBytes() const {
    return pixels_.capacity() * sizeof(TColor32) + spans_.capacity() * sizeof(TRowSpan);
  }

 private:
  std::vector<TColor32> pixels_;
  std::vector<TRowSpan> spans_;
  Integer width_ = 0, height_ = 0;
  Integer left_ = 0, top_ = 0;
};

// Everything a sprite's transform depends on.
struct TSpriteJob {
  TBitmap32* Source = nullptr;
  Byte Flip = 0;
  // Drawn width, and the fractions of a pixel by which the sprite is moved.
  Single S = 0, Fx = 0, Fy = 0;
  // Degrees about the sprite's centre.
  Single Angle = 0;
};

// Source scaled to S pixels wide, mirrored by Flip (1 across, 2 upside down, 3 both),
// rotated by Angle and moved by (Fx, Fy) into Work, sampled bilinearly; Work holds the
// whole result and its place says where it lies. Reads the
// source's pixels, size, draw mode, master alpha and outer colour, and changes nothing
// of it (not even its stretch filter). True once Work was sized: the point from which a
// drawing through the source's own filter has that filter set to linear. Failures leave
// Work empty.
bool TransformSprite(const TSpriteJob& Job, TSpriteWork& Work);

// A sprite taken back from the pipeline.
struct TSpriteResult {
  TSpriteWork Work;
  // TransformSprite's answer.
  bool Sized = false;
};

// Worker threads and the ring of one render at a time. The threads live as long as the
// pipeline (starting threads for every render costs the calling thread more than a
// small render's transforms); the ring lives from Begin to End.
class TSpritePipeline {
 public:
  // Starts up to Workers threads (fewer when the system refuses more).
  explicit TSpritePipeline(unsigned Workers);
  // Ends any render and stops and joins the workers.
  ~TSpritePipeline();
  TSpritePipeline(const TSpritePipeline&) = delete;
  TSpritePipeline& operator=(const TSpritePipeline&) = delete;

  unsigned Workers() const { return static_cast<unsigned>(threads_.size()); }
  // Starts a render with a ring of Capacity slots; the workers run under the calling
  // thread's floating-point environment as it is now.
  void Begin(std::size_t Capacity);
  // Ends the render: waits for the sprites the workers are running, leaves every worker
  // idle and frees the ring. Nothing published and not taken is transformed.
  void End();
  // Whether sprite Index, the next one to publish, may be published now: its slot is
  // free and the pixels already asked for are within bounds (the oldest sprite not yet
  // released is always let through).
  bool CanPublish(std::size_t Index) const;
  // Puts sprite Index in its slot (sprites come 0, 1, 2, ...); a null Job has nothing
  // to transform.
  void Publish(std::size_t Index, const TSpriteJob* Job);
  // Hands the sprites published since the last call to the workers, with one wake-up.
  void Commit();
  // Sprite Index, transformed: waits for the worker that runs it, or runs it here when
  // none has begun it. Valid until Release.
  const TSpriteResult& Take(std::size_t Index);
  // Frees sprite Index's slot; sprites are released in order.
  void Release(std::size_t Index);
  // The ring and the blocks of the sprites taken back so far; 0 between renders.
  std::size_t HeldBytes() const;

 private:
  enum : int { kFree, kQueued, kRunning, kDone };
  // A line of its own: neighbouring slots are written by different threads at once.
  struct alignas(64) TSlot {
    TSpriteJob Job;
    TSpriteResult Result;
    std::atomic<int> State{kFree};
    // Estimated pixels of the job, and the block's bytes when last taken back: read and
    // written by the calling thread only.
    std::size_t Pixels = 0;
    std::size_t Held = 0;
  };
  TSlot& SlotOf(std::size_t Index) { return slots_[Index % capacity_]; }
  void Run(TSlot& Slot);
  void WorkerLoop();
  // A worker's part of one render: claims sprites until the render ends.
  void Serve();

  // Atomics do not move: the slots are one block.
  std::unique_ptr<TSlot[]> slots_;
  std::size_t capacity_ = 0;
  // Sprites published; kStopped when no render runs. Each shared counter has a line of
  // its own, away from what the calling thread writes per sprite.
  alignas(64) std::atomic<std::size_t> published_;
  // The next sprite a worker looks at.
  alignas(64) std::atomic<std::size_t> claimed_{0};
  // Renders begun, workers done with the current one, and the end of the pool: under
  // mutex_.
  alignas(64) std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::size_t render_ = 0;
  unsigned done_ = 0;
  bool quit_ = false;
  std::fenv_t environment_{};
  std::vector<std::thread> threads_;
  // Calling thread only.
  alignas(64) std::size_t released_ = 0;
  std::size_t next_ = 0;
  std::size_t pendingPixels_ = 0;
  std::size_t heldBytes_ = 0;
};
