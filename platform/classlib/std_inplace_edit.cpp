#include "platform/classlib/std_inplace_edit.h"

#include "platform/classlib/std_edit.h"
#include "platform/win/input.h"
#include "platform/win/timers.h"

namespace {

// Enter and Escape end the edit instead of reaching the form; leaving keeps the text.
class TInplaceEditor : public TCustomEdit {
 public:
  TInplaceEditor(const TClass& cls, TInplaceEditCore* edit) : TCustomEdit(nullptr), class_(&cls), edit_(edit) {
    SetAutoSize(false);
    SetCtl3D(false);
    SetParentCtl3D(false);
    SetTabStop(false);
  }
  const TClass& ClassType() const override { return *class_; }

 protected:
  bool WantsKey(Word Key) override { return Key == win::VK_RETURN || Key == win::VK_ESCAPE || TCustomEdit::WantsKey(Key); }
  void DefaultHandler(TMessage& Message) override {
    if (Message.Msg == win::WM_CHAR && (Message.WParam == '\r' || Message.WParam == 27)) {
      edit_->Finish(Message.WParam == 27);
      return;
    }
    TCustomEdit::DefaultHandler(Message);
  }
  void WMKillFocus(TMessage& Message) override {
    TCustomEdit::WMKillFocus(Message);
    edit_->Finish(false);
  }

 private:
  const TClass* class_;
  TInplaceEditCore* edit_;
};

}  // namespace

TInplaceEditCore::~TInplaceEditCore() = default;

void TInplaceEditCore::DestroyEditor() {
  Forget();
  // Losing the focus on the way out reaches Finish, which then finds no edit.
  if (editor_) {
    TCustomEdit* editor = editor_;
    editor_ = nullptr;
    delete editor;
  }
}

void TInplaceEditCore::StartTimer() {
  if (!view_->HandleAllocated()) return;
  win::SetTimer(view_->WindowHandle(), TimerId, win::GetDoubleClickTime(), nullptr);
  timer_ = true;
}

void TInplaceEditCore::StopTimer() {
  if (!timer_) return;
  timer_ = false;
  if (view_->HandleAllocated()) win::KillTimer(view_->WindowHandle(), TimerId);
}

void TInplaceEditCore::CreateEditor() {
  if (editor_) return;
  editor_ = new TInplaceEditor(*editorClass_, this);
  editor_->SetVisible(false);
  editor_->SetParent(view_);
}

void TInplaceEditCore::PlaceEditor(Integer left, Integer top, Integer width, Integer height, const std::string& text) {
  editor_->SetFont(view_->Font());
  editor_->SetBounds(left, top, width, height);
  editor_->SetText(text);
}

void TInplaceEditCore::ShowEditor() {
  editor_->SetVisible(true);
  editor_->SelectAll();
  if (editor_->CanFocus()) editor_->SetFocus();
}

std::string TInplaceEditCore::EditorText() const { return editor_->Text(); }

bool TInplaceEditCore::ViewDestroying() const { return view_->ComponentState().Contains(csDestroying); }

void TInplaceEditCore::HideEditor() {
  // Enter and Escape give the focus back to the view; a click elsewhere keeps it there.
  if (editor_->Focused() && !ViewDestroying() && view_->CanFocus()) view_->SetFocus();
  editor_->SetVisible(false);
}
