#pragma once
// The open and save dialogs as windows of the class library's own, for a person at the
// screen: "Look in" with the folder and its parents and an Up button, the folder's
// sub-folders and the files the chosen filter lets through (folders first, by name),
// "File name" and "Files of type". A typed wildcard filters the list, a typed folder (or
// a double-clicked one) is opened, and a name relative to the shown folder is taken in it.
#include <optional>
#include <string>
#include <vector>

#include "platform/win/modal_answers.h"

// The chosen file (absolute), or nothing when cancelled.
std::optional<std::vector<std::string>> RunFileDialogForm(const win::ModalPrompt& prompt);
