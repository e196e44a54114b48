#include "engine/sprite_pipeline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>

#include "bitmaps/bitmap32.h"

namespace {

// published_ once the workers are to end.
constexpr std::size_t kStopped = std::numeric_limits<std::size_t>::max();
// Pixels asked for and not yet released, past which no more sprites are published: a
// queue of large sprites must not hold a block for each slot at once.
constexpr std::size_t kPendingPixels = std::size_t{4} << 20;
// Bytes of sprite blocks the ring keeps between sprites; past it a released slot gives
// its block back.
constexpr std::size_t kKeptBytes = std::size_t{32} << 20;

}  // namespace

void TSpriteWork::SetSize(Integer Width, Integer Height) {
  if (Width < 1 || Height < 1) Width = Height = 0;
  const std::size_t n = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
  if (n > pixels_.size()) pixels_.resize(n);
  width_ = Width;
  height_ = Height;
  left_ = top_ = 0;
  spans_.clear();
}

void TSpriteWork::Free() {
  std::vector<TColor32>().swap(pixels_);
  std::vector<TRowSpan>().swap(spans_);
  width_ = height_ = 0;
  left_ = top_ = 0;
}

bool TransformSprite(const TSpriteJob& Job, TSpriteWork& Work) {
  bool sized = false;
  try {
    TBitmap32* source = Job.Source;
    const Integer w = source ? source->Width() : 0;
    const Integer h = source ? source->Height() : 0;
    if (w <= 0 || h <= 0) {
      Work.SetSize(0, 0);
      return false;
    }
    const Single S = Job.S;
    TAffineTransformation transformation;
    transformation.SetSrcRect(TFloatRect{0, 0, static_cast<Single>(w - 1), static_cast<Single>(h - 1)});
    // Mirrored about the image's own centre lines, so the mirrored image covers the
    // same pixels.
    if (Job.Flip == 1 || Job.Flip == 3) transformation.MirrorX(static_cast<Single>(w - 1) / 2);
    if (Job.Flip == 2 || Job.Flip == 3) transformation.MirrorY(static_cast<Single>(h - 1) / 2);
    const Single scale = S / static_cast<Single>(w);
    transformation.Scale(scale, scale);
    // Turned about the centre of the pixels drawn, as mirrored, so that a turning sprite
    // stays where it is.
    transformation.Rotate(static_cast<Single>(w - 1) * scale / 2, static_cast<Single>(h - 1) * scale / 2, Job.Angle);
    transformation.Translate(Job.Fx, Job.Fy);
    // What the turn moves left of or above the corner is moved back into the block, and
    // the block placed that much further left and up.
    const TRect bounds = transformation.GetTransformedBounds();
    transformation.Translate(static_cast<Single>(-bounds.left), static_cast<Single>(-bounds.top));
    Work.SetSize(bounds.right - bounds.left + 1, bounds.bottom - bounds.top + 1);
    Work.SetPlace(bounds.left, bounds.top);
    sized = true;
    TransformPixelSpans(Work.ScanLine(0), Work.Width(), Work.Height(), source, &transformation, Work.Spans(),
                        sfLinear);
  } catch (...) {
    // A sprite that cannot be built is not drawn; the frame goes on.
    Work.SetSize(0, 0);
  }
  return sized;
}

TSpritePipeline::TSpritePipeline(unsigned Workers) : published_(kStopped) {
  threads_.reserve(Workers);
  for (unsigned i = 0; i < Workers; ++i) {
    try {
      threads_.emplace_back([this] { WorkerLoop(); });
    } catch (const std::system_error&) {
      // Fewer workers, or none: the calling thread transforms what they do not.
      break;
    }
  }
}

TSpritePipeline::~TSpritePipeline() {
  End();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void TSpritePipeline::Begin(std::size_t Capacity) {
  End();
  capacity_ = std::max<std::size_t>(Capacity, 1);
  slots_ = std::make_unique<TSlot[]>(capacity_);
  released_ = next_ = pendingPixels_ = heldBytes_ = 0;
  std::fegetenv(&environment_);
  if (threads_.empty()) return;
  claimed_.store(0, std::memory_order_relaxed);
  published_.store(0, std::memory_order_relaxed);
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++render_;
    done_ = 0;
  }
  wake_.notify_all();
}

