#pragma once
// Registers the bridge's components with the class registry, so that form files can
// create them by class name.
void RegisterHostBridgeClasses();
