#pragma once
// Whether a component is a form. The bridge remembers its owner only when that owner is a
// form, but forms arrive with the window layer. Until that layer installs its own test
// with SetIsFormPredicate, no component counts as a form.
class TComponent;

using TIsFormPredicate = bool (*)(const TComponent* component);

// Null restores the built-in answer (never a form).
void SetIsFormPredicate(TIsFormPredicate predicate);
bool IsForm(const TComponent* component);
