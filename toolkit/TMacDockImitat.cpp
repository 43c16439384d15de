#include "toolkit/TMacDockImitat.h"

#include <algorithm>
#include <cmath>

#include "platform/platform.h"
#include "toolkit/ui_state.h"

// Frame by frame, for a dock with the pointer moving in, clicking and leaving
// (Fade: opening over 150 ms from the value reached, closing likewise):
//
//   frame                       State  Animation  AnimationZoom     result
//   pointer outside, no button    0       0         0                 -1
//   pointer enters                0       1         0 (Start)         -1
//   75 ms later                   0       1         0.5               -1
//   button goes down              1       1         rising            -1
//   button held                   1       1         ...               -1
//   button released over icon i   0       1         ...                i
//   pointer leaves                0       0         from value (Start) -1
//   150 ms later                  0       0         0                 -1
//
// A button that goes down outside blocks the dock (State -1): it is drawn but
// not updated until every button is up again, so a press that began outside
// or left the dock is never a click.

namespace {

constexpr int32_t kFadeMs = 150;
constexpr float kClosed = 0.000001f;
constexpr float kMirrorSqueeze = 0.7f;
constexpr uint8_t kOnce = 0, kLinear = 0;

bool AnyButtonDown() { return ButtonIsDown(1) || ButtonIsDown(2); }

// A dock without its icons cannot be shown.
PictureRef LoadStrip(const char* dockClass, const std::string& resource, int32_t frameWidth,
                     int32_t frameHeight, int32_t count) {
  PictureRef strip = LoadPictureStrip(resource, frameWidth, frameHeight, 0, count);
  if (!strip) {
    Notify(std::string("Error while building '") + dockClass + "':\nThe file '" + resource +
           "'\nwasn't found. The program will stop!");
    EndProgram(1);
  }
  CentreHandle(strip);
  return strip;
}

// The fade and press logic is the same for the three docks; only the axis
// differs. `resetsSelection` is the horizontal dock's forgetting of the
// selected icon when it opens and when it has closed.
template <class Dock>
void OpenOrKeepOpening(Dock& dock, bool resetsSelection) {
  if (dock.Animation == 1) {
    dock.SpeedControl->UpdateTime();
    dock.SpeedControl->UpdateStates(kFadeMs, 0);
    dock.AnimationZoom = dock.AnimationStartValue +
                         dock.AnimationFactor * dock.SpeedControl->GetValue(kOnce, kLinear);
    dock.MemoAnimationZoom = dock.AnimationZoom;
  } else {
    if (resetsSelection) dock.MemoSelectedFrame = -1;
    dock.AnimationStartValue = dock.MemoAnimationZoom;
    dock.AnimationFactor = 1.0f - dock.MemoAnimationZoom;
    dock.AnimationZoom = dock.MemoAnimationZoom;
    dock.Animation = 1;
    dock.SpeedControl->Start();
  }
}

template <class Dock>
void CloseOrKeepClosing(Dock& dock, bool resetsSelection) {
  if (dock.Animation == 0) {
    dock.SpeedControl->UpdateTime();
    dock.SpeedControl->UpdateStates(kFadeMs, 0);
    dock.AnimationZoom = dock.AnimationStartValue -
                         dock.AnimationFactor * dock.SpeedControl->GetValue(kOnce, kLinear);
    dock.MemoAnimationZoom = dock.AnimationZoom;
    if (resetsSelection && dock.AnimationZoom < kClosed) dock.MemoSelectedFrame = -1;
  } else {
    dock.AnimationStartValue = dock.AnimationFactor = dock.AnimationZoom = dock.MemoAnimationZoom;
    dock.Animation = 0;
    dock.SpeedControl->Start();
  }
}

// The icon under the pointer at distance d along the dock, and the extra
// magnification of it and of its two neighbours on each side.
template <class Dock>
int32_t Magnify(Dock& dock, int32_t d, int32_t wholeLength, size_t entries) {
  dock.AddZoom.assign(entries, 0.0f);
  dock.MemoDifference = 0.0f;
  const int32_t sel = (dock.FrameCount + 1) * d / wholeLength;
  dock.MemoSelectedFrame = sel;
  const float interval = dock.Interval;
  const float at = static_cast<float>(d);
  auto offCentre = [&](int32_t i) {
    return std::fabs(at - (static_cast<float>(i) + 0.5f) * interval) / interval;
  };
  dock.AddZoom[sel] =
      1.0f - 0.5f * std::fabs(at - (static_cast<float>(sel) + 0.5f) * interval) / interval;
  for (int32_t k : {1, 2, -1, -2}) {
    const int32_t i = sel + k;
    if (i < 0 || i > dock.FrameCount) continue;
    dock.AddZoom[i] = 1.0f - 0.5f * std::min(offCentre(i), 2.0f);
  }
  dock.MemoDifference = at - (static_cast<float>(sel) + 0.5f) * interval;
  return sel;
}

// Press over the dock arms it; the release over it is the click.
template <class Dock>
int32_t PressOrClick(Dock& dock, bool down, int32_t sel) {
  if (dock.State == 0) {
    if (down) dock.State = 1;
  } else if (dock.State == 1 && !down) {
    dock.State = 0;
    return sel;
  }
  return -1;
}

// Where the icons lie along the dock: the side away from the pointer moves
// out by the whole growth, the side near it takes the rest. Calls place(i,
// centre, z) in drawing order.
template <class Dock, class Place>
void LayOut(const Dock& dock, float start, float frameLength, Place place) {
  const float q = 1.0f - dock.GeneralZoom;
  const float growth = dock.AnimationZoom * q * frameLength;
  auto zoom = [&](int32_t i) {
    return dock.GeneralZoom + dock.AnimationZoom * q * dock.AddZoom[i];
  };
  if (static_cast<float>(dock.MemoSelectedFrame) > static_cast<float>(dock.FrameCount) / 2.0f) {
    float pos = start - growth;
    for (int32_t i = 0; i <= dock.FrameCount; i++) {
      const float z = zoom(i);
      const float centre = pos + 0.5f * z * frameLength;
      place(i, centre, z);
      pos = centre + 0.5f * z * frameLength;
    }
  } else {
    float pos =
        start + dock.GeneralZoom * static_cast<float>(dock.FrameCount + 1) * frameLength + growth;
    for (int32_t i = dock.FrameCount; i >= 0; i--) {
      const float z = zoom(i);
      const float centre = pos - 0.5f * z * frameLength;
      place(i, centre, z);
      pos = centre - 0.5f * z * frameLength;
    }
  }
}

// The pressed icon lights up: the same picture once more, added.
void LightPass(const PictureRef& image, float x, float y, int32_t frame) {
  SetBlend(kBlendLight);
  SetColor(64, 64, 64);
  DrawPicture(image, x, y, frame);
  SetColor(255, 255, 255);
  SetBlend(kBlendAlpha);
}

template <class Dock>
bool Pressed(const Dock& dock, int32_t i) {
  return i == dock.MemoSelectedFrame && dock.State == 1;
}

// The vertical docks differ only in the side they grow to.
template <class Dock>
int32_t ShowVertical(Dock& dock, int32_t x, int32_t y, int32_t& extent, int side) {
  const int32_t sx = int32_t(Scale * static_cast<float>(x));
  const int32_t sy = int32_t(Scale * static_cast<float>(y));
  const int32_t top = sy - dock.HalfHeight;
  const int32_t px = PointerX(), py = PointerY();
  const bool down = AnyButtonDown();
  int32_t result = -1;

  const bool alongX = side > 0 ? (sx <= px && px <= sx + extent) : (sx - extent <= px && px <= sx);
  const bool over = alongX && top < py && py < top + dock.WholeHeight;
  if (over && dock.State == -1) {
    if (!down) dock.State = 0;
  } else if (over) {
    OpenOrKeepOpening(dock, false);
    const int32_t sel = Magnify(dock, py - top, dock.WholeHeight, size_t(dock.FrameCount + 1));
    extent = int32_t((dock.GeneralZoom + (1.0f - dock.GeneralZoom) * dock.AddZoom[sel]) * 2 *
                     static_cast<float>(dock.HalfFrameWidth));
    result = PressOrClick(dock, down, sel);
  } else {
    CloseOrKeepClosing(dock, false);
    extent = int32_t(dock.GeneralZoom * 2 * static_cast<float>(dock.HalfFrameWidth));
    dock.State = down ? -1 : 0;
  }

  SetAlpha(1.0f);
  const float edge = static_cast<float>(sx), direction = static_cast<float>(side);
  const float halfWidth = static_cast<float>(dock.HalfFrameWidth);
  const float start = static_cast<float>(top), length = static_cast<float>(dock.FrameHeight);
  LayOut(dock, start, length, [&](int32_t i, float cy, float z) {
    const float cx = edge + direction * z * halfWidth;
    SetDrawScale(Scale * z, Scale * z);
    DrawPicture(dock.Image, cx, cy, i);
    if (Pressed(dock, i)) LightPass(dock.Image, cx, cy, i);
  });
  return result;
}

template <class Dock>
std::shared_ptr<Dock> BuildVertical(const char* dockClass, int32_t wholeHeight, int32_t count,
                                    const std::string& resource, int32_t frameWidth,
                                    int32_t frameHeight, int32_t Dock::*extent) {
  auto dock = std::make_shared<Dock>();
  dock->WholeHeight = wholeHeight;
  dock->HalfHeight = int32_t(0.5f * static_cast<float>(dock->WholeHeight));
  dock->FrameCount = count - 1;
  dock->Image = LoadStrip(dockClass, resource, frameWidth, frameHeight, count);
  dock->FrameHeight = int32_t(Scale * static_cast<float>(frameHeight));
  dock->HalfFrameWidth = int32_t(Scale * 0.5f * static_cast<float>(frameWidth));
  dock->Interval = static_cast<float>(dock->WholeHeight) / static_cast<float>(count);
  dock->GeneralZoom = dock->Interval / static_cast<float>(dock->FrameHeight);
  (*dock).*extent = int32_t(dock->GeneralZoom * 2 * static_cast<float>(dock->HalfFrameWidth));
  dock->AddZoom.assign(size_t(count), 0.0f);
  dock->MemoSelectedFrame = 0;
  dock->SpeedControl = TSpeedControl::build();
  return dock;
}

template <class Dock>
void RescaleVertical(Dock& dock, int32_t wholeHeight, int32_t frameWidth, int32_t frameHeight,
                     int32_t Dock::*extent) {
  dock.WholeHeight = int32_t(static_cast<float>(wholeHeight) * Scale);
  dock.HalfHeight = int32_t(0.5f * static_cast<float>(dock.WholeHeight));
  dock.FrameHeight = int32_t(Scale * static_cast<float>(frameHeight));
  dock.HalfFrameWidth = int32_t(Scale * 0.5f * static_cast<float>(frameWidth));
  dock.Interval = static_cast<float>(dock.WholeHeight) / static_cast<float>(dock.FrameCount + 1);
  dock.GeneralZoom = dock.Interval / static_cast<float>(dock.FrameHeight);
  dock.*extent = int32_t(dock.GeneralZoom * 2 * static_cast<float>(dock.HalfFrameWidth));
}

template <class Dock>
void Stop(Dock& dock) {
  dock.Animation = 0;
  dock.AnimationStartValue = 0.0f;
  dock.AnimationFactor = 0.0f;
}

}  // namespace

