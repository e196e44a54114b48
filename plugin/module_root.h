#pragma once
// The component that carries the module's bridge components while the module is loaded.
class TComponent;
class TTsx;

// Null before the module's initialisation and after its finalisation.
TComponent* ModuleRoot();
TTsx* ModuleTsx();
