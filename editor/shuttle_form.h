#pragma once
// TShuttleForm: the control window. A small tool window with the main window's Play and
// Rewind buttons, a meter and a status line; it stands in for the main window while the
// user has shrunk it.
#include "hostbridge/owned_form.h"

class TFpPushButton;
class TKitProgress;
class TKitSpeedButton;
class TKitStatusBar;

class TShuttleForm : public TTsOwnedForm {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TShuttleForm(TComponent* AOwner);

  // ---- handlers ----
  // Play and Rewind are the main window's.
  void PreviewButtonClick(TObject* Sender);
  void RewindButtonClick(TObject* Sender);
  // The main window comes back where the control window is.
  void GrowButtonClick(TObject* Sender);

  // ---- form content ----
  TFpPushButton* PreviewButton = nullptr;
  TFpPushButton* RewindButton = nullptr;
  TKitSpeedButton* GrowButton = nullptr;
  TKitProgress* RenderProgress = nullptr;
  TKitStatusBar* StatusBar = nullptr;

 private:
};
