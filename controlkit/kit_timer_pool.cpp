#include "controlkit/kit_timer_pool.h"

#include <utility>
#include <vector>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/module_life.h"
#include "platform/win/messages.h"
#include "platform/win/timers.h"

namespace {

constexpr const char* kWindowClass = "TKitTimerPoolWindow";
constexpr win::ULONG_PTR kTimerId = 1;

void RegisterWindowClass() {
  win::WNDCLASS wc;
  wc.lpfnWndProc = &win::DefWindowProc;
  wc.lpszClassName = kWindowClass;
  RegisterModuleWindowClass(wc);
}

}  // namespace

// ---- TKitTimerItem -----------------------------------------------------------------------------

const TClass& TKitTimerItem::StaticClass() {
  static const TClass cls = TClass::Of<TKitTimerItem>("TKitTimerItem", TObject::StaticClass());
  return cls;
}

TKitTimerItem::TKitTimerItem(TKitTimerPool* Pool, Word Id, TList* List) : id_(Id), list_(List), pool_(Pool) {
  if (!Pool || !List) throw EInvalidOperation(StaticClass().ClassName() + ": Invalid Owner or List");
  ticks_ = 1000 / Pool->MinInterval();
  serial_ = Pool->nextSerial_++;
}

TKitTimerItem::~TKitTimerItem() {
  enabled_ = 0;
  OnTimer = nullptr;
  if (list_) list_->Remove(this);
}

void TKitTimerItem::SetEnabled(bool value) {
  if (value == Enabled()) return;
  if (value && repeatCount_ == 0) return;
  enabled_ = value ? 1 : 0;
  count_ = 0;
}

void TKitTimerItem::SetInterval(Word value) {
  if (value == interval_) return;
  const Word minInterval = pool_->MinInterval();
  if (value % minInterval != 0) return;
  interval_ = value == 0 ? minInterval : value;
  ticks_ = interval_ / minInterval;
  count_ = 0;
}

void TKitTimerItem::Fire() {
  if (!enabled_) return;
  count_ = count_ == INT32_MAX ? 0 : count_ + 1;
  // The last firing disables the item without clearing Count, so the handler and the
  // pool's event see the firing it was (RepeatCount); enabling again starts from 0.
  if (count_ == repeatCount_) enabled_ = 0;
  if (OnTimer) {
    TNotifyEvent handler = OnTimer;  // the handler may free this item
    handler(pool_);
  } else if (pool_->OnTimer) {
    TKitTimerPoolEvent handler = pool_->OnTimer;
    handler(pool_, id_, count_);
  }
}

// ---- TKitTimerPool -----------------------------------------------------------------------------

const TClass& TKitTimerPool::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitTimerPool>("TKitTimerPool", TKitCustomComponent::StaticClass(), &TKitTimerPool::Publish);
  return cls;
}

void TKitTimerPool::Publish(TPublished& published) {
  auto p = published.For<TKitTimerPool>();
  p.Integer("MinInterval", &TKitTimerPool::MinInterval, &TKitTimerPool::SetMinInterval).Default(1000);
  p.Event("OnTimer", &TKitTimerPool::OnTimer);
}

TKitTimerPool::TKitTimerPool(TComponent* AOwner) : TKitCustomComponent(AOwner) {}

TKitTimerPool::TKitTimerPool(TComponent* AOwner, TKitTimerInterval AMinInterval) : TKitCustomComponent(AOwner) {
  minInterval_ = AMinInterval == 0 ? 1 : AMinInterval;
}

TKitTimerPool::~TKitTimerPool() {
  Clear();
  ReleaseWindow();
}

void TKitTimerPool::SetMinInterval(TKitTimerInterval value) {
  const TComponentState state = ComponentState();
  if (!state.Contains(csLoading) && !state.Contains(csDesigning)) return;
  minInterval_ = value == 0 ? 1 : value;
}

Integer TKitTimerPool::IndexOfId(Word Id) const {
  for (Integer i = 0; i < items_.Count(); ++i)
    if (Items(i)->Id() == Id) return i;
  return -1;
}

TKitTimerItem* TKitTimerPool::ItemById(Word Id) const {
  const Integer index = IndexOfId(Id);
  return index < 0 ? nullptr : Items(index);
}