void TSpritePipeline::End() {
  if (!slots_) return;
  if (!threads_.empty()) {
    published_.store(kStopped, std::memory_order_release);
    published_.notify_all();
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return done_ == threads_.size(); });
  }
  slots_.reset();
  capacity_ = 0;
  heldBytes_ = pendingPixels_ = 0;
}

void TSpritePipeline::WorkerLoop() {
  std::size_t served = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || render_ != served; });
      if (quit_) return;
      served = render_;
    }
    std::fesetenv(&environment_);
    Serve();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ++done_;
    }
    finished_.notify_one();
  }
}

void TSpritePipeline::Serve() {
  for (;;) {
    const std::size_t index = claimed_.fetch_add(1, std::memory_order_relaxed);
    std::size_t published = published_.load(std::memory_order_acquire);
    while (published != kStopped && published <= index) {
      published_.wait(published, std::memory_order_acquire);
      published = published_.load(std::memory_order_acquire);
    }
    if (published == kStopped) return;
    // The slot may already hold a later sprite (the calling thread ran this one itself):
    // whichever sprite is queued there is run once, by whoever claims it first.
    TSlot& slot = SlotOf(index);
    int queued = kQueued;
    if (!slot.State.compare_exchange_strong(queued, kRunning, std::memory_order_acquire, std::memory_order_relaxed))
      continue;
    Run(slot);
    slot.State.store(kDone, std::memory_order_release);
    slot.State.notify_all();
  }
}

void TSpritePipeline::Run(TSlot& Slot) { Slot.Result.Sized = TransformSprite(Slot.Job, Slot.Result.Work); }

bool TSpritePipeline::CanPublish(std::size_t Index) const {
  return Index < released_ + capacity_ && (Index == released_ || pendingPixels_ < kPendingPixels);
}

void TSpritePipeline::Publish(std::size_t Index, const TSpriteJob* Job) {
  TSlot& slot = SlotOf(Index);
  if (Job) {
    slot.Job = *Job;
    // The turned sprite's bounds lie within (S + H + 3) pixels a side.
    const TBitmap32* source = Job->Source;
    const double w = source ? source->Width() : 0, h = source ? source->Height() : 0;
    const double side = w > 0 ? static_cast<double>(Job->S) * (1 + h / w) + 3 : 0;
    slot.Pixels = std::isfinite(side) ? static_cast<std::size_t>(std::min(side * side, 1e15)) : 0;
    pendingPixels_ += slot.Pixels;
    slot.State.store(kQueued, std::memory_order_release);
  } else {
    slot.Pixels = 0;
    slot.Result.Sized = false;
    slot.Result.Work.SetSize(0, 0);
    slot.State.store(kDone, std::memory_order_relaxed);
  }
  next_ = Index + 1;
}

void TSpritePipeline::Commit() {
  if (threads_.empty() || published_.load(std::memory_order_relaxed) == next_) return;
  published_.store(next_, std::memory_order_release);
  published_.notify_all();
}

const TSpriteResult& TSpritePipeline::Take(std::size_t Index) {
  TSlot& slot = SlotOf(Index);
  int state = kQueued;
  if (slot.State.compare_exchange_strong(state, kRunning, std::memory_order_acquire, std::memory_order_acquire)) {
    Run(slot);
    slot.State.store(kDone, std::memory_order_relaxed);
    return slot.Result;
  }
  while (state != kDone) {
    slot.State.wait(state, std::memory_order_acquire);
    state = slot.State.load(std::memory_order_acquire);
  }
  return slot.Result;
}

void TSpritePipeline::Release(std::size_t Index) {
  TSlot& slot = SlotOf(Index);
  pendingPixels_ -= slot.Pixels;
  slot.Pixels = 0;
  const std::size_t held = slot.Result.Work.HeldBytes();
  heldBytes_ = heldBytes_ - slot.Held + held;
  slot.Held = held;
  if (heldBytes_ > kKeptBytes) {
    slot.Result.Work.Free();
    heldBytes_ -= held;
    slot.Held = 0;
  }
  slot.State.store(kFree, std::memory_order_relaxed);
  released_ = Index + 1;
}

std::size_t TSpritePipeline::HeldBytes() const { return slots_ ? capacity_ * sizeof(TSlot) + heldBytes_ : 0; }