// ---------------------------------------------------------------- horizontal

std::shared_ptr<TMacDockImitat_Horizontal> TMacDockImitat_Horizontal::build(
    int32_t wholeWidth, int32_t count, const std::string& resource, int32_t frameWidth,
    int32_t frameHeight, const std::string& titlesResource) {
  auto dock = std::make_shared<TMacDockImitat_Horizontal>();
  dock->FrameCount = count - 1;
  dock->Image = LoadStrip("TMacDockImitat_Horizontal", resource, frameWidth, frameHeight, count);
  if (!titlesResource.empty())
    dock->Titels =
        LoadStrip("TMacDockImitat_Horizontal", titlesResource, frameWidth, frameHeight, count);
  dock->NewGlobalScale(wholeWidth, frameWidth, frameHeight);
  dock->AddZoom.assign(size_t(count), 0.0f);
  dock->MemoSelectedFrame = -1;
  dock->SpeedControl = TSpeedControl::build();
  dock->ShadowFactor = 0.3f;
  return dock;
}

int TMacDockImitat_Horizontal::NewGlobalScale(int32_t wholeWidth, int32_t frameWidth,
                                              int32_t frameHeight) {
  WholeWidth = int32_t(static_cast<float>(wholeWidth) * Scale);
  HalfWidth = int32_t(0.5f * static_cast<float>(WholeWidth));
  FrameWidth = int32_t(Scale * static_cast<float>(frameWidth));
  HalfFrameHeight = int32_t(Scale * 0.5f * static_cast<float>(frameHeight));
  Interval = static_cast<float>(WholeWidth) / static_cast<float>(FrameCount + 1);
  GeneralZoom = Interval / static_cast<float>(FrameWidth);
  TopY = int32_t(GeneralZoom * 2 * static_cast<float>(HalfFrameHeight));
  return 0;
}

