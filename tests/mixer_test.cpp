#include "platform/sdl/mixer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/platform.h"

using namespace sdl_backend;

namespace {

// A clip of frames stereo frames, every sample equal to value.
std::shared_ptr<DecodedClip> Clip(size_t frames, int16_t value, bool finished = true) {
  auto clip = std::make_shared<DecodedClip>();
  clip->samples.assign(frames * kMixChannels, value);
  clip->decoded = frames;
  clip->finished = finished;
  return clip;
}

std::vector<int16_t> Mix(Mixer& mixer, int frames) {
  std::vector<int16_t> out(size_t(frames) * kMixChannels, 12345);
  mixer.Mix(out.data(), frames);
  return out;
}

}  // namespace

TEST(Mixer, SilenceWithoutChannelsAndNoChannelForAnUnknownClip) {
  Mixer mixer;
  for (int16_t s : Mix(mixer, 64)) ASSERT_EQ(s, 0);
  EXPECT_EQ(mixer.Play(99), 0);
  EXPECT_FALSE(mixer.Playing(1));
}

TEST(Mixer, AChannelPlaysItsClipOnceAndThenEnds) {
  Mixer mixer;
  int clip = mixer.AddClip(Clip(100, 1000));
  int channel = mixer.Play(clip);
  ASSERT_GT(channel, 0);
  EXPECT_TRUE(mixer.Playing(channel));
  auto first = Mix(mixer, 60);
  EXPECT_EQ(first[0], 1000);
  EXPECT_EQ(first[119], 1000);
  EXPECT_TRUE(mixer.Playing(channel));
  auto second = Mix(mixer, 60);  // 40 frames left, then silence
  EXPECT_EQ(second[79], 1000);
  EXPECT_EQ(second[80], 0);
  EXPECT_EQ(second[119], 0);
  EXPECT_FALSE(mixer.Playing(channel));
}

TEST(Mixer, ChannelsAddUpAndClipAtSixteenBits) {
  Mixer mixer;
  int loud = mixer.AddClip(Clip(10, 30000));
  int quiet = mixer.AddClip(Clip(10, -500));
  int a = mixer.Play(loud);
  int b = mixer.Play(loud);
  mixer.Play(quiet);
  EXPECT_NE(a, b);
  EXPECT_EQ(Mix(mixer, 1)[0], 32767);
  mixer.Stop(a);
  EXPECT_FALSE(mixer.Playing(a));
  EXPECT_TRUE(mixer.Playing(b));
  EXPECT_EQ(Mix(mixer, 1)[0], 29500);
  int low = mixer.AddClip(Clip(10, -30000));
  mixer.Stop(b);
  mixer.Play(low);
  mixer.Play(low);
  EXPECT_EQ(Mix(mixer, 1)[0], -32768);
}

TEST(Mixer, ALaggingDecoderDelaysTheChannelInsteadOfEndingIt) {
  Mixer mixer;
  auto clip = Clip(100, 700, false);
  clip->decoded = 10;
  int channel = mixer.Play(mixer.AddClip(clip));
  auto out = Mix(mixer, 20);
  EXPECT_EQ(out[19], 700);
  EXPECT_EQ(out[20], 0);
  EXPECT_TRUE(mixer.Playing(channel));
  clip->decoded = 30;
  clip->finished = true;
  out = Mix(mixer, 40);
  EXPECT_EQ(out[0], 700);   // frame 10 follows frame 9: nothing was skipped
  EXPECT_EQ(out[39], 700);
  EXPECT_EQ(out[40], 0);
  EXPECT_FALSE(mixer.Playing(channel));
}

TEST(VorbisSource, TheEmbeddedMusicDecodesToStereoAt44100) {
  auto bytes = FindResource("incbin::media/music.ogg");
  if (!bytes.data()) GTEST_SKIP() << "no music in media/";
  VorbisSource source(bytes.data(), bytes.size());
  ASSERT_TRUE(source.ok());
  EXPECT_NEAR(source.Seconds(), 142.5, 1.0);
  DecodedClip clip;
  source.Prepare(clip);
  std::atomic<bool> cancel{false};
  source.Decode(clip, cancel);
  ASSERT_TRUE(clip.finished);
  size_t frames = clip.decoded;
  EXPECT_NEAR(double(frames) / kMixRate, source.Seconds(), 0.05);
  double energy = 0;
  for (size_t i = 0; i < frames * kMixChannels; i += 97) energy += std::abs(clip.samples[i]);
  EXPECT_GT(energy / (frames * kMixChannels / 97), 300.0) << "the music is (nearly) silent";
}

TEST(VorbisSource, BrokenBytesAreNoClipAndCancellingStopsDecoding) {
  const uint8_t junk[] = {'O', 'g', 'g', 'S', 0, 1, 2, 3, 4, 5};
  VorbisSource broken(junk, sizeof junk);
  EXPECT_FALSE(broken.ok());
  VorbisSource empty(nullptr, 0);
  EXPECT_FALSE(empty.ok());

  auto bytes = FindResource("incbin::media/music.ogg");
  if (!bytes.data()) GTEST_SKIP() << "no music in media/";
  VorbisSource source(bytes.data(), bytes.size());
  DecodedClip clip;
  source.Prepare(clip);
  std::atomic<bool> cancel{true};
  source.Decode(clip, cancel);
  EXPECT_TRUE(clip.finished);
  EXPECT_EQ(clip.decoded, 0u);
}
