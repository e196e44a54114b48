#pragma once
// Pointing a control at another image list: the old list stops telling the control of
// its changes and its freeing, the new one starts.
#include "platform/classlib/std_imagelist.h"

class TComponent;

// Moves `link` (may be null: free notification only) from `field` to `value` and
// stores `value` in `field`. False, with nothing touched, when `field` already is `value`.
bool ReplaceImageList(TComponent* owner, TCustomImageList*& field, TCustomImageList* value, TChangeLink* link);
