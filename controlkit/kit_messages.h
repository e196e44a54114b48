#pragma once
// The control kit's own control messages. Kit controls send them to one another through
// Perform; the numbers sit above the class library's CM_ block (see control_messages.h).
#include "platform/win/types.h"

// A control's Transparent changed (sent to the control itself).
inline constexpr win::UINT KM_TRANSPARENTCHANGED = 45261;
// The background a see-through control shows changed: reset the effect cache, repaint,
// pass it to the children.
inline constexpr win::UINT KM_BACKGROUNDCHANGED = 45262;
// Posted by a kit window to itself on WM_SETFOCUS / WM_KILLFOCUS.
inline constexpr win::UINT KM_GOTFOCUS = 45263;
inline constexpr win::UINT KM_LOSTFOCUS = 45264;
// A bevel panel's Bevel was assigned.
inline constexpr win::UINT KM_BEVELCHANGED = 45265;
// 45266 and 45267 are kept free for the kit.
// A kit scroll box scrolled: see-through children repaint and pass KM_BACKGROUNDCHANGED on.
inline constexpr win::UINT KM_SCROLLED = 45268;
