#include "platform/win/system_tables.h"

#include <array>
#include <memory>

#include "platform/win/dc.h"
#include "platform/win/gdi_objects.h"

namespace win {
namespace {

// The classic scheme: grey faces, navy selection and captions.
constexpr std::array<COLORREF, kSysColorCount> kSysColors = {
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application workspace
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3D dark shadow
    0xC0C0C0,  // 3D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
    0xB5B5B5,  // (unused slot)
    0x800000,  // hot-tracked item
    0xD08410,  // active caption gradient end
    0xB5B5B5,  // inactive caption gradient end
    0x800000,  // highlighted menu item
    0xC0C0C0,  // menu bar
};

struct Screen {
  int width = 1024;
  int height = 768;
  int bits = 32;
};
Screen& TheScreen() {
  static Screen s;
  return s;
}

}  // namespace

DWORD GetSysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return 0;
  return kSysColors[static_cast<std::size_t>(index)];
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kSysColorCount) return nullptr;
  // Created once and kept for the process, as stock objects are.
  static std::array<BrushObject*, kSysColorCount> brushes{};
  BrushObject*& b = brushes[static_cast<std::size_t>(index)];
  if (!b) {
    b = new BrushObject();
    b->stock = true;
    b->style = BS_SOLID;
    b->color = kSysColors[static_cast<std::size_t>(index)];
  }
  return b;
}

int GetSystemMetrics(int index) {
  const Screen& s = TheScreen();
  switch (index) {
    case SM_CXSCREEN: return s.width;
    case SM_CYSCREEN: return s.height;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 16;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXICON: case SM_CYICON: return 32;
    case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXFULLSCREEN: return s.width;
    case SM_CYFULLSCREEN: return s.height - 19;
    case SM_MOUSEPRESENT: return 1;
    case SM_SWAPBUTTON: return 0;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_MENUDROPALIGNMENT: return 0;
    case SM_DBCSENABLED: return 0;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXMINSPACING: return 160;
    case SM_CYMINSPACING: return 24;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return 14;
    case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 18;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 24;
    case SM_CXMAXTRACK: return s.width + 12;
    case SM_CYMAXTRACK: return s.height + 12;
    case SM_CXMAXIMIZED: return s.width + 8;
    case SM_CYMAXIMIZED: return s.height + 8 - 28;  // less a task bar
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_MOUSEWHEELPRESENT: return 1;
    case SM_XVIRTUALSCREEN: case SM_YVIRTUALSCREEN: return 0;
    case SM_CXVIRTUALSCREEN: return s.width;
    case SM_CYVIRTUALSCREEN: return s.height;
    case SM_CMONITORS: return 1;
    case SM_SAMEDISPLAYFORMAT: return 1;
    default: return 0;
  }
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!CheckDC(hdc)) return 0;
  const Screen& s = TheScreen();
  const bool palette = s.bits <= 8;
  switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZSIZE: return s.width * 254 / 960;  // millimetres at 96 pixels per inch
    case VERTSIZE: return s.height * 254 / 960;
    case HORZRES: return s.width;
    case VERTRES: return s.height;
    case BITSPIXEL: return s.bits;
    case PLANES: return 1;
    case NUMBRUSHES: case NUMPENS: return -1;
    case NUMFONTS: return 0;
    case NUMCOLORS: return palette ? (s.bits == 8 ? 20 : 1 << s.bits) : -1;
    case CURVECAPS: return 0xFF;
    case LINECAPS: return 0xFE;
    case POLYGONALCAPS: return 0xFF;
    case TEXTCAPS: return 0x7800;
    case CLIPCAPS: return 1;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB |
             (s.bits == 8 ? RC_PALETTE : 0);
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX: case LOGPIXELSY: return 96;
    case SIZEPALETTE: return s.bits == 8 ? 256 : 0;
    case NUMRESERVED: return s.bits == 8 ? 20 : 0;
    case COLORRES: return s.bits == 8 ? 18 : 24;
    default: return 0;
  }
}

bool SetScreenBitsPerPixel(int bits) {
  switch (bits) {
    case 1: case 4: case 8: case 16: case 24: case 32:
      TheScreen().bits = bits;
      return true;
    default:
      return false;
  }
}

int ScreenBitsPerPixel() { return TheScreen().bits; }

bool SetScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  TheScreen().width = width;
  TheScreen().height = height;
  return true;
}

}  // namespace win
