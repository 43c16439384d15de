// Presentation state of the running program: window size, view, music and
// the loaded pictures. Created at start-up and kept until the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "toolkit/ui_state.h"

extern uint8_t SmallWindow;  // 1 = small window
extern uint8_t View2D;       // 0 perspective, 1 flat
extern uint8_t MusicOn;
extern int32_t WindowWidth;
extern int32_t WindowHeight;
extern int32_t DepthBase;      // int(618 * Scale)
extern int32_t ComputerPause;  // flight time of a stone, ms
extern std::string SettingsPath;
extern std::string GameFolder;
extern PictureRef Background;
extern PictureRef BoardPicture[4][2];  // [Rotation][View2D]
extern PictureRef StonePicture[6][2];  // [kind][View2D], handles centred
extern PictureRef ProgressCover;
extern SoundClipRef Music;
extern Channel MusicChannel;

// Sets every presentation global back to its start-up value (pictures dropped).
void ResetPresentationGlobals();

// Scale of the large window for a desktop of the given size.
float ScaleForDesktop(int screenWidth, int screenHeight);
// Width of the design canvas of the current view: 1400 perspective, 1000 flat.
int32_t DesignWidth();
// WindowWidth and WindowHeight from Scale and the view.
void ComputeWindowSize();
