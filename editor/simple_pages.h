#pragma once
// TSimplePages: a set of alternative contents for one parent, one shown at a time.
#include <functional>
#include <vector>

#include "platform/classlib/types.h"

class TControl;
class TWinControl;

class TSimplePages {
 public:
  // Makes the control client-aligned and hidden, and appends it.
  void AddPage(TControl* Page);
  // Moves every page onto the parent.
  void SetParent(TWinControl* AParent);
  TWinControl* Parent() const { return parent_; }
  // Hides every other page and shows this one.
  void ShowPage(TControl* Page);
  void HidePage(TControl* Page);
  void ForEach(const std::function<void(TControl*)>& Proc) const;

  const std::vector<TControl*>& Pages() const { return pages_; }
  TControl* CurrentPage() const { return current_; }
  // -1 while no page (or one that is not in the list) was shown.
  Integer CurrentIndex() const { return currentIndex_; }

 private:
  std::vector<TControl*> pages_;
  TWinControl* parent_ = nullptr;
  TControl* current_ = nullptr;
  Integer currentIndex_ = -1;
};
