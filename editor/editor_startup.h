#pragma once
// Start-up and shut-down of the editor inside the host.
#include <string>

// The folder of the host's executable, with a trailing separator ("" before start-up).
const std::string& HostFolder();

// Sets the host and data folders and the help file from the running program's folder
// and creates the main window (owned by the application), unless it exists.
void EditorStartup();
// From now on a late deactivation from the host is ignored; the main window goes and
// the folders are forgotten.
void EditorShutdown();

// The help file's name, in the data folder.
inline constexpr const char* kHelpFileName = "ZOVK.hlp";
