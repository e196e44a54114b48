#pragma once
// Forms read from the module's own resources: the text of each form is embedded (type
// RT_RCDATA) under the name of its class in upper case, "TMAINFORM" for TMainForm.
#include <string>

#include "platform/classlib/component.h"

// Reads the form resource `resName` into `instance` (the root is not created: it is the
// instance) and binds its events to the instance's methods. Raises EResNotFound
// "Resource %s not found" when there is no such resource, and the form reader's errors
// (see form_reader.h) for a bad one; after a failure the components the read created
// are freed again.
TComponent* ReadComponentRes(const std::string& resName, TComponent* instance);

// Reads into `instance` the form resource of each class from the one just below
// `rootAncestor` down to the instance's own class, ancestors first, so that a derived
// form ("inherited MainForm: TMainForm") adds to and overrides its ancestor's. Every
// resource is parsed before any is applied; references are fixed and Loaded is called
// once, after the last. Classes without a resource are passed over; false when none of
// them has one.
bool InitInheritedComponent(TComponent* instance, const TClass& rootAncestor);
