#pragma once
// The two bases of the control kit: TKitObject for property objects (bevels, gradients,
// fills, captions, waves ...) and TKitCustomComponent for the kit's non-visual components.
//
// Both follow one pattern: a change goes through NotifyChange -> Change -> OnChange, and a
// one-level update lock (BeginUpdate / EndUpdate) holds OnChange back. There is no nesting
// count: the first EndUpdate ends the lock.
#include <string>

#include "platform/classlib/component.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/types.h"

// The designer-only "About" text of the kit's components.
using TKitAboutVar = std::string;

class TKitObject : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TKitObject() = default;
  ~TKitObject() override = default;

  // Calls Change.
  virtual void NotifyChange();
  // Fires OnChange (sender: this object) unless the object is locked or has no handler.
  virtual void Change();
  // A one-line description of the settings; empty for the base.
  virtual std::string SettingsText();

  void BeginUpdate() { updating_ = 1; }
  // Ends the lock; with callChange true, fires one Change.
  void EndUpdate(bool callChange);
  bool IsUpdating() const { return updating_ != 0; }

  TNotifyEvent OnChange;

 private:
  Byte updating_ = 0;
};

// Stores a value that differs from the field's and reports it through the object's Change;
// an equal value changes nothing and fires nothing.
template <class T, class V>
void KitPut(T& object, V& field, V value) {
  if (field == value) return;
  field = value;
  object.Change();
}

class TKitCustomComponent : public TComponent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitCustomComponent(TComponent* AOwner);
  ~TKitCustomComponent() override = default;

  const TKitAboutVar& About() const { return about_; }
  void SetAbout(const TKitAboutVar& value) { about_ = value; }

  virtual void NotifyChange();
  virtual void Change();

  void BeginUpdate() { updating_ = 1; }
  void EndUpdate(bool callChange);
  bool IsUpdating() const { return updating_ != 0; }

  TNotifyEvent OnChange;

 private:
  TKitAboutVar about_;
  Byte updating_ = 0;
};
