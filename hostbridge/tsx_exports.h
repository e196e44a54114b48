#pragma once
// The bodies of the module's five exports (the module itself only forwards to these).
// None lets an exception out: a failing handler gives the export's failure value.
#include "platform/classlib/types.h"
#include "platform/host/tsxapi.h"

// The API version the module needs (430 unless a TTsx set another).
Integer TsxGetVersion() noexcept;
// Stores the id, raises the plug-in-init handler, then fills the descriptor. A failing
// handler does not keep the descriptor from being filled.
void TsxGetData(tsxPluginDescriptor* descriptor, Integer pluginId) noexcept;
// The left-click handler's answer; 0 without a handler or when it fails.
Integer TsxOnLeftClick() noexcept;
void TsxOnRightClick() noexcept;
// Raises the deactivate handler unless the module is shutting down.
void TsxDeactivate() noexcept;

// Title (at most 31 characters), author (at most 63), each NUL-terminated and padded
// with zeros to its field, and the two resource ids as u16.
void FillDescriptor(tsxPluginDescriptor& descriptor);
