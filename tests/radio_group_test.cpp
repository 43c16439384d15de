#include "toolkit/TRectRadioButtonHorizontalGroup.h"
#include "toolkit/TRectRadioButtonVerticalGroup.h"
#include "widget_test_support.h"

namespace {

class RadioGroupTest : public WidgetTest {
 protected:
  // A row of `cells` cells of 40 x 30 at (100, 50), cell `first` selected.
  std::shared_ptr<TRectRadioButtonHorizontalGroup> Row(int cells = 4, int first = 1) {
    return TRectRadioButtonHorizontalGroup::build(
        100, 50, Png("off", 40 * cells, 30), Png("on", 40 * cells, 30), cells, 40, 30, first, 0.5f);
  }
  template <class Group>
  int Show(Group& group, int x, int y, int key = 0) {
    Input(x, y, key);
    int result = Frame([&] { return group.show(); });
    ExpectNormalBlend();
    return result;
  }
  // Centre of cell i (0-based) of Row().
  static int CellX(int i) { return 120 + 40 * i; }
};

// The draw lines of a row of four with `on` selected (0-based), `pressed`
// in its other look and `lit` drawn again additively.
Lines RowLooks(int on, int pressed = -1, int lit = -1) {
  Lines lines;
  for (int i = 0; i < 4; i++) {
    bool selectedLook = (i == on) != (i == pressed);
    lines.push_back(std::string(selectedLook ? "on" : "off") + " f" + std::to_string(i) + " " +
                    std::to_string(100 + 40 * i) + ",50 b3 a1");
  }
  if (lit >= 0)
    lines.push_back(std::string(lit == on ? "on" : "off") + " f" + std::to_string(lit) + " " +
                    std::to_string(100 + 40 * lit) + ",50 b4 a0.5");
  return lines;
}

TEST_F(RadioGroupTest, BuildLaysOutTheRow) {
  auto row = Row(4, 2);
  EXPECT_EQ(row->Rechts, 260);
  EXPECT_EQ(row->Unten, 80);
  EXPECT_EQ(row->Count, 3);
  EXPECT_EQ(row->Length, 40);
  EXPECT_EQ(row->selectedIndex, 2);
  EXPECT_EQ(row->selected, (std::vector<uint8_t>{0, 1, 0, 0}));
  EXPECT_EQ(row->antiselected, (std::vector<uint8_t>{1, 0, 1, 1}));
  EXPECT_FLOAT_EQ(row->Shadefactor, 0.0f);
  Frame([&] { return row->show_without_action(); });
  EXPECT_EQ(drawn, RowLooks(1));
  EXPECT_EQ(Row(4, 0)->selectedIndex, 1);
  EXPECT_EQ(Row(4, 9)->selectedIndex, 4);
}

TEST_F(RadioGroupTest, CellBoundaries) {
  auto row = Row(4, 4);
  EXPECT_EQ(Show(*row, 100, 60), 0);
  EXPECT_EQ(row->activ, 0);
  Show(*row, 101, 60);
  EXPECT_EQ(drawn, RowLooks(3, -1, 0));
  Show(*row, 139, 60);
  EXPECT_EQ(drawn, RowLooks(3, -1, 0));
  Show(*row, 140, 60);
  EXPECT_EQ(drawn, RowLooks(3, -1, 1));
  Show(*row, 259, 79);  // last inner pixel, on the selected cell
  EXPECT_EQ(drawn, RowLooks(3));
  Show(*row, 260, 60);
  EXPECT_EQ(row->activ, 0);
}

TEST_F(RadioGroupTest, PressDragToAnotherCellAndRelease) {
  auto row = Row();
  Show(*row, CellX(1), 60);
  EXPECT_EQ(row->activ, 1);
  EXPECT_EQ(drawn, RowLooks(0, -1, 1));
  Show(*row, CellX(1), 60, 1);
  EXPECT_EQ(row->activ, 2);
  EXPECT_EQ(drawn, RowLooks(0, 1));
  Show(*row, CellX(1), 60, 1);
  EXPECT_EQ(row->activ, 3);
  Show(*row, CellX(2), 60, 1);  // the pressed look follows the pointer
  EXPECT_EQ(drawn, RowLooks(0, 2));
  EXPECT_EQ(row->selectedIndex, 1);  // nothing selected before the release
  EXPECT_EQ(Show(*row, CellX(2), 60), 3);
  EXPECT_EQ(row->activ, 4);
  EXPECT_EQ(drawn, RowLooks(2));
  EXPECT_EQ(row->selectedIndex, 3);
  EXPECT_EQ(row->selected, (std::vector<uint8_t>{0, 0, 1, 0}));
  EXPECT_EQ(row->antiselected, (std::vector<uint8_t>{1, 1, 0, 1}));
  EXPECT_EQ(Show(*row, CellX(2), 60), 0);  // after the selection: on the selected cell
  EXPECT_EQ(row->activ, 0);
  EXPECT_EQ(drawn, RowLooks(2));
}

TEST_F(RadioGroupTest, QuickClickSelectsAndNextFrameLightsAnotherCell) {
  auto row = Row();
  Show(*row, CellX(3), 60);
  Show(*row, CellX(3), 60, 2);  // the right button works too
  EXPECT_EQ(Show(*row, CellX(3), 60), 4);
  Show(*row, CellX(0), 60);  // state 4 over an unselected cell
  EXPECT_EQ(row->activ, 1);
  EXPECT_EQ(drawn, RowLooks(3, -1, 0));
}

TEST_F(RadioGroupTest, SelectedCellIsNeverLitNorChosenAgain) {
  auto row = Row(4, 2);
  Show(*row, CellX(1), 60);
  EXPECT_EQ(row->activ, 0);
  EXPECT_EQ(drawn, RowLooks(1));
  EXPECT_EQ(Show(*row, CellX(1), 60, 1), 0);
  EXPECT_EQ(Show(*row, CellX(1), 60), 0);
  EXPECT_EQ(row->activ, 0);
  EXPECT_EQ(drawn, RowLooks(1));
}

TEST_F(RadioGroupTest, DraggingOntoTheSelectedCellCancelsAfterTheFirstFrame) {
  auto row = Row();
  Show(*row, CellX(2), 60);
  Show(*row, CellX(2), 60, 1);
  Show(*row, CellX(2), 60, 1);
  EXPECT_EQ(row->activ, 3);
  EXPECT_EQ(Show(*row, CellX(0), 60, 1), 0);
  EXPECT_EQ(row->activ, 1);
  EXPECT_EQ(drawn, RowLooks(0));
  EXPECT_EQ(Show(*row, CellX(0), 60), 0);
  EXPECT_EQ(row->selectedIndex, 1);
}

TEST_F(RadioGroupTest, FirstFrameOfAPressDoesNotTestForTheSelectedCell) {
  auto row = Row(4, 1);
  Show(*row, CellX(2), 60);
  Show(*row, CellX(2), 60, 1);
  // Still held and already over the selected cell in state 2: pressed look there.
  Show(*row, CellX(0), 60, 1);
  EXPECT_EQ(row->activ, 3);
  EXPECT_EQ(drawn, RowLooks(0, 0));

  auto other = Row(4, 1);
  Show(*other, CellX(2), 60);
  Show(*other, CellX(2), 60, 1);
  // Released over the selected cell in the first frame: that cell is chosen.
  EXPECT_EQ(Show(*other, CellX(0), 60), 1);
  EXPECT_EQ(other->activ, 4);
  EXPECT_EQ(drawn, RowLooks(0));
}

TEST_F(RadioGroupTest, DragOutOrPressOutsideChangesNothing) {
  auto row = Row();
  Show(*row, CellX(2), 60);
  Show(*row, CellX(2), 60, 1);
  EXPECT_EQ(Show(*row, CellX(2), 100, 1), 0);
  EXPECT_EQ(row->activ, 0);
  EXPECT_EQ(drawn, RowLooks(0));
  EXPECT_EQ(Show(*row, CellX(2), 60, 1), 0);  // back in, still held
  EXPECT_EQ(drawn, RowLooks(0));
  EXPECT_EQ(Show(*row, CellX(2), 60), 0);
  EXPECT_EQ(row->activ, 1);
  EXPECT_EQ(row->selectedIndex, 1);

  auto fresh = Row();
  Show(*fresh, 0, 0, 1);
  EXPECT_EQ(Show(*fresh, CellX(3), 60, 1), 0);
  EXPECT_EQ(fresh->activ, 0);
  EXPECT_EQ(drawn, RowLooks(0));
}

TEST_F(RadioGroupTest, SetSelectedClamps) {
  auto row = Row(4, 3);
  row->activ = 3;
  EXPECT_EQ(row->setSelected(0), 1);
  EXPECT_EQ(row->selectedIndex, 1);
  EXPECT_EQ(row->setSelected(0), 0);
  EXPECT_EQ(row->setSelected(200), 1);
  EXPECT_EQ(row->selectedIndex, 4);
  EXPECT_EQ(row->selected, (std::vector<uint8_t>{0, 0, 0, 1}));
  EXPECT_EQ(row->antiselected, (std::vector<uint8_t>{1, 1, 1, 0}));
  EXPECT_EQ(row->activ, 3);
}

TEST_F(RadioGroupTest, SingleCellNeverReportsAClick) {
  auto row = Row(1, 1);
  for (int key : {0, 1, 0, 2, 0}) EXPECT_EQ(Show(*row, CellX(0), 60, key), 0);
  EXPECT_EQ(row->selectedIndex, 1);
}

TEST_F(RadioGroupTest, ColumnUsesHeights) {
  auto column = TRectRadioButtonVerticalGroup::build(10, 20, Png("off", 50, 75), Png("on", 50, 75),
                                                     3, 50, 25, 3, 0.5f, 9.0f);
  EXPECT_EQ(column->Length, 25);
  EXPECT_EQ(column->Rechts, 60);
  EXPECT_EQ(column->Unten, 95);
  EXPECT_FLOAT_EQ(column->Shadefactor, 0.0f);
  Show(*column, 30, 45);  // y 45 is the first pixel of cell 1
  EXPECT_EQ(drawn, (Lines{"off f0 10,20 b3 a1", "off f1 10,45 b3 a1", "on f2 10,70 b3 a1",
                          "off f1 10,45 b4 a0.5"}));
  Show(*column, 30, 21, 1);
  Show(*column, 30, 21, 1);
  EXPECT_EQ(drawn, (Lines{"on f0 10,20 b3 a1", "off f1 10,45 b3 a1", "on f2 10,70 b3 a1"}));
  EXPECT_EQ(Show(*column, 30, 21), 1);
  EXPECT_EQ(column->selected, (std::vector<uint8_t>{1, 0, 0}));
}

TEST_F(RadioGroupTest, CellCountOutsideOneTo255EndsTheProgram) {
  std::string strip = Png("strip", 255, 1);
  for (int cells : {0, -3, 256}) {
    EXPECT_THROW(TRectRadioButtonHorizontalGroup::build(0, 0, strip, strip, cells, 1, 1, 1, 0.5f),
                 ProgramExit);
  }
  ASSERT_EQ(backend->notices.size(), 3u);
  EXPECT_EQ(backend->notices[2],
            "Error while building 'TRectRadioButtonHorizontalGroup':\nA group holds 1 to 255 "
            "cells, not 256.\nThe program will stop!");
  EXPECT_THROW(TRectRadioButtonVerticalGroup::build(0, 0, strip, strip, 2, 0, 1, 1, 0.5f, 0.0f),
               ProgramExit);
  EXPECT_NE(backend->notices.back().find("'TRectRadioButtonVerticalGroup'"), std::string::npos);

  auto full = TRectRadioButtonHorizontalGroup::build(0, 0, strip, strip, 255, 1, 1, 255, 0.5f);
  EXPECT_EQ(full->selectedIndex, 255);
  EXPECT_EQ(full->Rechts, 255);
  EXPECT_EQ(full->setSelected(255), 0);
  Show(*full, 3, 0);  // outside (border row): all 255 cells drawn
  EXPECT_EQ(drawn.size(), 255u);
}

TEST_F(RadioGroupTest, MissingSecondStripIsNamed) {
  std::string first = Png("off", 80, 30), second = Missing("gone");
  EXPECT_THROW(TRectRadioButtonVerticalGroup::build(0, 0, first, second, 2, 40, 15, 1, 0.5f, 0),
               ProgramExit);
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0],
            "Error while building 'TRectRadioButtonVerticalGroup':\nThe file '" + second +
                "'\nwasn't found. The program will stop!");
}

}  // namespace
