#include <tuple>

#include "toolkit/TOvalButton.h"
#include "toolkit/TOvalCheckButton.h"
#include "toolkit/TRectButton.h"
#include "toolkit/TRectCheckButton.h"
#include "widget_test_support.h"

namespace {

class ButtonTest : public WidgetTest {
 protected:
  template <class Widget>
  int Show(Widget& widget, int x, int y, int key = 0) {
    Input(x, y, key);
    int result = Frame([&] { return widget.show(); });
    ExpectNormalBlend();
    return result;
  }
};
using CheckButtonTest = ButtonTest;

const Lines kPlain{"btn f0 10,20 b3 a1"};
const Lines kLit{"btn f0 10,20 b3 a1", "btn f0 10,20 b4 a0.5"};
const Lines kPressed{"btn f0 10,20 b3 a1", "btn f0 10,20 b3 a1", "btn f0 10,20 b3 a1"};

TEST_F(ButtonTest, ClickRunsThroughTheStatesWithTheirLooks) {
  auto button = TRectButton::build(10, 20, Png("btn", 64, 32), 0.5f, 0.3f);
  EXPECT_EQ(button->Rechts, 74);
  EXPECT_EQ(button->Unten, 52);
  EXPECT_FLOAT_EQ(button->Shadefactor, 0.3f);

  EXPECT_EQ(Show(*button, 0, 0), 0);
  EXPECT_EQ(drawn, kPlain);
  EXPECT_EQ(Show(*button, 30, 30), 0);
  EXPECT_EQ(button->activ, 1);
  EXPECT_EQ(drawn, kLit);
  EXPECT_EQ(Show(*button, 30, 30, 1), 0);
  EXPECT_EQ(button->activ, 2);
  EXPECT_EQ(drawn, kPressed);
  EXPECT_EQ(Show(*button, 30, 30), 1);  // released in the next frame: the click
  EXPECT_EQ(button->activ, 4);
  EXPECT_EQ(drawn, kLit);
  EXPECT_EQ(Show(*button, 30, 30), 0);
  EXPECT_EQ(button->activ, 1);
  EXPECT_EQ(drawn, kLit);

  // Held longer and with the right button: 2, 3, 3, then the click.
  Show(*button, 30, 30, 2);
  EXPECT_EQ(Show(*button, 31, 30, 2), 0);
  EXPECT_EQ(button->activ, 3);
  EXPECT_EQ(drawn, kPressed);
  EXPECT_EQ(Show(*button, 32, 30, 2), 0);
  EXPECT_EQ(Show(*button, 32, 30), 1);
  EXPECT_EQ(Show(*button, 200, 30), 0);
  EXPECT_EQ(button->activ, 0);
  EXPECT_EQ(drawn, kPlain);
}

TEST_F(ButtonTest, PressThatLeavesIsCancelledForGood) {
  auto button = TRectButton::build(10, 20, Png("btn", 64, 32), 0.5f, 0.3f);
  Show(*button, 30, 30);
  Show(*button, 30, 30, 1);
  EXPECT_EQ(Show(*button, 100, 30, 1), 0);
  EXPECT_EQ(drawn, kPlain);                // plain from the frame the pointer leaves
  EXPECT_EQ(Show(*button, 30, 30, 1), 0);  // back in, still held: no highlight
  EXPECT_EQ(drawn, kPlain);
  EXPECT_EQ(Show(*button, 30, 30), 0);  // released inside: no click, just hovered
  EXPECT_EQ(button->activ, 1);
}

TEST_F(ButtonTest, PressOutsideMovedInIsNeitherLitNorClicked) {
  auto button = TRectButton::build(10, 20, Png("btn", 64, 32), 0.5f, 0.3f);
  Show(*button, 0, 0, 1);
  EXPECT_EQ(Show(*button, 30, 30, 1), 0);
  EXPECT_EQ(drawn, kPlain);
  EXPECT_EQ(Show(*button, 30, 30), 0);
  EXPECT_EQ(button->activ, 1);
}

TEST_F(ButtonTest, RectBordersAreOutside) {
  auto button = TRectButton::build(10, 20, Png("btn", 64, 32), 0.5f, 0.3f);
  for (auto [x, y, in] :
       {std::tuple{10, 30, 0}, {74, 30, 0}, {30, 20, 0}, {30, 52, 0}, {11, 21, 1}, {73, 51, 1}}) {
    button->activ = 0;
    Show(*button, x, y);
    EXPECT_EQ(button->activ, in) << x << "," << y;
  }
}

TEST_F(ButtonTest, OvalIsDrawnCentredAndHitInItsEllipse) {
  auto button = TOvalButton::build(100, 100, Png("oval", 61, 41), 0.25f, 0.3f);
  EXPECT_EQ(button->HalbeBreite, 30);
  EXPECT_EQ(button->HalbeTiefe, 20);
  EXPECT_EQ(button->MitteX, 130);
  EXPECT_EQ(button->MitteY, 120);
  EXPECT_FLOAT_EQ(button->Image->handleX, 30.5f);

  Show(*button, 102, 102);  // the picture's corner lies outside the ellipse
  EXPECT_EQ(button->activ, 0);
  EXPECT_EQ(drawn, (Lines{"oval f0 130,120 b3 a1"}));
  Show(*button, 160, 120);  // right end of the ellipse
  EXPECT_EQ(button->activ, 1);
  EXPECT_EQ(drawn, (Lines{"oval f0 130,120 b3 a1", "oval f0 130,120 b4 a0.25"}));
  Show(*button, 160, 120, 1);
  EXPECT_EQ(drawn.size(), 3u);
  EXPECT_EQ(Show(*button, 161, 120), 0);  // released just outside: no click
  EXPECT_EQ(button->activ, 0);
}

TEST_F(ButtonTest, ShowWithoutActionDrawsPlainAndKeepsState) {
  auto button = TOvalButton::build(0, 0, Png("oval", 20, 20), 0.5f, 0.3f);
  button->activ = 3;
  Input(10, 10, 1);
  EXPECT_EQ(Frame([&] { return button->show_without_action(); }), 0);
  EXPECT_EQ(drawn, (Lines{"oval f0 10,10 b3 a1"}));
  EXPECT_EQ(button->activ, 3);
}

TEST_F(ButtonTest, MissingPictureEndsTheProgramWithItsMessage) {
  std::string name = Missing("nothing");
  EXPECT_THROW(TRectButton::build(0, 0, name, 0.5f, 0.5f), ProgramExit);
  EXPECT_THROW(TOvalButton::build(0, 0, name, 0.5f, 0.5f), ProgramExit);
  ASSERT_EQ(backend->notices.size(), 2u);
  EXPECT_EQ(backend->notices[0], "Error while building 'TRectButton':\nThe file '" + name +
                                     "'\nwasn't found. The program will stop!");
  EXPECT_EQ(backend->notices[1], "Error while building 'TOvalButton':\nThe file '" + name +
                                     "'\nwasn't found. The program will stop!");
}

TEST_F(CheckButtonTest, PressShowsOtherStateShadedAndReleaseSwitches) {
  auto check =
      TRectCheckButton::build(10, 20, Png("off", 32, 32), Png("on", 32, 32), 0, 0.5f, 0.75f);
  EXPECT_EQ(check->selected, 0);
  EXPECT_EQ(check->antiselected, 1);
  Show(*check, 20, 30);
  EXPECT_EQ(drawn, (Lines{"off f0 10,20 b3 a1", "off f0 10,20 b4 a0.5"}));
  Show(*check, 20, 30, 1);
  EXPECT_EQ(drawn, (Lines{"on f0 10,20 b3 a1", "on f0 10,20 b5 a0.75"}));
  EXPECT_EQ(check->selected, 0);  // nothing changes on the press
  Show(*check, 21, 30, 1);
  EXPECT_EQ(drawn, (Lines{"on f0 10,20 b3 a1", "on f0 10,20 b5 a0.75"}));
  EXPECT_EQ(Show(*check, 21, 30), 1);
  EXPECT_EQ(check->selected, 1);
  EXPECT_EQ(check->antiselected, 0);
  EXPECT_EQ(drawn, (Lines{"on f0 10,20 b3 a1", "on f0 10,20 b4 a0.5"}));

  // Released outside: the state stays.
  Show(*check, 21, 30);
  Show(*check, 21, 30, 2);
  EXPECT_EQ(drawn, (Lines{"off f0 10,20 b3 a1", "off f0 10,20 b5 a0.75"}));
  EXPECT_EQ(Show(*check, 100, 30, 2), 0);
  EXPECT_EQ(Show(*check, 100, 30), 0);
  EXPECT_EQ(check->selected, 1);
  EXPECT_EQ(drawn, (Lines{"on f0 10,20 b3 a1"}));
}

TEST_F(CheckButtonTest, OvalTogglesAndDrawsCentred) {
  auto check = TOvalCheckButton::build(0, 0, Png("off", 40, 20), Png("on", 40, 20), 1, 0.5f, 0.75f);
  EXPECT_EQ(check->MitteX, 20);
  EXPECT_EQ(check->MitteY, 10);
  EXPECT_FLOAT_EQ(check->Image[1]->handleX, 20.0f);
  Show(*check, 1, 1);  // box corner
  EXPECT_EQ(check->activ, 0);
  EXPECT_EQ(drawn, (Lines{"on f0 20,10 b3 a1"}));
  Show(*check, 20, 10);
  Show(*check, 20, 10, 1);
  EXPECT_EQ(drawn, (Lines{"off f0 20,10 b3 a1", "off f0 20,10 b5 a0.75"}));
  EXPECT_EQ(Show(*check, 20, 10), 1);
  EXPECT_EQ(check->selected, 0);
  EXPECT_EQ(drawn, (Lines{"off f0 20,10 b3 a1", "off f0 20,10 b4 a0.5"}));
}

TEST_F(CheckButtonTest, SetSelectedAndShowWithoutAction) {
  auto check = TRectCheckButton::build(0, 0, Png("off", 8, 8), Png("on", 8, 8), 1, 0.5f, 0.5f);
  check->activ = 2;
  EXPECT_EQ(check->setSelected(2), 0);  // anything but 1 unselects
  EXPECT_EQ(check->selected, 0);
  EXPECT_EQ(check->antiselected, 1);
  EXPECT_EQ(check->activ, 2);
  Frame([&] { return check->show_without_action(); });
  EXPECT_EQ(drawn, (Lines{"off f0 0,0 b3 a1"}));
  check->setSelected(1);
  EXPECT_EQ(check->selected, 1);
  EXPECT_EQ(check->antiselected, 0);
  Frame([&] { return check->show_without_action(); });
  EXPECT_EQ(drawn, (Lines{"on f0 0,0 b3 a1"}));
}

TEST_F(CheckButtonTest, StartValueOtherThanZeroOrOneCountsAsSelected) {
  auto check = TOvalCheckButton::build(0, 0, Png("off", 8, 8), Png("on", 8, 8), 7, 0.5f, 0.5f);
  EXPECT_EQ(check->selected, 1);
  EXPECT_EQ(check->antiselected, 0);
  Frame([&] { return check->show_without_action(); });
  EXPECT_EQ(drawn, (Lines{"on f0 4,4 b3 a1"}));
}

TEST_F(CheckButtonTest, MissingSecondPictureIsNamed) {
  std::string first = Png("off", 8, 8), second = Missing("gone");
  EXPECT_THROW(TRectCheckButton::build(0, 0, first, second, 0, 0.5f, 0.5f), ProgramExit);
  EXPECT_THROW(TOvalCheckButton::build(0, 0, second, first, 0, 0.5f, 0.5f), ProgramExit);
  ASSERT_EQ(backend->notices.size(), 2u);
  EXPECT_EQ(backend->notices[0], "Error while building 'TRectCheckButton':\nThe file '" + second +
                                     "'\nwasn't found. The program will stop!");
  EXPECT_EQ(backend->notices[1], "Error while building 'TOvalCheckButton':\nThe file '" + second +
                                     "'\nwasn't found. The program will stop!");
}

}  // namespace
