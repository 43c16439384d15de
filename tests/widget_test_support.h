// Frame-by-frame driving of the kit's widgets on the headless backend: the
// pointer and buttons are scripted, Action takes its snapshot, the widget
// runs one frame, and its draw calls are read back as short lines.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "platform_test_images.h"
#include "toolkit/TAction.h"
#include "view/presentation.h"

class WidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    savedAction = Action;
    Action = TAction::build();
    SetBlend(kBlendAlpha);
  }
  void TearDown() override { Action = savedAction; }

  // A plain picture of one colour, written as a PNG file; returns its path.
  std::string Png(const std::string& name, int width, int height, uint8_t shade = 200) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4, 255);
    for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = rgba[i + 1] = shade;
    std::string path = scratch / (name + ".png");
    EXPECT_TRUE(test_images::WriteRgbaPng(path, width, height, rgba));
    return path;
  }
  std::string Missing(const std::string& name) { return scratch / (name + ".png"); }

  // The pointer at (x, y) and the given button held (0 none) for the next frame.
  void Input(int x, int y, int button = 0) {
    backend->MoveTo(x, y);
    for (int b : {1, 2})
      if (b != button) backend->Release(b);
    if (button) backend->Press(button);
  }

  // One frame: snapshot, then the widget's show; the draw log is kept in drawn.
  template <class Show>
  auto Frame(Show show) {
    backend->currentFrame.clear();
    Action->update();
    auto result = show();
    drawn = Describe(backend->currentFrame);
    return result;
  }

  // "stem fN x,y bB aA" per picture draw.
  static std::vector<std::string> Describe(const std::vector<DrawCommand>& commands) {
    std::vector<std::string> lines;
    for (const DrawCommand& c : commands) {
      if (c.kind != DrawCommand::kPicture) continue;
      std::string name = c.picture->name;
      name = name.substr(name.find_last_of('/') + 1);
      name = name.substr(0, name.find('.'));
      char line[160];
      std::snprintf(line, sizeof line, "%s f%d %g,%g b%d a%g", name.c_str(), c.frame, c.x, c.y,
                    c.state.blend, c.state.alpha);
      lines.push_back(line);
    }
    return lines;
  }

  // After every widget frame the drawing state is back to normal.
  void ExpectNormalBlend() {
    EXPECT_EQ(CurrentDrawState().blend, kBlendAlpha);
    EXPECT_FLOAT_EQ(CurrentDrawState().alpha, 1.0f);
  }

  std::shared_ptr<HeadlessBackend> backend;
  std::shared_ptr<TAction> savedAction;
  test_images::ScratchFolder scratch;
  std::vector<std::string> drawn;
};

using Lines = std::vector<std::string>;
