#include "plugin/script_exports.h"

#include <cstring>
#include <exception>
#include <string>

#include "controlkit/kit_status_bar.h"
#include "editor/main_form.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/menus.h"
#include "platform/win/modal_answers.h"
#include "plugin/module_root.h"

namespace {

void CopyOut(const std::string& Text, char* Buffer, int Size) {
  if (!Buffer || Size < 1) return;
  const std::size_t n = std::min<std::size_t>(Text.size(), static_cast<std::size_t>(Size - 1));
  std::memcpy(Buffer, Text.data(), n);
  Buffer[n] = '\0';
}

std::string DescribePrompt(const win::ModalPrompt& p) {
  std::string what = std::string(win::ModalKindName(p.kind));
  const std::string& title = !p.title.empty() ? p.title : !p.caption.empty() ? p.caption : p.formClass;
  if (!title.empty()) what += " \"" + title + "\"";
  return what;
}

}  // namespace

int RunEditorCommand(const std::string& Path, std::string& Message) {
  Message.clear();
  EnsureModuleStarted();
  if (!MainForm) {
    Message = "\"" + Path + "\": the editor's main window is gone";
    return 1;
  }
  TMenuItem* item = MainForm->FindMenuItem(Path);
  if (!item || item->Count() > 0) {
    Message = "\"" + Path + "\": there is no such command in the editor's menu";
    return 1;
  }
  // The action decides whether the command is available now.
  item->InitiateAction();
  if (!item->Enabled()) {
    const std::string needs = MainForm->WhatCommandNeeds(item);
    Message = "\"" + Path + "\": the command is not available now" + (needs.empty() ? "" : ": " + needs);
    return 1;
  }
  const std::size_t promptsBefore = win::ModalPrompts().size();
  try {
    item->Click();
  } catch (const win::NoModalAnswer& e) {
    Message = "\"" + Path + "\": " + e.what();
    return 1;
  } catch (const Exception& e) {
    Message = "\"" + Path + "\": " + e.Message();
    return 1;
  } catch (const std::exception& e) {
    Message = "\"" + Path + "\": " + e.what();
    return 1;
  }
  // With safe defaults a dialog without an answer is cancelled instead of failing; one the
  // host's standing answer took was answered.
  const auto& prompts = win::ModalPrompts();
  for (std::size_t i = promptsBefore; i < prompts.size(); ++i) {
    if (!prompts[i].unanswered) continue;
    Message = "\"" + Path + "\": the " + DescribePrompt(prompts[i]) + " found no answer";
    return 1;
  }
  return 0;
}

std::string EditorCommandList() {
  EnsureModuleStarted();
  std::string list;
  if (MainForm)
    for (const std::string& path : MainForm->MenuCommandPaths()) list += path + "\n";
  return list;
}

std::string EditorStatusText() {
  EnsureModuleStarted();
  return MainForm && MainForm->StatusBar ? MainForm->StatusBar->SimpleText() : std::string();
}

extern "C" int QuillmothRunCommand(const char* Path, char* Message, int Size) {
  std::string message;
  int result = 1;
  try {
    result = RunEditorCommand(Path ? Path : "", message);
  } catch (...) {
    message = "the command could not be run";
    result = 1;
  }
  CopyOut(message, Message, Size);
  return result;
}

namespace {

// Copies a text out and answers its full length; "" when it could not be made.
int AnswerText(std::string (*Make)(), char* Text, int Size) {
  try {
    const std::string text = Make();
    CopyOut(text, Text, Size);
    return static_cast<int>(text.size());
  } catch (...) {
    CopyOut("", Text, Size);
    return 0;
  }
}

}  // namespace

extern "C" int QuillmothStatusText(char* Text, int Size) { return AnswerText(EditorStatusText, Text, Size); }

extern "C" int QuillmothCommandList(char* Text, int Size) { return AnswerText(EditorCommandList, Text, Size); }
