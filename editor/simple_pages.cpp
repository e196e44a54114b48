#include "editor/simple_pages.h"

#include <algorithm>

#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

void TSimplePages::AddPage(TControl* Page) {
  Page->SetAlign(alClient);
  Page->SetVisible(false);
  pages_.push_back(Page);
}

void TSimplePages::SetParent(TWinControl* AParent) {
  parent_ = AParent;
  for (TControl* page : pages_) page->SetParent(AParent);
}

void TSimplePages::ShowPage(TControl* Page) {
  for (TControl* page : pages_)
    if (page != Page) page->SetVisible(false);
  if (Page) Page->SetVisible(true);
  current_ = Page;
  const auto it = std::find(pages_.begin(), pages_.end(), Page);
  currentIndex_ = it == pages_.end() ? -1 : static_cast<Integer>(it - pages_.begin());
}

void TSimplePages::HidePage(TControl* Page) {
  if (Page) Page->SetVisible(false);
}

void TSimplePages::ForEach(const std::function<void(TControl*)>& Proc) const {
  for (TControl* page : pages_) Proc(page);
}
