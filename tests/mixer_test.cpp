#include "platform/sdl/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
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

  // A looping clip wraps from its loop end to its loop start, several
  // times within one call, and never ends.
  auto ramp = Clip(10, 0);
  for (int f = 0; f < 10; ++f)
    ramp->samples[size_t(f) * 2] = ramp->samples[size_t(f) * 2 + 1] = int16_t(f);
  ramp->loopStart = 3;
  ramp->loopEnd = 8;
  int looping = mixer.Play(mixer.AddClip(ramp));
  auto looped = Mix(mixer, 20);
  const int expected[20] = {0, 1, 2, 3, 4, 5, 6, 7, 3, 4, 5, 6, 7, 3, 4, 5, 6, 7, 3, 4};
  for (int f = 0; f < 20; ++f) EXPECT_EQ(looped[size_t(f) * 2 + 1], expected[f]) << f;
  EXPECT_TRUE(mixer.Playing(looping));
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
  EXPECT_EQ(out[0], 700);  // frame 10 follows frame 9: nothing was skipped
  EXPECT_EQ(out[39], 700);
  EXPECT_EQ(out[40], 0);
  EXPECT_FALSE(mixer.Playing(channel));
}

TEST(VorbisSource, TheEmbeddedMusicDecodesToStereoAt44100AndLoopsWithoutASeam) {
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

  // The whole track is one loop.
  EXPECT_EQ(clip.loopStart, 0u);
  ASSERT_EQ(clip.loopEnd, frames);
  // The seam: the step from the last frame to the first is no bigger than
  // the steps around it, and neither end fades into silence.
  auto at = [&](long frame, int side) {
    long f = (frame % long(frames) + long(frames)) % long(frames);
    return double(clip.samples[size_t(f) * kMixChannels + side]);
  };
  const long window = kMixRate / 2;
  for (int side = 0; side < kMixChannels; ++side) {
    std::vector<double> steps;
    double endEnergy = 0, startEnergy = 0;
    for (long f = -window; f < window; ++f) {
      if (f != 0) steps.push_back(std::abs(at(f, side) - at(f - 1, side)));
      if (f < 0 && f >= -kMixRate / 20) endEnergy += at(f, side) * at(f, side);
      if (f >= 0 && f < kMixRate / 20) startEnergy += at(f, side) * at(f, side);
    }
    std::sort(steps.begin(), steps.end());
    EXPECT_LE(std::abs(at(0, side) - at(-1, side)), steps[steps.size() * 99 / 100]) << side;
    EXPECT_GT(std::sqrt(endEnergy / (kMixRate / 20)), 1000.0) << "the last 50 ms fade out";
    EXPECT_GT(std::sqrt(startEnergy / (kMixRate / 20)), 1000.0) << "the first 50 ms fade in";
  }
  // Played through the mixer, the first frame follows the last at once.
  Mixer mixer;
  auto shared = std::make_shared<DecodedClip>();
  shared->samples = clip.samples;
  shared->decoded = frames;
  shared->finished = true;
  shared->loopEnd = frames;
  int channel = mixer.Play(mixer.AddClip(shared));
  for (size_t left = frames - 100; left > 0;) {
    int n = int(std::min<size_t>(left, 65536));
    Mix(mixer, n);
    left -= size_t(n);
  }
  auto seam = Mix(mixer, 200);
  for (long f = -100; f < 100; ++f)
    for (int side = 0; side < kMixChannels; ++side)
      ASSERT_EQ(seam[size_t(f + 100) * kMixChannels + side], at(f, side)) << f;
  EXPECT_TRUE(mixer.Playing(channel));
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
