#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"

namespace {

class ProgramEndTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallHeadlessBackend(); }
};

TEST_F(ProgramEndTest, EndProgramThrowsProgramExitWithItsCode) {
  try {
    EndProgram(3);
    FAIL() << "EndProgram returned";
  } catch (const ProgramExit& exit) {
    EXPECT_EQ(exit.code, 3);
  }
  EXPECT_THROW(EndProgram(), ProgramExit);
}

TEST_F(ProgramEndTest, HandlersRunOnceInOrder) {
  std::vector<int> ran;
  AtProgramEnd([&] { ran.push_back(1); });
  AtProgramEnd([&] { ran.push_back(2); });
  RunProgramEndHandlers();
  RunProgramEndHandlers();
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST_F(ProgramEndTest, AFailingHandlerDoesNotStopTheOthers) {
  std::vector<int> ran;
  AtProgramEnd([&] {
    ran.push_back(1);
    throw std::runtime_error("disk full");
  });
  AtProgramEnd([&] {
    ran.push_back(2);
    EndProgram(1);
  });
  AtProgramEnd([&] { ran.push_back(3); });
  EXPECT_NO_THROW(RunProgramEndHandlers());
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST_F(ProgramEndTest, HandlerRegisteredWhileEndingStillRuns) {
  int late = 0;
  AtProgramEnd([&] { AtProgramEnd([&] { late++; }); });
  RunProgramEndHandlers();
  EXPECT_EQ(late, 1);
}

TEST_F(ProgramEndTest, ClearedOrResetHandlersDoNotRun) {
  int ran = 0;
  AtProgramEnd([&] { ran++; });
  ClearProgramEndHandlers();
  AtProgramEnd([&] { ran++; });
  InstallHeadlessBackend();
  RunProgramEndHandlers();
  EXPECT_EQ(ran, 0);
}

}  // namespace
