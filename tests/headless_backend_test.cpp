#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/platform.h"
#include "tests/platform_test_images.h"

namespace {

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = InstallHeadlessBackend(); }
  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(HeadlessTest, NotifyIsRecorded) {
  std::string seen;
  backend->onNotify = [&](const std::string& text) { seen = text; };
  Notify("Spiel konnte nicht geladen werden!\nÄrgerlich.");
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0], "Spiel konnte nicht geladen werden!\nÄrgerlich.");
  EXPECT_EQ(seen, backend->notices[0]);
}

TEST_F(HeadlessTest, ConfirmTakesQueuedAnswersThenSaysNo) {
  backend->confirmAnswers = {1, 0, 1};
  EXPECT_EQ(Confirm("Willst du wirklich das Programm beenden?"), 1);
  EXPECT_EQ(Confirm("b"), 0);
  EXPECT_EQ(Confirm("c"), 1);
  EXPECT_EQ(Confirm("d"), 0);
  EXPECT_EQ(backend->questions,
            (std::vector<std::string>{"Willst du wirklich das Programm beenden?", "b", "c", "d"}));
  backend->onConfirm = [](const std::string& text) { return text == "yes" ? 1 : 0; };
  backend->confirmAnswers = {0};
  EXPECT_EQ(Confirm("yes"), 1);
  EXPECT_EQ(backend->confirmAnswers.size(), 1u) << "the hook answers instead of the queue";
}

TEST_F(HeadlessTest, RequestFileRecordsTheRequestAndAnswersFromTheQueue) {
  backend->fileAnswers = {"/tmp/a.KVs"};
  EXPECT_EQ(RequestFile("Spiel laden:", "Kavro-Spiele:KVs; ", 0, "/home/u"), "/tmp/a.KVs");
  EXPECT_EQ(RequestFile("Spiel speichern:", "Kavro-Spiele:KVs;", 1, "/home/u/Kavro-Spiel.KVs"), "");
  EXPECT_EQ(
      backend->fileRequests,
      (std::vector<std::string>{"Spiel laden:|Kavro-Spiele:KVs; |0|/home/u",
                                "Spiel speichern:|Kavro-Spiele:KVs;|1|/home/u/Kavro-Spiel.KVs"}));
}

TEST_F(HeadlessTest, FramesMoveTheirDrawCallsAndCallTheHook) {
  OpenWindow(100, 100, 60);
  std::vector<std::pair<int64_t, size_t>> seen;
  backend->onFrame = [&](int64_t frame) { seen.push_back({frame, backend->lastFrame.size()}); };
  DrawRect(0, 0, 1, 1);
  DrawRect(0, 0, 1, 1);
  PresentFrame();
  EXPECT_TRUE(backend->currentFrame.empty());
  PresentFrame();
  EXPECT_EQ(seen, (std::vector<std::pair<int64_t, size_t>>{{1, 2}, {2, 0}}));
}

TEST_F(HeadlessTest, LoggedPicturesOutliveTheirOwners) {
  OpenWindow(100, 100, 60);
  test_images::ScratchFolder folder;
  test_images::WriteRgbaPng(folder / "p.png", 1, 1, {1, 2, 3, 255});
  auto picture = LoadPicture(folder / "p.png");
  DrawPicture(picture, 0, 0, 0);
  picture.reset();
  PresentFrame();
  ASSERT_EQ(backend->lastFrame.size(), 1u);
  EXPECT_EQ(backend->lastFrame[0].picture->name, folder / "p.png");
  EXPECT_EQ(PicturePixels(*backend->lastFrame[0].picture)[2], 3);
}

TEST_F(HeadlessTest, ClockMovesOnlyWhenTheGameSleeps) {
  EXPECT_EQ(ClockMs(), 0);
  EXPECT_EQ(ClockMs(), 0);
  int sleeps = 0;
  backend->onSleep = [&] { sleeps++; };
  backend->SleepUntilMs(250);
  EXPECT_EQ(ClockMs(), 250);
  backend->SleepUntilMs(100);
  EXPECT_EQ(ClockMs(), 250) << "the clock never runs back";
  EXPECT_EQ(sleeps, 2);
}

