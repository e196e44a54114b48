#include "hostbridge/owner_form.h"

namespace {
TIsFormPredicate g_isForm = nullptr;
}  // namespace

void SetIsFormPredicate(TIsFormPredicate predicate) { g_isForm = predicate; }

bool IsForm(const TComponent* component) { return component && g_isForm && g_isForm(component); }
