#pragma once
// Helpers shared by every part of the chart library: the default series palette, the
// callback quicksort of value lists, the geometry of hit tests, small numeric helpers,
// text fields, and the date-time steps of date axes.
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"

class TBitmap;

// ---- library-wide values -------------------------------------------------------------

// Separates the lines of multi-line texts (marks, labels, titles).
inline constexpr char ChartLineSeparator = '\r';
// Separates the fields of texts such as "a;b;c" (NthField).
inline constexpr char ChartFieldSeparator = ';';
// Marks draw their arrow in black or white when it would vanish against the point or
// the background; off unless a program switches it on.
extern bool ChartCheckMarkArrowColor;
// Whether chart panels let the window system erase their background; off, since every
// paint covers the whole panel from the off-screen buffer.
extern bool ChartEraseBackground;

// The hand cursor of the chart tools, registered with the screen as this number.
inline constexpr Integer crChartHand = 2020;
// Registers the hand cursor once (a usage count keeps later calls from doing it again);
// the matching release removes it with the last user.
void AcquireChartHandCursor();
void ReleaseChartHandCursor();

// ---- palette ---------------------------------------------------------------------------

inline constexpr Integer ChartPaletteSize = 20;
// The colour new series get in turn: entry Index mod 20 (negative indices count as 0).
TColor PaletteColor(Integer Index);

// ---- sorting ---------------------------------------------------------------------------

// Compare(a, b) < 0 when the item at a sorts before the one at b.
using TChartCompareProc = std::function<Integer(Integer a, Integer b)>;
using TChartSwapProc = std::function<void(Integer a, Integer b)>;
// Quicksort of the indices Lo..Hi through the two callbacks; the pivot is followed by
// its index as swaps move it. Not stable. An empty range calls neither callback.
void SortByCallbacks(Integer Lo, Integer Hi, const TChartCompareProc& Compare, const TChartSwapProc& Swap);

// ---- geometry --------------------------------------------------------------------------

// P lies within about one pixel of the line through (X0, Y0)-(X1, Y1), and not beyond
// either end by more than Tolerance on either axis.
bool NearLineWithin(const TPoint& P, Integer X0, Integer Y0, Integer X1, Integer Y1, Integer Tolerance);
bool NearLine(const TPoint& P, Integer X0, Integer Y0, Integer X1, Integer Y1);
// Even-odd rule with a horizontal ray; a point on a left edge is inside, on a right
// edge outside.
bool InsidePolygon(const TPoint& P, std::span<const TPoint> Points);
// Coordinates the canvas draws as given; positions beyond are cut to the view first.
inline constexpr Integer kScreenCoordinateLimit = 32767;
bool BeyondScreenLimit(const TPoint& P);
// The part of the segment A-B inside Box, worked out in floating point: false when none.
bool ClipSegmentToRect(TPoint& A, TPoint& B, const TRect& Box);
// The polygon cut to Box (empty when nothing of it is inside).
std::vector<TPoint> ClipPolygonToRect(std::span<const TPoint> Points, const TRect& Box);
// Puts the corners in order: Left <= Right, Top <= Bottom.
void NormalizeRect(TRect& R);
// Width and height.
TSize RectSize(const TRect& R);
// Each coordinate (a + b) div 2, truncated toward zero.
TPoint RectCenter(const TRect& R);

void SinCos(Double Angle, Double& Sin, Double& Cos);
// Color (system colours resolved) with Amount (0..255) taken off each channel: the
// shade of a solid's sides.
TColor DarkenColor(TColor Color, Integer Amount);
// How much darker a solid's sides and a ribbon's underside are drawn.
inline constexpr Integer kDarkSideAmount = 48;
inline Double MaxDouble(Double a, Double b) { return a > b ? a : b; }
inline Double MinDouble(Double a, Double b) { return a < b ? a : b; }
inline Integer MaxLong(Integer a, Integer b) { return a > b ? a : b; }
inline Integer MinLong(Integer a, Integer b) { return a < b ? a : b; }
void SwapDouble(Double& a, Double& b);
void SwapInteger(Integer& a, Integer& b);

// Nearest integer (halves to even), held inside the 32-bit range: far-off values end at
// the limits instead of wrapping. NaN gives 0.
Integer RoundToPixel(Double Value);

// ---- texts -----------------------------------------------------------------------------

// The Index-th (1-based) part of Text between field separators; the last part when
// Index is past the end; empty for Index < 1.
std::string NthField(const std::string& Text, Integer Index);
// Decimal text of an integer (default component names).
std::string NumberText(Integer Value);
// Loads the bitmap resource named Name (upper-cased) into Bitmap; false when there is
// none.
bool LoadNamedBitmap(const std::string& Name, TBitmap* Bitmap);

// ---- date-time steps -------------------------------------------------------------------

// Date-times are days since 30 December 1899, with the time of day as the fraction.
using TDateTime = Double;

inline constexpr Integer DateTimeStepCount = 26;
// Index that means "no step of the table".
inline constexpr Integer NoDateTimeStep = 26;
inline constexpr Integer dtOneDay = 15;
inline constexpr Integer dtHalfMonth = 19;
inline constexpr Integer dtOneMonth = 20;
inline constexpr Integer dtOneYear = 25;
// One millisecond; one, five, ten, fifteen and thirty seconds; one, five, ten, fifteen and
// thirty minutes; one, two, six and twelve hours; 1, 2, 3, 7, 15, 30, 60, 90, 120, 182 and
// 365 days, in days. Steps from dtHalfMonth on are the month-based ones.
extern const Double DateTimeStep[DateTimeStepCount];

// The format date labels use when the axis names none.
inline constexpr const char* ChartShortTimeFormat = "hh:nn";
inline constexpr const char* ChartShortDateFormat = "m/d/yyyy";

// The index of the table entry within one millisecond of Value, searched from the
// largest down; NoDateTimeStep when none.
Integer StepIndexOf(Double Value);
// The next larger table value; the first entry for values below the table, twice the
// value beyond its last entry.
Double StepAfter(Double Value);
// ChartShortTimeFormat for steps under one day, else ChartShortDateFormat.
std::string StepDateFormat(Double Step);
// The date moved back to the start of the step's calendar unit (second, minute, hour,
// day, week, half month, month, quarter, year ...).
TDateTime FloorDateToStep(TDateTime Date, Integer StepIndex);
// Adds (Increment) or subtracts Amount; with Exact, a month-based step moves by
// calendar months (a half-month step between the 1st and the 15th) instead.
void StepDate(bool Increment, TDateTime& Value, Double Amount, Integer StepIndex, bool Exact);

// Calendar helpers of the date steps.
TDateTime EncodeChartDate(Integer Year, Integer Month, Integer Day);
void DecodeChartDate(TDateTime Date, Integer& Year, Integer& Month, Integer& Day);
