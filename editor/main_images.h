#pragma once
// The main window's image list: the 16 x 16 glyphs of the emitter tree, the tool list and
// the state icons, drawn in code.
class TComponent;
class TImageList;

// Image indices the pages use.
inline constexpr int kImageEmitter = 0;
inline constexpr int kImageDisabled = 1;
inline constexpr int kImageEnabled = 2;
inline constexpr int kImageDeflector = 11;
inline constexpr int kImageFan = 12;
inline constexpr int kImageLeader = 13;
inline constexpr int kImageAttractor = 14;
inline constexpr int kImageRepulsor = 15;
inline constexpr int kImageGravitron = 22;
inline constexpr int kImageSystem = 23;
inline constexpr int kMainImageCount = 24;

// A new list owned by Owner holding kMainImageCount glyphs; unused indices are blank.
TImageList* CreateMainImages(TComponent* Owner);