int32_t TMacDockImitat_Horizontal::show(int32_t x, int32_t y) {
  const int32_t sx = int32_t(Scale * static_cast<float>(x));
  const int32_t sy = int32_t(Scale * static_cast<float>(y));
  const int32_t left = sx - HalfWidth;
  Mx = PointerX();
  My = PointerY();
  const bool down = AnyButtonDown();
  int32_t result = -1;

  // Along the row the rest width counts, also while the open dock is wider.
  const bool over = left < Mx && Mx < left + WholeWidth && sy - TopY <= My && My <= sy;
  if (over && State == -1) {
    if (!down) State = 0;
  } else if (over) {
    OpenOrKeepOpening(*this, true);
    const int32_t sel = Magnify(*this, Mx - left, WholeWidth, size_t(FrameCount + 2));
    TopY = int32_t((GeneralZoom + (1.0f - GeneralZoom) * AddZoom[sel]) * 2 *
                   static_cast<float>(HalfFrameHeight));
    result = PressOrClick(*this, down, sel);
  } else {
    // AddZoom stays: the dock shrinks back with the shape it had.
    CloseOrKeepClosing(*this, true);
    TopY = int32_t(GeneralZoom * 2 * static_cast<float>(HalfFrameHeight));
    State = down ? -1 : 0;
  }

  SetAlpha(1.0f);
  const float baseline = static_cast<float>(sy);
  const float halfHeight = static_cast<float>(HalfFrameHeight);
  const float start = static_cast<float>(left), length = static_cast<float>(FrameWidth);
  LayOut(*this, start, length, [&](int32_t i, float cx, float z) {
    const float cy = baseline - z * halfHeight;
    SetDrawScale(Scale * z, Scale * z);
    DrawPicture(Image, cx, cy, i);
    if (i == MemoSelectedFrame) {
      if (Titels) {
        SetAlpha(AnimationZoom);
        DrawPicture(Titels, cx, cy, i);
        SetAlpha(1.0f);
      }
      if (State == 1) LightPass(Image, cx, cy, i);
    }
    // The mirror image: upside down, squeezed, its top edge on the baseline.
    const float my = baseline + kMirrorSqueeze * z * halfHeight;
    SetAlpha(ShadowFactor);
    SetDrawScale(Scale * z, -kMirrorSqueeze * Scale * z);
    DrawPicture(Image, cx, my, i);
    if (Pressed(*this, i)) LightPass(Image, cx, my, i);
    SetAlpha(1.0f);
  });
  return result;
}

