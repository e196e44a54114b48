#pragma once
// The registry of classes that form files name: a class is found by its name
// (case-insensitive) and built by virtual construction.
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/classlib/object.h"

class TComponent;

// Registers the class and its parents up to TPersistent. Registering the same class
// again does nothing; another class of the same name raises EFilerError
// "A class named %s already exists".
void RegisterClass(const TClass& cls);
void RegisterClasses(std::initializer_list<const TClass*> classes);
void UnRegisterClass(const TClass& cls);

// Every registered class, in the order registered.
const std::vector<const TClass*>& RegisteredClasses();

// nullptr when no class of that name is registered.
const TClass* GetClass(std::string_view name);
// Raises EClassNotFound "Class %s not found".
const TClass& FindClass(std::string_view name);

// Builds a component of the class, inserted into `owner` when there is one.
// Raises EInvalidOperation when the class is not a component class or cannot be built.
TComponent* CreateComponent(const TClass& cls, TComponent* owner);
TComponent* CreateComponent(std::string_view className, TComponent* owner);
