#pragma once
// Where hostsim finds the plug-in module when none is named.
#include <string>

// The module built next to this program: ../../plugin/Quillmoth.tsx from its folder.
std::string DefaultModulePath();