Integer TKitTimerPool::EnabledCount() const {
  Integer n = 0;
  for (Integer i = 0; i < items_.Count(); ++i)
    if (Items(i)->Enabled()) ++n;
  return n;
}

Integer TKitTimerPool::Add(Word Id, Word Interval, TNotifyEvent Handler) {
  if (IndexOfId(Id) >= 0) throw Exception(msg::ListIndexError);
  if (Interval < minInterval_ || Interval % minInterval_ != 0)
    throw Exception("Interval not compatible with MinInterval property!");
  auto item = std::make_unique<TKitTimerItem>(this, Id, &items_);
  item->SetInterval(Interval);
  item->OnTimer = std::move(Handler);
  const Integer index = items_.Add(item.get());
  try {
    SetActive(true);
  } catch (...) {
    // The pool keeps what it had.
    items_.Delete(index);
    throw;
  }
  item.release();
  return index;
}

void TKitTimerPool::Remove(Word Id) {
  busy_ = 1;
  const Integer index = IndexOfId(Id);
  if (index >= 0) {
    TKitTimerItem* item = Items(index);
    item->SetEnabled(false);
    item->OnTimer = nullptr;
    delete item;
    if (items_.Count() == 0) SetActive(false);
  }
  busy_ = 0;
}

void TKitTimerPool::Clear() {
  if (handle_ && win::IsWindow(handle_)) win::KillTimer(handle_, kTimerId);
  active_ = 0;
  while (items_.Count() > 0) delete Items(items_.Count() - 1);
}

void TKitTimerPool::EnsureWindow() {
  if (handle_ && win::IsWindow(handle_)) return;
  // A window destroyed behind the pool's back (the window system was reset) is made anew.
  ReleaseWindow();
  RegisterWindowClass();
  proc_ = win::MakeProcInstance(
      [this](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) { return WndProc(h, m, w, l); });
  if (!proc_) throw EOutOfResources("Out of window procedure instances");
  handle_ = win::CreateWindowEx(0, kWindowClass, "", win::WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!handle_) {
    ReleaseWindow();
    throw EOutOfResources("Not enough timers available");
  }
  win::SetWindowLong(handle_, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(proc_));
}

void TKitTimerPool::ReleaseWindow() {
  if (handle_ && win::IsWindow(handle_)) {
    win::KillTimer(handle_, kTimerId);
    win::DestroyWindow(handle_);
  }
  handle_ = nullptr;
  if (proc_) win::FreeProcInstance(proc_);
  proc_ = nullptr;
}

void TKitTimerPool::SetActive(bool value) {
  if (ComponentState().Contains(csDesigning)) return;
  EnsureWindow();
  active_ = 0;
  win::KillTimer(handle_, kTimerId);
  if (value && EnabledCount() > 0) {
    if (!win::SetTimer(handle_, kTimerId, minInterval_, nullptr))
      throw EOutOfResources("Not enough timers available");
    tick_ = 1;
    active_ = 1;
  }
}

win::LRESULT TKitTimerPool::WndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  if (msg == win::WM_TIMER) {
    if (!inTimer_) {
      inTimer_ = 1;
      try {
        TimerTick();
      } catch (...) {
        inTimer_ = 0;
        throw;
      }
      inTimer_ = 0;
    }
    return 0;
  }
  return win::DefWindowProc(hwnd, msg, wParam, lParam);
}

void TKitTimerPool::TimerTick() {
  if (busy_) return;
  // Handlers may add or remove items: walk a snapshot and skip what has gone.
  std::vector<std::pair<TKitTimerItem*, std::uint64_t>> snapshot;
  snapshot.reserve(static_cast<std::size_t>(items_.Count()));
  for (Integer i = 0; i < items_.Count(); ++i) snapshot.emplace_back(Items(i), Items(i)->serial_);
  const Integer tick = tick_;
  for (auto [item, serial] : snapshot) {
    if (items_.IndexOf(item) < 0 || item->serial_ != serial) continue;
    if (item->Enabled() && tick % item->Ticks() == 0) item->Fire();
  }
  tick_ = tick_ == INT32_MAX ? 0 : tick_ + 1;
}