int TMacDockImitat_Horizontal::StopAnimation() {
  Stop(*this);
  return 0;
}

// ---------------------------------------------------------------- vertical, left edge

std::shared_ptr<TMacDockImitat_Vertikal_Left> TMacDockImitat_Vertikal_Left::build(
    int32_t wholeHeight, int32_t count, const std::string& resource, int32_t frameWidth,
    int32_t frameHeight) {
  return BuildVertical<TMacDockImitat_Vertikal_Left>("TMacDockImitat_Vertikal_Left", wholeHeight,
                                                     count, resource, frameWidth, frameHeight,
                                                     &TMacDockImitat_Vertikal_Left::Right_X);
}

int32_t TMacDockImitat_Vertikal_Left::show(int32_t x, int32_t y) {
  return ShowVertical(*this, x, y, Right_X, +1);
}

int TMacDockImitat_Vertikal_Left::StopAnimation() {
  Stop(*this);
  return 0;
}

int TMacDockImitat_Vertikal_Left::NewGlobalScale(int32_t wholeHeight, int32_t frameWidth,
                                                 int32_t frameHeight) {
  RescaleVertical(*this, wholeHeight, frameWidth, frameHeight,
                  &TMacDockImitat_Vertikal_Left::Right_X);
  return 0;
}

// ---------------------------------------------------------------- vertical, right edge

std::shared_ptr<TMacDockImitat_Vertikal_Right> TMacDockImitat_Vertikal_Right::build(
    int32_t wholeHeight, int32_t count, const std::string& resource, int32_t frameWidth,
    int32_t frameHeight) {
  return BuildVertical<TMacDockImitat_Vertikal_Right>("TMacDockImitat_Vertikal_Right", wholeHeight,
                                                      count, resource, frameWidth, frameHeight,
                                                      &TMacDockImitat_Vertikal_Right::Left_X);
}

int32_t TMacDockImitat_Vertikal_Right::show(int32_t x, int32_t y) {
  return ShowVertical(*this, x, y, Left_X, -1);
}

int TMacDockImitat_Vertikal_Right::StopAnimation() {
  Stop(*this);
  return 0;
}

int TMacDockImitat_Vertikal_Right::NewGlobalScale(int32_t wholeHeight, int32_t frameWidth,
                                                  int32_t frameHeight) {
  RescaleVertical(*this, wholeHeight, frameWidth, frameHeight,
                  &TMacDockImitat_Vertikal_Right::Left_X);
  return 0;
}
