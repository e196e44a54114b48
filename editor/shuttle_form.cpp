#include "editor/shuttle_form.h"

#include <string>

#include "controlkit/kit_control_base.h"
#include "controlkit/kit_meter.h"
#include "controlkit/kit_speed_button.h"
#include "controlkit/kit_status_bar.h"
#include "editor/editor_helpers.h"
#include "editor/editor_links.h"
#include "editor/main_form.h"
#include "hostbridge/bridge_classes.h"
#include "panels/push_button.h"
#include "platform/classlib/exceptions.h"

const TClass& TShuttleForm::StaticClass() {
  static const TClass cls =
      TClass::Of<TShuttleForm>("TShuttleForm", TTsOwnedForm::StaticClass(), &TShuttleForm::Publish);
  return cls;
}

void TShuttleForm::Publish(TPublished& published) {
  auto p = published.For<TShuttleForm>();
  p.Method("PreviewButtonClick", &TShuttleForm::PreviewButtonClick);
  p.Method("RewindButtonClick", &TShuttleForm::RewindButtonClick);
  p.Method("GrowButtonClick", &TShuttleForm::GrowButtonClick);
}

TShuttleForm::TShuttleForm(TComponent* AOwner) : TTsOwnedForm(AOwner) {
  RegisterEditorKitClasses();
  ReadFormResource();
  PreviewButton = FindFormPart<TFpPushButton>(this, "PreviewButton");
  RewindButton = FindFormPart<TFpPushButton>(this, "RewindButton");
  GrowButton = FindFormPart<TKitSpeedButton>(this, "GrowButton");
  RenderProgress = FindFormPart<TKitProgress>(this, "RenderProgress");
  StatusBar = FindFormPart<TKitStatusBar>(this, "StatusBar");
  // The kit's defaults draw the old frame and a grip, which this small window has no room for.
  StatusBar->SetOldStyle(false);
  StatusBar->SetSizeGrip(false);
}

void TShuttleForm::PreviewButtonClick(TObject* Sender) { CallLink(EditorLinks().PlayClick, Sender); }

void TShuttleForm::RewindButtonClick(TObject* Sender) { CallLink(EditorLinks().RewindClick, Sender); }

void TShuttleForm::GrowButtonClick(TObject*) {
  if (!MainForm) return;
  MainForm->SetLeft(Left());
  MainForm->SetTop(Top());
  Hide();
  MainForm->Show();
}
