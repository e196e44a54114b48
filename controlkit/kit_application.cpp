#include "controlkit/kit_application.h"

#include "controlkit/kit_general.h"
#include "controlkit/kit_ini_ctrl.h"
#include "controlkit/kit_strings.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/graphics_tools.h"
#include "platform/classlib/screen.h"
#include "platform/win/clock.h"
#include "platform/win/input.h"
#include "platform/classlib/module_life.h"

TKitApplication* KitApplication = nullptr;

namespace {

// The kit's own cursor: resource 16548 of the module, as screen cursor -255.
constexpr win::WORD kKitCursorResource = 16548;
constexpr Integer kKitCursorIndex = -255;

// Stands for the module in resource look-ups; the window system makes a module's cursor
// on first request.
struct KitModuleToken {
  char unused = 0;
};
KitModuleToken g_moduleToken;

// The application exists from load on; at the module's end it goes after the forms whose
// controls hold its timers, and its pool's window with it.
const bool kKitApplicationCreated = ModuleLazy(KitApplication, [] { return new TKitApplication(nullptr); });

bool ClassNamed(const TClass* cls, const char* name) {
  for (; cls; cls = cls->ClassParent())
    if (cls->ClassName() == name) return true;
  return false;
}

}  // namespace

// ---- KitEOneInstError ----------------------------------------------------------------------------

KitEOneInstError KitEOneInstError::CreateMode(const std::string& ClassName, Integer Mode) {
  if (Mode == 1)
    return KitEOneInstError(ClassName + ":\rAlready one " + ClassName + " control in this project!");
  return KitEOneInstError(ClassName + ":\rInvalid owner (<>TForm) or second instance on a form");
}

bool OnlyOneInstance(TComponent* AOwner, const TClass* ComponentClass, bool AllowDataModule) {
  const bool isForm = AOwner && AOwner->InheritsFrom(TForm::StaticClass());
  const bool isDataModule = AOwner && AllowDataModule && ClassNamed(&AOwner->ClassType(), "TDataModule");
  if (!isForm && !isDataModule) return true;
  if (!ComponentClass) return false;
  Integer n = 0;
  for (Integer i = 0; i < AOwner->ComponentCount(); ++i)
    if (AOwner->Components(i)->InheritsFrom(*ComponentClass)) ++n;
  return n > 1;
}

// ---- TKitApplication -----------------------------------------------------------------------------

const TClass& TKitApplication::StaticClass() {
  static const TClass cls = TClass::Of<TKitApplication>("TKitApplication", TComponent::StaticClass());
  return cls;
}

TKitApplication::TKitApplication(TComponent* AOwner) : TComponent(AOwner) {
  iniCtrl_ = std::make_unique<TKitIniCtrl>(nullptr);
  // Loaded as a library into the host: no single-instance mutex.
  timerPool_ = std::make_unique<TKitTimerPool>(nullptr, 50);
  logPlace_ = 2;
  SetLogFile(std::string());
  win::LARGE_INTEGER frequency;
  if (win::QueryPerformanceFrequency(&frequency)) performanceFrequency_ = frequency.QuadPart;
  if (TScreen* screen = EnsureScreen()) {
    auto* module = reinterpret_cast<win::HINSTANCE>(&g_moduleToken);
    cursor_ = win::LoadCursor(module, win::MAKEINTRESOURCE(kKitCursorResource));
    screen->SetCursors(kKitCursorIndex, cursor_);
  }
}

TKitApplication::~TKitApplication() {
  iniCtrl_.reset();
  patternBitmap_.reset();
  timerPool_.reset();
  // The module's cursor goes with the module, and out of the screen's table first.
  if (Screen && cursor_ && Screen->Cursors(kKitCursorIndex) == cursor_) Screen->SetCursors(kKitCursorIndex, nullptr);
  if (cursor_) win::DestroyCursor(cursor_);
}

TBitmap* TKitApplication::GetPatternBitmap(TColor color) {
  if (patternBitmap_ && color == patternColor_) return patternBitmap_.get();
  if (!patternBitmap_) {
    patternBitmap_ = std::make_unique<TBitmap>();
    patternBitmap_->SetSize(8, 8);
    TCanvas* canvas = patternBitmap_->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, 8, 8));
  }
  TCanvas* canvas = patternBitmap_->Canvas();
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      if ((x + y) % 2 == 1) canvas->SetPixels(x, y, color);
  patternColor_ = color;
  return patternBitmap_.get();
}

void TKitApplication::SetLogFile(const std::string& Name) {
  std::string name = Name;
  if (IsBlank(name))
    name = ChangeFileExt(GetProgramPath(), ".LOG");
  else if (IsBlank(ExtractFileExt(name)))
    name += ".LOG";
  if (logPlace_ != kKitLogPlaceAsGiven) {
    const TKitPathPrefix prefix = logPlace_ <= ppProgram ? static_cast<TKitPathPrefix>(logPlace_) : ppFixed;
    logFile_ = GetDirectory(prefix, true) + ExtractFileName(name);
  } else {
    logFile_ = name;
  }
}

Word TKitApplication::AddTimer(Word Interval, TNotifyEvent Handler) {
  Integer slot = 0;
  for (Integer s = 1; s <= kKitTimerSlots; ++s) {
    if (!timerSlots_[s - 1]) {
      slot = s;
      break;
    }
  }
  if (slot == 0) return 0;  // every client slot is taken
  const Word id = static_cast<Word>(kKitTimerIdBase + slot);
  if (timerPool_->Add(id, Interval, std::move(Handler)) == -1) return 0;
  timerSlots_[slot - 1] = 1;
  return id;
}

void TKitApplication::RemoveTimer(Word Id) {
  if (Id <= kKitTimerIdBase || Id > kKitTimerIdBase + kKitTimerSlots) return;
  timerPool_->Remove(Id);
  timerSlots_[Id - kKitTimerIdBase - 1] = 0;
}

TKitTimerItem* TKitApplication::GetTimerItem(Word Id) const { return timerPool_->ItemById(Id); }

bool TKitApplication::TimerSlotTaken(Integer slot) const {
  if (slot < 1 || slot > kKitTimerSlots) return false;
  return timerSlots_[slot - 1] != 0;
}
