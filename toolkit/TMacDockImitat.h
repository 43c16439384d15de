// The zooming icon docks: a horizontal row with titles and mirror image, and
// two vertical columns standing on the left and the right window edge.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "toolkit/TSpeedControl.h"

class TMacDockImitat_Horizontal {
 public:
  int32_t WholeWidth = 0;
  int32_t HalfWidth = 0;
  int32_t FrameCount = 0;
  PictureRef Image;
  PictureRef Titels;
  int32_t FrameWidth = 0;
  int32_t HalfFrameHeight = 0;
  float GeneralZoom = 0.0f;
  int32_t TopY = 0;
  float Interval = 0.0f;
  std::shared_ptr<TSpeedControl> SpeedControl;
  uint8_t Animation = 0;
  int32_t Mx = 0, My = 0;
  float AnimationZoom = 0.0f;
  float MemoAnimationZoom = 0.0f;
  float AnimationFactor = 0.0f;
  float AnimationStartValue = 0.0f;
  std::vector<float> AddZoom;
  int32_t MemoSelectedFrame = 0;
  float MemoDifference = 0.0f;
  int32_t State = 0;
  float ShadowFactor = 0.0f;

  static std::shared_ptr<TMacDockImitat_Horizontal> build(int32_t wholeWidth, int32_t count,
                                                          const std::string& resource,
                                                          int32_t frameWidth, int32_t frameHeight,
                                                          const std::string& titlesResource);
  int32_t show(int32_t x, int32_t y);
  int StopAnimation();
  int NewGlobalScale(int32_t wholeWidth, int32_t frameWidth, int32_t frameHeight);
};

class TMacDockImitat_Vertikal_Left {
 public:
  int32_t WholeHeight = 0;
  int32_t HalfHeight = 0;
  int32_t FrameCount = 0;
  PictureRef Image;
  int32_t FrameHeight = 0;
  int32_t HalfFrameWidth = 0;
  float GeneralZoom = 0.0f;
  int32_t Right_X = 0;
  float Interval = 0.0f;
  std::shared_ptr<TSpeedControl> SpeedControl;
  uint8_t Animation = 0;
  float AnimationZoom = 0.0f;
  float MemoAnimationZoom = 0.0f;
  float AnimationFactor = 0.0f;
  float AnimationStartValue = 0.0f;
  std::vector<float> AddZoom;
  int32_t MemoSelectedFrame = 0;
  float MemoDifference = 0.0f;
  int32_t State = 0;

  static std::shared_ptr<TMacDockImitat_Vertikal_Left> build(int32_t wholeHeight, int32_t count,
                                                             const std::string& resource,
                                                             int32_t frameWidth,
                                                             int32_t frameHeight);
  int32_t show(int32_t x, int32_t y);
  int StopAnimation();
  int NewGlobalScale(int32_t wholeHeight, int32_t frameWidth, int32_t frameHeight);
};

class TMacDockImitat_Vertikal_Right {
 public:
  int32_t WholeHeight = 0;
  int32_t HalfHeight = 0;
  int32_t FrameCount = 0;
  PictureRef Image;
  int32_t FrameHeight = 0;
  int32_t HalfFrameWidth = 0;
  float GeneralZoom = 0.0f;
  int32_t Left_X = 0;
  float Interval = 0.0f;
  std::shared_ptr<TSpeedControl> SpeedControl;
  uint8_t Animation = 0;
  float AnimationZoom = 0.0f;
  float MemoAnimationZoom = 0.0f;
  float AnimationFactor = 0.0f;
  float AnimationStartValue = 0.0f;
  std::vector<float> AddZoom;
  int32_t MemoSelectedFrame = 0;
  float MemoDifference = 0.0f;
  int32_t State = 0;

  static std::shared_ptr<TMacDockImitat_Vertikal_Right> build(int32_t wholeHeight, int32_t count,
                                                              const std::string& resource,
                                                              int32_t frameWidth,
                                                              int32_t frameHeight);
  int32_t show(int32_t x, int32_t y);
  int StopAnimation();
  int NewGlobalScale(int32_t wholeHeight, int32_t frameWidth, int32_t frameHeight);
};
