#pragma once
// The face of a speed button in each of the kit's button styles.
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"

enum TKitUserButtonStyle : Byte {
  ubsAutoDetect,
  ubsWin31,
  ubsWin40,
  ubsCorvane,
  ubsCorvaneFlat,
  ubsFlat,
  ubsFlatUnColored,
  ubsNavigator,
  ubsExplorer,
  ubsExplorerColored,
  ubsIntegrated
};

// Button states (byte values).
inline constexpr Byte kKitBtnUp = 0;
inline constexpr Byte kKitBtnDisabled = 1;
inline constexpr Byte kKitBtnHot = 2;
inline constexpr Byte kKitBtnDown = 3;
inline constexpr Byte kKitBtnHeld = 4;
inline constexpr Byte kKitBtnDroppedDown = 6;
inline constexpr Byte kKitBtnDisabledDown = 7;

// Flags of DrawButtonFrame.
inline constexpr Word kKitBfRounded = 0x0001;      // rounded corners (ubsWin31)
inline constexpr Word kKitBfFocus = 0x0002;        // outer frame and focus rectangle
inline constexpr Word kKitBfStandard = 0x0004;     // standard ubsWin40 face
inline constexpr Word kKitBfFullSunken = 0x0008;   // full sunken edge for a down ubsWin40 face
inline constexpr Word kKitBfFillFocus = 0x0010;    // fill the middle of the outer frame
inline constexpr Word kKitBfFrameOnly = 0x0020;    // the outer frame without the focus rectangle

// Whether the window system draws new-style (3D) controls: it always does here, so
// ubsAutoDetect means ubsWin40.
bool KitNewStyleControls();

// Draws the face; `R` comes back as the content area. Always true.
bool DrawButtonFrame(TCanvas* Canvas, bool MouseInside, TRect& R, TKitUserButtonStyle Style, Byte State, Word Flags,
                     TColor Color);
