#pragma once
// The kit's one service object per module: options read by the drawing procedures, the
// settings control, the 8x8 pattern bitmap, the log file name and the shared timer pool
// with its 250 client slots. `KitApplication` exists from load to unload.
#include <array>
#include <memory>
#include <string>

#include "controlkit/kit_object.h"
#include "controlkit/kit_timer_pool.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/graphics_colors.h"

class TBitmap;
class TKitIniCtrl;

// Raised by a component that may exist only once on its form.
class KitEOneInstError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "KitEOneInstError"; }
  // Mode 0: "<class>:\rInvalid owner (<>TForm) or second instance on a form";
  // mode 1: "<class>:\rAlready one <class> control in this project!".
  static KitEOneInstError CreateMode(const std::string& ClassName, Integer Mode);
};

// True (a violation) when the owner is neither a form nor, when allowed, a data module;
// false without a class; otherwise true when the owner holds more than one component of
// the class.
bool OnlyOneInstance(TComponent* AOwner, const TClass* ComponentClass, bool AllowDataModule);

// Client ids of the application's timers are kKitTimerIdBase + slot, slot 1..kKitTimerSlots.
inline constexpr Word kKitTimerIdBase = 0xFD00;
inline constexpr Integer kKitTimerSlots = 250;
// Bit of Options: the drawing procedures skip palette realisation on displays with 8 or
// fewer bits per pixel.
inline constexpr Byte kKitOptionNoPaletteRealize = 0x01;
// Where SetLogFile puts the log: 0 Windows, 1 system, 2 program directory, 3 as given.
inline constexpr Byte kKitLogPlaceAsGiven = 3;

class TKitApplication : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitApplication(TComponent* AOwner);
  ~TKitApplication() override;

  Byte Options() const { return options_; }
  void SetOptions(Byte value) { options_ = value; }

  TKitIniCtrl* IniCtrl() const { return iniCtrl_.get(); }
  TKitTimerPool* TimerPool() const { return timerPool_.get(); }

  // The 8x8 brush pattern: pixels with x + y odd in `color`, the others white on first
  // use. Cached for the last colour; owned by the application.
  TBitmap* GetPatternBitmap(TColor color);

  Byte LogPlace() const { return logPlace_; }
  void SetLogPlace(Byte value) { logPlace_ = value; }
  const std::string& LogFile() const { return logFile_; }
  // A blank name takes the program's path with ".LOG"; a name without extension gets
  // ".LOG". With LogPlace 0..2 the file goes to that directory, with 3 as given.
  void SetLogFile(const std::string& Name);

  Int64 PerformanceFrequency() const { return performanceFrequency_; }
  // The module is a library loaded into the host: no single-instance mutex is made.
  bool AlreadyRunning() const { return alreadyRunning_ != 0; }

  // Takes the lowest free slot and adds a pool item of id kKitTimerIdBase + slot; 0 when
  // every slot is taken. The pool's exceptions pass through (the slot stays free).
  Word AddTimer(Word Interval, TNotifyEvent Handler);
  // Ids outside the client range are ignored.
  void RemoveTimer(Word Id);
  TKitTimerItem* GetTimerItem(Word Id) const;
  // Whether client slot 1..250 is taken (false outside the range).
  bool TimerSlotTaken(Integer slot) const;

 private:
  Byte options_ = 0x36;
  std::unique_ptr<TKitIniCtrl> iniCtrl_;
  std::unique_ptr<TBitmap> patternBitmap_;
  TColor patternColor_ = clNone;
  std::unique_ptr<TKitTimerPool> timerPool_;
  Byte logPlace_ = 2;
  std::string logFile_;
  Int64 performanceFrequency_ = 0;
  win::HCURSOR cursor_ = nullptr;
  Byte alreadyRunning_ = 0;
  std::array<Byte, kKitTimerSlots> timerSlots_{};
};

// The module's kit application: made at load, freed at the module's end after the forms
// whose controls hold its timers (see kit_application.cpp).
extern TKitApplication* KitApplication;
