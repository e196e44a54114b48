#pragma once
// In-place editing of an item's text inside a view (tree view, list view): the editor
// child, the edit timer, and how an edit starts and ends. Enter and leaving the editor
// keep the text, Escape drops it; a view being destroyed drops it too. Keeping runs the
// view's OnEdited step, then applies the text unless that step deleted the item.
#include <functional>
#include <string>

#include "platform/classlib/types.h"
#include "platform/win/messages.h"

class TClass;
class TCustomEdit;
class TWinControl;

// The part that does not depend on the item type.
class TInplaceEditCore {
 public:
  TInplaceEditCore(const TInplaceEditCore&) = delete;
  TInplaceEditCore& operator=(const TInplaceEditCore&) = delete;

  // Ends the current edit; `cancel` drops the text. Does nothing without an edit or
  // while one is already being ended.
  virtual void Finish(bool cancel) = 0;

  // The editor child, created by the first edit.
  TCustomEdit* Editor() const { return editor_; }
  // Frees the editor while the view is still whole; the current edit is forgotten.
  void DestroyEditor();

  // The timer that starts an edit after the double-click time; the view sees it as
  // WM_TIMER with TimerId.
  static constexpr win::ULONG_PTR TimerId = 1;
  void StartTimer();
  void StopTimer();

 protected:
  // `editorClass` is what the editor reports as its class.
  TInplaceEditCore(TWinControl* view, const TClass& editorClass) : view_(view), editorClass_(&editorClass) {}
  virtual ~TInplaceEditCore();

  virtual void Forget() = 0;
  void CreateEditor();
  void PlaceEditor(Integer left, Integer top, Integer width, Integer height, const std::string& text);
  void ShowEditor();
  std::string EditorText() const;
  bool ViewDestroying() const;
  // Gives the focus back to the view when the editor has it, and hides the editor.
  void HideEditor();

  TWinControl* view_;
  const TClass* editorClass_;
  TCustomEdit* editor_ = nullptr;  // a child of the view
  bool finishing_ = false;
  bool timer_ = false;
};

template <class TItem>
class TInplaceEdit final : public TInplaceEditCore {
 public:
  struct Bounds {
    Integer left = 0, top = 0, width = 0, height = 0;
  };
  // `edited` is the view's OnEdited step (it may change the text or delete the item);
  // `apply` stores the kept text in the item.
  using TEdited = std::function<void(TItem* item, std::string& text)>;
  using TApply = std::function<void(TItem* item, const std::string& text)>;

  TInplaceEdit(TWinControl* view, const TClass& editorClass, TEdited edited, TApply apply)
      : TInplaceEditCore(view, editorClass), edited_(std::move(edited)), apply_(std::move(apply)) {}
  ~TInplaceEdit() override { DestroyEditor(); }

  // The item being edited, else nullptr.
  TItem* Item() const { return item_; }
  // The item whose edit is being ended, else nullptr.
  TItem* Finishing() const { return finishingItem_; }
  // The item whose edit is being ended is going away: its text is not applied.
  void ForgetFinishing() { finishingItem_ = nullptr; }

  // Shows the editor over `item` with `text`, placed by `place` (asked once the editor
  // exists), and gives it the focus.
  void Start(TItem* item, const std::string& text, const std::function<Bounds()>& place) {
    CreateEditor();
    Bounds b = place();
    PlaceEditor(b.left, b.top, b.width, b.height, text);
    item_ = item;
    ShowEditor();
  }

  void Finish(bool cancel) override {
    if (!item_ || finishing_ || !editor_) return;
    finishing_ = true;
    finishingItem_ = item_;
    item_ = nullptr;
    std::string text = EditorText();
    // A control going away drops the edit: no handler runs while its form is torn down.
    if (ViewDestroying()) cancel = true;
    try {
      HideEditor();
      if (!cancel && finishingItem_) {
        edited_(finishingItem_, text);
        // OnEdited may have deleted the item: then there is nothing to rename.
        if (finishingItem_) apply_(finishingItem_, text);
      }
    } catch (...) {
      finishing_ = false;
      finishingItem_ = nullptr;
      throw;
    }
    finishing_ = false;
    finishingItem_ = nullptr;
  }

 protected:
  void Forget() override { item_ = nullptr; }

 private:
  TEdited edited_;
  TApply apply_;
  TItem* item_ = nullptr;
  TItem* finishingItem_ = nullptr;
};
