#pragma once
// The kit's shared timer: one window timer, ticking every MinInterval milliseconds, serves
// every timed control of the kit. Each client is a TKitTimerItem with an id and an interval
// (a multiple of MinInterval); an item fires on every Interval / MinInterval-th tick.
//
// The timer runs on a hidden window of the pool, so ticks arrive through the message pump
// and never overlap other kit code. A tick walks a snapshot of the items, so a handler may
// add or remove items (its own too); removed items are skipped, added ones wait for the
// next tick.
#include <cstdint>
#include <functional>

#include "controlkit/kit_object.h"
#include "platform/classlib/lists.h"
#include "platform/win/window.h"

using TKitTimerInterval = Word;
// Sender: the pool; Id: the item's id; Count: how often the item has fired.
using TKitTimerPoolEvent = std::function<void(TObject* Sender, Word Id, Integer Count)>;

class TKitTimerPool;

class TKitTimerItem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Both are required: EInvalidOperation "<class>: Invalid Owner or List" without them.
  // The item does not add itself to the list; the pool does.
  TKitTimerItem(TKitTimerPool* Pool, Word Id, TList* List);
  // Disables the item, drops its handler and takes it out of the list.
  ~TKitTimerItem() override;

  // -1: no limit. When Count reaches it the item fires a last time and disables itself.
  Integer RepeatCount() const { return repeatCount_; }
  void SetRepeatCount(Integer value) { repeatCount_ = value; }
  // Firings since the item was last enabled.
  Integer Count() const { return count_; }
  bool Enabled() const { return enabled_ != 0; }
  // No effect when unchanged; enabling is refused while RepeatCount is 0; a change resets
  // Count to 0.
  void SetEnabled(bool value);
  Word Id() const { return id_; }
  Word Interval() const { return interval_; }
  // Ignored when equal to Interval or not a multiple of the pool's MinInterval; 0 gives
  // MinInterval. Resets Count.
  void SetInterval(Word value);
  // Pool ticks per firing.
  Integer Ticks() const { return ticks_; }
  TKitTimerPool* Pool() const { return pool_; }

  // Called with the pool as sender; when empty the pool's OnTimer is called instead.
  TNotifyEvent OnTimer;

 private:
  friend class TKitTimerPool;
  // One firing: counts, disables itself at RepeatCount, then calls the handler.
  void Fire();

  Integer repeatCount_ = -1;
  Integer count_ = 0;
  Byte enabled_ = 1;
  Word id_ = 0;
  Word interval_ = 1000;
  Integer ticks_ = 1;
  TList* list_ = nullptr;
  TKitTimerPool* pool_ = nullptr;
  std::uint64_t serial_ = 0;  // tells a live item from a new one at a freed address
};

class TKitTimerPool : public TKitCustomComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // MinInterval 1000, no items, inactive.
  explicit TKitTimerPool(TComponent* AOwner);
  TKitTimerPool(TComponent* AOwner, TKitTimerInterval AMinInterval);
  // Clears, frees the list and the hidden window.
  ~TKitTimerPool() override;

  // Adds an item and (re)starts the timer; returns its index in the list.
  // Raises Exception "List index out of bounds (%d)" (unformatted) for an id already
  // present and "Interval not compatible with MinInterval property!" for an interval that
  // is below MinInterval or not a multiple of it; the pool then keeps what it had.
  Integer Add(Word Id, Word Interval, TNotifyEvent Handler);
  // Frees the item of that id (nothing when absent); stops the timer when none is left.
  void Remove(Word Id);
  // Stops the timer and frees every item.
  void Clear();
  TKitTimerItem* ItemById(Word Id) const;
  Integer IndexOfId(Word Id) const;
  Integer EnabledCount() const;
  Integer Count() const { return items_.Count(); }
  TKitTimerItem* Items(Integer index) const { return static_cast<TKitTimerItem*>(items_.Items(index)); }

  // Stops the window timer; with true and at least one enabled item starts it again
  // (Tick 1). Nothing in design mode. Raises EOutOfResources "Not enough timers available"
  // when the window system has no timer left.
  void SetActive(bool value);
  bool Active() const { return active_ != 0; }
  // Ticks since the last start (starting at 1).
  Integer Tick() const { return tick_; }

  // Changes only while the pool is loaded from a form or designed; 0 counts as 1.
  TKitTimerInterval MinInterval() const { return minInterval_; }
  void SetMinInterval(TKitTimerInterval value);

  TKitTimerPoolEvent OnTimer;

  // The hidden window that receives the timer (null before the first start).
  win::HWND Handle() const { return handle_; }

 private:
  friend class TKitTimerItem;
  void EnsureWindow();
  void ReleaseWindow();
  win::LRESULT WndProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);
  // One tick of the window timer.
  void TimerTick();

  TKitTimerInterval minInterval_ = 1000;
  Byte active_ = 0;
  Byte inTimer_ = 0;
  Byte busy_ = 0;
  Integer tick_ = 0;
  win::HWND handle_ = nullptr;
  win::WNDPROC proc_ = nullptr;
  TList items_;
  std::uint64_t nextSerial_ = 1;
};
