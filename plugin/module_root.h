#pragma once
// The module's start and end: the editor's start-up makes the main window, whose form
// resource carries the bridge's components (the plug-in descriptor, the render events,
// the post-process shader).
class TComponent;
class TTsx;

// Starts the editor on the module's first call (the host's first call after loading it),
// when the libraries linked into the module have all been initialised. Idempotent.
void EnsureModuleStarted();

// The main window and its TTsx; null before the start, after the end, and once the
// host's main view has taken the window with it.
TComponent* ModuleRoot();
TTsx* ModuleTsx();
