#pragma once
// TScreen: the screen the forms are on — its size and resolution, the cursors, the
// fonts, the forms and which of them (and which control) is active. TMouse: the mouse.
// The process-wide `Screen` and `Mouse` objects are made when the module loads.
#include <map>
#include <memory>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/strings.h"
#include "platform/win/window.h"

class TCustomForm;
class TForm;

// True for the ids of the system's cursors (crDefault down to crSizeAll), which the
// program cannot replace.
bool IsSystemCursor(Integer index);
class TWinControl;

class TScreen : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  // ---- cursors ----
  // The cursor shown everywhere; crDefault lets each control show its own.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor value);
  // The cursor handle of an id: the system's cursors for the cr* ids (crDefault down to
  // crSizeAll), cursors added by the program for any other id, the arrow for an unknown id.
  win::HCURSOR Cursors(Integer index);
  // Adds or replaces a cursor (null removes a program cursor).
  void SetCursors(Integer index, win::HCURSOR handle);

  // ---- the screen ----
  Integer Width() const;
  Integer Height() const;
  Integer PixelsPerInch() const { return 96; }
  // Names of the fonts the text backend offers, sorted.
  TStrings* Fonts();
  TFont* HintFont() const { return hintFont_.get(); }
  void SetHintFont(TFont* value) { hintFont_->Assign(value); }

  // ---- forms ----
  Integer FormCount() const;
  // Only TForm descendants (CustomForms lists every form).
  TForm* Forms(Integer index) const;
  Integer CustomFormCount() const { return static_cast<Integer>(customForms_.size()); }
  TCustomForm* CustomForms(Integer index) const;
  // The form with the focus, and the control inside it that has it.
  TForm* ActiveForm() const { return activeForm_; }
  TCustomForm* ActiveCustomForm() const { return activeCustomForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  TCustomForm* FocusedForm() const { return focusedForm_; }

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // Records the focus a form's SetFocusedControl moved.
  void SetFocus(TCustomForm* form, TWinControl* control);

  TCursor cursor_ = crDefault;
  std::map<Integer, win::HCURSOR> cursors_;  // program cursors (ids outside the system's)
  std::unique_ptr<TStringList> fonts_;
  std::unique_ptr<TFont> hintFont_;
  std::vector<TCustomForm*> customForms_;
  TForm* activeForm_ = nullptr;
  TCustomForm* activeCustomForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TCustomForm* focusedForm_ = nullptr;
};

class TMouse {
 public:
  TMouse() = default;
  TMouse(const TMouse&) = delete;
  TMouse& operator=(const TMouse&) = delete;

  // The window holding the mouse capture; setting it captures (null releases).
  win::HWND Capture() const;
  void SetCapture(win::HWND value);
  TPoint CursorPos() const;
  // Moves the cursor (the window system then sends the mouse move).
  void SetCursorPos(const TPoint& value);
  bool MousePresent() const;
  bool WheelPresent() const { return true; }
  Integer WheelScrollLines() const { return 3; }
  bool DragImmediate() const { return true; }
  Integer DragThreshold() const { return 5; }
};

// Made at load; freed at the module's end (module_life.h), null after it.
extern TScreen* Screen;
extern TMouse* Mouse;
// The screen, made with the mouse if they are not there yet: a library whose load-time
// objects need the screen cannot count on being initialised after this one.
TScreen* EnsureScreen();
