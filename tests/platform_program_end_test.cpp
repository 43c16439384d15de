#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>
#include <stdexcept>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

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

// Each termination signal wakes a dialog's event wait through the pipe and
// leaves two marks: a close request the game's loop takes once, and the
// lasting one that closes every dialog opened until the state is reset.
TEST_F(ProgramEndTest, ATerminationSignalWakesDialogsAndStaysUntilReset) {
  InstallSignalHandlers();
  const int fd = platform_detail::SignalWakeFd();
  ASSERT_GE(fd, 0);
  const auto readable = [fd] {
    pollfd wait = {fd, POLLIN, 0};
    return ::poll(&wait, 1, 0) == 1;
  };
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    EXPECT_FALSE(readable());
    EXPECT_FALSE(platform_detail::SignalEndPending());
    std::raise(signal);
    EXPECT_TRUE(readable());
    EXPECT_TRUE(platform_detail::SignalEndPending());
    platform_detail::DrainSignalWake();
    EXPECT_FALSE(readable());
    EXPECT_EQ(CloseRequested(), 1);
    EXPECT_EQ(CloseRequested(), 0);
    EXPECT_TRUE(platform_detail::SignalEndPending())
        << "taking the close request ends a dialog no more";
    std::raise(signal);
    InstallHeadlessBackend();
    EXPECT_FALSE(platform_detail::SignalEndPending());
    EXPECT_FALSE(readable());
    EXPECT_EQ(CloseRequested(), 0);
  }
}

}  // namespace
