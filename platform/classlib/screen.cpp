#include "platform/classlib/screen.h"

#include <algorithm>

#include "platform/classlib/forms.h"
#include "platform/classlib/win_control.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/face_table.h"

TScreen* Screen = nullptr;
TMouse* Mouse = nullptr;

TScreen* EnsureScreen() {
  if (!Screen && !Mouse) {
    Screen = new TScreen(nullptr);
    Mouse = new TMouse();
  }
  return Screen;
}

namespace {

// The screen and the mouse exist from load on, until the module's end (module_life.h).
const bool kScreenCreated = (EnsureScreen(), true);

// The system cursor of each cr* id.
const char* SystemCursorName(Integer id) {
  switch (id) {
    case crArrow: return win::IDC_ARROW;
    case crCross: return win::IDC_CROSS;
    case crIBeam: return win::IDC_IBEAM;
    case crSizeNESW: return win::IDC_SIZENESW;
    case crSizeNS: return win::IDC_SIZENS;
    case crSizeNWSE: return win::IDC_SIZENWSE;
    case crSizeWE: return win::IDC_SIZEWE;
    case crUpArrow: return win::IDC_UPARROW;
    case crHourGlass: return win::IDC_WAIT;
    case crSQLWait: return win::IDC_WAIT;
    case crNo: return win::IDC_NO;
    case crNoDrop: return win::IDC_NO;
    case crAppStart: return win::IDC_APPSTARTING;
    case crHelp: return win::IDC_HELP;
    case crHandPoint: return win::IDC_HAND;
    case crSizeAll: return win::IDC_SIZEALL;
    case crDrag: return win::IDC_ARROW;
    case crMultiDrag: return win::IDC_ARROW;
    case crHSplit: return win::IDC_SIZEWE;
    case crVSplit: return win::IDC_SIZENS;
    default: return nullptr;
  }
}

// Faces a form may name; the screen offers those the window system's text backend knows
// by their own name.
constexpr const char* kCandidateFaces[] = {
    "Arial",         "Courier",      "Courier New", "Fixedsys",      "Microsoft Sans Serif", "MS Sans Serif",
    "MS Serif",      "MS Shell Dlg", "Small Fonts", "Symbol",        "System",               "Tahoma",
    "Terminal",      "Times New Roman", "Verdana",  "Wingdings",
};

}  // namespace

const TClass& TScreen::StaticClass() {
  static const TClass cls = TClass::Of<TScreen>("TScreen", TComponent::StaticClass());
  return cls;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  hintFont_ = std::make_unique<TFont>();
  hintFont_->SetColor(clInfoText);
}

TScreen::~TScreen() {
  if (Screen == this) Screen = nullptr;
}

void TScreen::SetCursor(TCursor value) {
  cursor_ = value;
  if (value == crDefault) {
    // Each control shows its own again: the window under the cursor says which.
    win::POINT p;
    win::GetCursorPos(&p);
    if (win::HWND h = win::WindowFromPoint(p))
      win::SendMessage(h, win::WM_SETCURSOR, reinterpret_cast<win::WPARAM>(h),
                       win::MAKELPARAM(static_cast<int>(win::HTCLIENT), static_cast<int>(win::WM_MOUSEMOVE)));
  } else {
    win::SetCursor(Cursors(value));
  }
}

bool IsSystemCursor(Integer index) { return index >= crSizeAll && index <= crDefault; }

win::HCURSOR TScreen::Cursors(Integer index) {
  if (index == crNone) return nullptr;
  if (index == crDefault) return win::LoadCursor(nullptr, win::IDC_ARROW);
  if (!IsSystemCursor(index)) {
    auto it = cursors_.find(index);
    if (it != cursors_.end()) return it->second;
  }
  const char* name = SystemCursorName(index);
  return win::LoadCursor(nullptr, name ? name : win::IDC_ARROW);
}

void TScreen::SetCursors(Integer index, win::HCURSOR handle) {
  // The system's cursors stay what they are; every other id, negative ones too, is the
  // program's.
  if (IsSystemCursor(index)) return;
  if (handle)
    cursors_[index] = handle;
  else
    cursors_.erase(index);
}

Integer TScreen::Width() const { return win::GetSystemMetrics(win::SM_CXSCREEN); }
Integer TScreen::Height() const { return win::GetSystemMetrics(win::SM_CYSCREEN); }

TStrings* TScreen::Fonts() {
  if (!fonts_) {
    fonts_ = std::make_unique<TStringList>();
    for (const char* face : kCandidateFaces) {
      win::text::FaceChoice choice = win::text::ResolveFace(face, 0, 0);
      if (SameIdent(choice.faceName, face)) fonts_->Add(face);
    }
    fonts_->SetSorted(true);
  }
  return fonts_.get();
}

// A form is added while its constructor runs, before it is a TForm: the kind is asked
// when the list is read.
Integer TScreen::FormCount() const {
  Integer n = 0;
  for (TCustomForm* f : customForms_)
    if (dynamic_cast<TForm*>(f)) ++n;
  return n;
}

TForm* TScreen::Forms(Integer index) const {
  Integer i = index;
  if (i >= 0)
    for (TCustomForm* f : customForms_)
      if (auto* form = dynamic_cast<TForm*>(f))
        if (i-- == 0) return form;
  throw CreateFmt<EListError>(msg::ListIndexError, index);
}

TCustomForm* TScreen::CustomForms(Integer index) const {
  if (index < 0 || index >= CustomFormCount()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return customForms_[static_cast<std::size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form) { customForms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  customForms_.erase(std::remove(customForms_.begin(), customForms_.end(), form), customForms_.end());
  bool formChanged = activeCustomForm_ == form;
  if (activeCustomForm_ == form) activeCustomForm_ = nullptr;
  if (static_cast<TCustomForm*>(activeForm_) == form) activeForm_ = nullptr;
  if (focusedForm_ == form) focusedForm_ = nullptr;
  if (activeControl_ && ::GetParentForm(activeControl_) == form) activeControl_ = nullptr;
  if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetFocus(TCustomForm* form, TWinControl* control) {
  bool formChanged = activeCustomForm_ != form;
  bool controlChanged = activeControl_ != control;
  activeCustomForm_ = form;
  activeControl_ = control;
  if (auto* f = dynamic_cast<TForm*>(form)) activeForm_ = f;
  if (controlChanged && OnActiveControlChange) OnActiveControlChange(this);
  if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
}

// ---- TMouse ---------------------------------------------------------------------------------------

win::HWND TMouse::Capture() const { return win::GetCapture(); }

void TMouse::SetCapture(win::HWND value) {
  if (value)
    win::SetCapture(value);
  else
    win::ReleaseCapture();
}

TPoint TMouse::CursorPos() const {
  win::POINT p;
  win::GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(const TPoint& value) { win::SetCursorPos(value.x, value.y); }

bool TMouse::MousePresent() const { return win::GetSystemMetrics(win::SM_MOUSEPRESENT) != 0; }
