#pragma once
// Handles of the window system. Every GDI object is a C++ object deriving from
// GdiObject; a handle is a typed pointer to it. Handles are checked against the live
// object table before use (see gdi_object.h), so a stale handle fails instead of crashing.
namespace win {

struct GdiObject;
struct DeviceContext;
struct PenObject;
struct BrushObject;
struct FontObject;
struct BitmapObject;
struct PaletteObject;
struct RegionObject;
struct WindowObject;

using HGDIOBJ = GdiObject*;
using HDC = DeviceContext*;
using HPEN = PenObject*;
using HBRUSH = BrushObject*;
using HFONT = FontObject*;
using HBITMAP = BitmapObject*;
using HPALETTE = PaletteObject*;
using HRGN = RegionObject*;
using HWND = WindowObject*;

}  // namespace win
