#include "platform/classlib/std_imagelist_link.h"

#include "platform/classlib/component.h"

bool ReplaceImageList(TComponent* owner, TCustomImageList*& field, TCustomImageList* value, TChangeLink* link) {
  if (field == value) return false;
  if (field) {
    if (link) field->UnRegisterChanges(link);
    field->RemoveFreeNotification(owner);
  }
  field = value;
  if (value) {
    if (link) value->RegisterChanges(link);
    value->FreeNotification(owner);
  }
  return true;
}