TEST_F(HeadlessTest, InstallResetsThePlatformState) {
  SetColor(1, 2, 3);
  SetBlend(kBlendShade);
  SetTransparentColor(255, 255, 255);
  RandomInt(1, 10);
  backend = InstallHeadlessBackend();
  EXPECT_EQ(CurrentDrawState().red, 255);
  EXPECT_EQ(CurrentDrawState().blend, kBlendMask);
  EXPECT_EQ(RandomState(), 4660);
  // Black is transparent again.
  test_images::ScratchFolder folder;
  test_images::WritePng(folder / "black.png", 1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0});
  EXPECT_EQ(PicturePixels(*LoadPicture(folder / "black.png"))[3], 0);
}

// ---------------------------------------------------------------- sound

TEST_F(HeadlessTest, ChannelPlaysForTheClipsLengthOnTheVirtualClock) {
  test_images::ScratchFolder folder;
  const std::string path = folder / "tone.ogg";
  if (!test_images::WriteToneOgg(folder, path, 44100)) GTEST_SKIP() << "oggenc not installed";
  auto clip = LoadSoundClip(path);
  ASSERT_GE(clip->id, 0);
  EXPECT_NEAR(clip->seconds, 1.0, 1e-9);
  backend->now = 5000;
  Channel channel = PlayClip(clip);
  ASSERT_NE(channel, kNoChannel);
  EXPECT_EQ(Playing(channel), 1);
  backend->SleepUntilMs(5999);
  EXPECT_EQ(Playing(channel), 1);
  backend->SleepUntilMs(6000);
  EXPECT_EQ(Playing(channel), 0);
  Channel again = PlayClip(clip);
  EXPECT_NE(again, channel);
  EXPECT_EQ(Playing(again), 1);
  Stop(again);
  EXPECT_EQ(Playing(again), 0);
  EXPECT_EQ(backend->soundsStarted, 2);
}

TEST_F(HeadlessTest, EmbeddedMusicLastsItsLength) {
  if (!FindResource("incbin::media/music.ogg").data()) GTEST_SKIP() << "music not embedded yet";
  auto clip = LoadSoundClip("incbin::media/music.ogg");
  ASSERT_GE(clip->id, 0);
  EXPECT_NEAR(clip->seconds, 142.5, 0.5);
  Channel channel = PlayClip(clip);
  backend->SleepUntilMs(int64_t(clip->seconds * 1000) - 10);
  EXPECT_EQ(Playing(channel), 1);
  backend->SleepUntilMs(int64_t(clip->seconds * 1000) + 10);
  EXPECT_EQ(Playing(channel), 0);
}

TEST_F(HeadlessTest, WithoutAudioEverythingIsSilentAndNothingFails) {
  backend->audioAvailable = false;
  auto clip = LoadSoundClip("incbin::media/music.ogg");
  ASSERT_TRUE(clip);
  EXPECT_LT(clip->id, 0);
  Channel channel = PlayClip(clip);
  EXPECT_EQ(channel, kNoChannel);
  EXPECT_EQ(Playing(channel), 0);
  Stop(channel);
  EXPECT_EQ(PlayClip(nullptr), kNoChannel);
}

TEST_F(HeadlessTest, BytesThatAreNoVorbisGiveASilentClip) {
  test_images::ScratchFolder folder;
  test_images::WriteRgbaPng(folder / "x.png", 1, 1, {1, 2, 3, 4});
  auto clip = LoadSoundClip(folder / "x.png");
  EXPECT_LT(clip->id, 0);
  EXPECT_EQ(PlayClip(clip), kNoChannel);
  auto missing = LoadSoundClip(folder / "missing.ogg");
  EXPECT_LT(missing->id, 0);
  EXPECT_EQ(Playing(12345), 0);
}

}  // namespace
