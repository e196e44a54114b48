#pragma once
// Fonts and text output of the window system: font objects, TextOut/ExtTextOut, text
// measurement, DrawText and the path bracket used for outlined text.
//
// Text is single-byte (code page 1252). All coordinates are logical unless said.
#include "platform/win/handles.h"
#include "platform/win/types.h"

namespace win {

// ---- Font description -------------------------------------------------------------

inline constexpr int LF_FACESIZE = 32;

struct LOGFONT {
  LONG lfHeight = 0;       // < 0: character (em) height; > 0: cell height; 0: default
  LONG lfWidth = 0;        // stored; glyphs keep their own proportions
  LONG lfEscapement = 0;   // tenths of a degree, counter-clockwise from the x axis
  LONG lfOrientation = 0;  // stored; glyphs turn with the escapement
  LONG lfWeight = 0;       // 0 = FW_NORMAL
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  char lfFaceName[LF_FACESIZE] = {};
};

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_THIN = 100;
inline constexpr LONG FW_EXTRALIGHT = 200;
inline constexpr LONG FW_LIGHT = 300;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_MEDIUM = 500;
inline constexpr LONG FW_SEMIBOLD = 600;
inline constexpr LONG FW_BOLD = 700;
inline constexpr LONG FW_EXTRABOLD = 800;
inline constexpr LONG FW_HEAVY = 900;

inline constexpr BYTE ANSI_CHARSET = 0;
inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE SYMBOL_CHARSET = 2;
inline constexpr BYTE OEM_CHARSET = 255;

inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE OUT_TT_PRECIS = 4;
inline constexpr BYTE OUT_TT_ONLY_PRECIS = 7;

inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;

inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE DRAFT_QUALITY = 1;
inline constexpr BYTE PROOF_QUALITY = 2;
inline constexpr BYTE NONANTIALIASED_QUALITY = 3;
inline constexpr BYTE ANTIALIASED_QUALITY = 4;

// lfPitchAndFamily: pitch in the low two bits, family in the high nibble.
inline constexpr BYTE DEFAULT_PITCH = 0;
inline constexpr BYTE FIXED_PITCH = 1;
inline constexpr BYTE VARIABLE_PITCH = 2;
inline constexpr BYTE FF_DONTCARE = 0x00;
inline constexpr BYTE FF_ROMAN = 0x10;
inline constexpr BYTE FF_SWISS = 0x20;
inline constexpr BYTE FF_MODERN = 0x30;
inline constexpr BYTE FF_SCRIPT = 0x40;
inline constexpr BYTE FF_DECORATIVE = 0x50;

// ---- Metrics ----------------------------------------------------------------------

// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means the face is *variable* pitch: the
// window system's callers read it that way.
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01;
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;
inline constexpr BYTE TMPF_DEVICE = 0x08;

struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  LONG tmDigitizedAspectX = 0;
  LONG tmDigitizedAspectY = 0;
  BYTE tmFirstChar = 0;
  BYTE tmLastChar = 0;
  BYTE tmDefaultChar = 0;
  BYTE tmBreakChar = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmPitchAndFamily = 0;
  BYTE tmCharSet = 0;
};

// ---- Fonts ------------------------------------------------------------------------

// Null when the description is invalid or no font file can be found.
HFONT CreateFontIndirect(const LOGFONT* lf);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                 DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, const char* faceName);
// The description a font was made from (GetObject's font branch). False for a handle
// that is not a live font.
bool GetFontLogFont(HFONT font, LOGFONT* out);

// Stock fonts, made once on first use and marked stock. `stockId` is the
// GetStockObject index (OEM_FIXED_FONT 10 .. DEFAULT_GUI_FONT 17); null for others.
HFONT GetStockFont(int stockId);

// ---- Text state of a DC -----------------------------------------------------------

inline constexpr UINT TA_NOUPDATECP = 0;
inline constexpr UINT TA_UPDATECP = 1;
inline constexpr UINT TA_LEFT = 0;
inline constexpr UINT TA_RIGHT = 2;
inline constexpr UINT TA_CENTER = 6;
inline constexpr UINT TA_TOP = 0;
inline constexpr UINT TA_BOTTOM = 8;
inline constexpr UINT TA_BASELINE = 24;
inline constexpr UINT TA_MASK = TA_BASELINE | TA_CENTER | TA_UPDATECP;
inline constexpr UINT GDI_ERROR = 0xFFFFFFFFu;

// Return the previous value (GDI_ERROR / 0x80000000 for a bad DC).
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
int SetTextCharacterExtra(HDC dc, int extra);
int GetTextCharacterExtra(HDC dc);

// ---- Output and measurement -------------------------------------------------------

inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;

BOOL TextOut(HDC dc, int x, int y, const char* text, int count);
// `dx`, when given, holds the advance of every character (the character extra is then
// not added). `rect` is used by ETO_OPAQUE (filled with the background colour) and
// ETO_CLIPPED (text clipped to it).
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text,
                UINT count, const int* dx);

// Width (advances plus character extra) and height (tmHeight) of a text, unrotated.
BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);
// Also the number of characters that fit in `maxExtent` (when `fit` is given) and the
// partial extents after each character (when `partial` is given).
BOOL GetTextExtentExPoint(HDC dc, const char* text, int count, int maxExtent, int* fit,
                          int* partial, SIZE* size);
BOOL GetTextMetrics(HDC dc, TEXTMETRIC* tm);
// Copies the face name of the selected font (at most size - 1 characters and a zero).
// Returns the characters copied including the zero, or the name's length plus 1 when
// `name` is null.
int GetTextFace(HDC dc, int size, char* name);

// ---- DrawText ---------------------------------------------------------------------

inline constexpr UINT DT_TOP = 0x00000000;
inline constexpr UINT DT_LEFT = 0x00000000;
inline constexpr UINT DT_CENTER = 0x00000001;
inline constexpr UINT DT_RIGHT = 0x00000002;
inline constexpr UINT DT_VCENTER = 0x00000004;
inline constexpr UINT DT_BOTTOM = 0x00000008;
inline constexpr UINT DT_WORDBREAK = 0x00000010;
inline constexpr UINT DT_SINGLELINE = 0x00000020;
inline constexpr UINT DT_EXPANDTABS = 0x00000040;
inline constexpr UINT DT_NOCLIP = 0x00000100;
inline constexpr UINT DT_CALCRECT = 0x00000400;
inline constexpr UINT DT_NOPREFIX = 0x00000800;
inline constexpr UINT DT_EDITCONTROL = 0x00002000;
inline constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
inline constexpr UINT DT_END_ELLIPSIS = 0x00008000;
inline constexpr UINT DT_RTLREADING = 0x00020000;  // accepted; text is laid out left to right

// Returns the height of the text; with DT_VCENTER or DT_BOTTOM (single line) the offset
// from rect->top to the bottom of the text. 0 on failure.
int DrawText(HDC dc, const char* text, int count, RECT* rect, UINT format);

// ---- Paths ------------------------------------------------------------------------
// Between BeginPath and EndPath, text output and the DC's MoveToEx/LineTo/Polyline/
// PolylineTo record figures instead of drawing.

BOOL BeginPath(HDC dc);
BOOL EndPath(HDC dc);
BOOL AbortPath(HDC dc);
BOOL CloseFigure(HDC dc);
BOOL FillPath(HDC dc);
BOOL StrokePath(HDC dc);
BOOL StrokeAndFillPath(HDC dc);

}  // namespace win
