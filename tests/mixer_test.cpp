#include "platform/sdl/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <span>

#include "platform/ogg_stream.h"
#include "platform/platform.h"
#include "tests/platform_test_images.h"

using namespace sdl_backend;

namespace {

// A clip of frames stereo frames, every sample equal to value.
std::shared_ptr<PcmClip> Constant(size_t frames, int16_t value) {
  auto clip = std::make_shared<PcmClip>();
  clip->samples.assign(frames * kMixChannels, value);
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
  int clip = mixer.AddClip(Constant(100, 1000));
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
  auto ramp = Constant(10, 0);
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
  int loud = mixer.AddClip(Constant(10, 30000));
  int quiet = mixer.AddClip(Constant(10, -500));
  int a = mixer.Play(loud);
  int b = mixer.Play(loud);
  mixer.Play(quiet);
  EXPECT_NE(a, b);
  EXPECT_EQ(Mix(mixer, 1)[0], 32767);
  mixer.Stop(a);
  EXPECT_FALSE(mixer.Playing(a));
  EXPECT_TRUE(mixer.Playing(b));
  EXPECT_EQ(Mix(mixer, 1)[0], 29500);
  int low = mixer.AddClip(Constant(10, -30000));
  mixer.Stop(b);
  mixer.Play(low);
  mixer.Play(low);
  EXPECT_EQ(Mix(mixer, 1)[0], -32768);
}

// ---------------------------------------------------------------- the music, streamed

namespace {

// The embedded track decoded in one go, as the reference the streamed
// decode must match.
std::vector<int16_t> WholeTrack(std::span<const uint8_t> bytes) {
  OggStream stream(bytes.data(), bytes.size());
  std::vector<int16_t> samples(size_t(stream.Frames()) * kMixChannels);
  const int64_t got = stream.Read(samples.data(), stream.Frames());
  samples.resize(size_t(std::max<int64_t>(got, 0)) * kMixChannels);
  return samples;
}

}  // namespace

TEST(OggClip, TheEmbeddedMusicIsStereoAt44100AndLoopsWithoutASeam) {
  auto bytes = FindResource("incbin::media/music.ogg");
  if (!bytes.data()) GTEST_SKIP() << "no music in media/";
  auto clip = OggClip::Load("incbin::media/music.ogg", bytes.data(), bytes.size());
  ASSERT_TRUE(clip);
  EXPECT_NEAR(clip->Seconds(), 142.5, 1.0);
  OggStream stream(bytes.data(), bytes.size());
  EXPECT_EQ(stream.Rate(), kMixRate);
  EXPECT_EQ(stream.Channels(), kMixChannels);
  const std::vector<int16_t> track = WholeTrack(bytes);
  const size_t frames = track.size() / kMixChannels;
  EXPECT_EQ(int64_t(frames), stream.Frames());
  EXPECT_NEAR(double(frames) / kMixRate, clip->Seconds(), 0.05);
  double energy = 0;
  for (size_t i = 0; i < frames * kMixChannels; i += 97) energy += std::abs(track[i]);
  EXPECT_GT(energy / double(frames * kMixChannels / 97), 300.0) << "the music is (nearly) silent";

  // The whole track is one loop.
  EXPECT_EQ(clip->LoopStart(), 0);
  ASSERT_EQ(clip->LoopEnd(), int64_t(frames));
  // The seam: the step from the last frame to the first is no bigger than
  // the steps around it, and neither end fades into silence.
  auto at = [&](long frame, int side) {
    long f = (frame % long(frames) + long(frames)) % long(frames);
    return double(track[size_t(f) * kMixChannels + size_t(side)]);
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
  int channel = mixer.Play(mixer.AddClip(clip));
  for (size_t left = frames - 100; left > 0;) {
    int n = int(std::min<size_t>(left, 65536));
    Mix(mixer, n);
    left -= size_t(n);
  }
  auto seam = Mix(mixer, 200);
  for (long f = -100; f < 100; ++f)
    for (int side = 0; side < kMixChannels; ++side)
      ASSERT_EQ(seam[size_t(f + 100) * kMixChannels + size_t(side)], at(f, side)) << f;
  EXPECT_TRUE(mixer.Playing(channel));
}

// The mixer asks for blocks of any size; decoded block by block, the music
// is sample for sample the whole track cut and looped: across the tagged
// loop (the end of the track back to its start) and across a loop whose
// start lies inside the track (where the decoder seeks into the middle of
// a page).
TEST(OggClip, StreamedInRandomBlocksItIsTheWholeTrackLooped) {
  auto bytes = FindResource("incbin::media/music.ogg");
  if (!bytes.data()) GTEST_SKIP() << "no music in media/";
  auto clip = OggClip::Load("incbin::media/music.ogg", bytes.data(), bytes.size());
  ASSERT_TRUE(clip);
  const std::vector<int16_t> track = WholeTrack(bytes);
  const int64_t frames = int64_t(track.size() / kMixChannels);
  ASSERT_EQ(clip->LoopEnd(), frames);

  std::mt19937 random(20261208);
  auto check = [&](ClipReader& reader, int64_t loopStart, int64_t loopEnd, int64_t total) {
    std::vector<int16_t> block;
    for (int64_t played = 0; played < total;) {
      // Mostly around the device's 2048, now and then tiny or large.
      const int kind = int(random() % 4);
      const size_t size = kind == 0   ? 1 + random() % 16
                          : kind == 1 ? 1 + random() % 20000
                                      : 1500 + random() % 1200;
      block.assign(size * kMixChannels, 0);
      ASSERT_EQ(reader.Read(block.data(), size), size) << "at frame " << played;
      for (size_t i = 0; i < size; ++i, ++played) {
        const int64_t source =
            played < loopEnd ? played : loopStart + (played - loopEnd) % (loopEnd - loopStart);
        for (size_t side = 0; side < kMixChannels; ++side)
          ASSERT_EQ(block[i * kMixChannels + side], track[size_t(source) * kMixChannels + side])
              << "frame " << played << " (block of " << size << ")";
      }
      ASSERT_FALSE(reader.Ended());
    }
  };
  {
    SCOPED_TRACE("the tagged loop");
    auto reader = clip->Open();
    check(*reader, 0, frames, frames + kMixRate * 3);
  }
  {
    SCOPED_TRACE("a loop inside the track");
    const int64_t start = 1234567, end = 2345678;
    auto reader = clip->OpenWithLoop(start, end);
    check(*reader, start, end, end + 2 * (end - start) + 4321);
  }
}

TEST(OggClip, BrokenBytesAreNoClipAndAnUntaggedClipPlaysOnce) {
  const uint8_t junk[] = {'O', 'g', 'g', 'S', 0, 1, 2, 3, 4, 5};
  EXPECT_FALSE(OggClip::Load("junk", junk, sizeof junk));
  EXPECT_FALSE(OggClip::Load("nothing", nullptr, 0));
  EXPECT_FALSE(OggStream(junk, sizeof junk).ok());

  auto bytes = FindResource("incbin::media/music.ogg");
  if (!bytes.data()) GTEST_SKIP() << "no music in media/";
  // Under another name the bytes are copied; they may go at once.
  std::vector<uint8_t> copy(bytes.begin(), bytes.end());
  auto clip = OggClip::Load("music from a file", copy.data(), copy.size());
  ASSERT_TRUE(clip);
  std::fill(copy.begin(), copy.end(), uint8_t(0));
  // Played without its loop: the track once, then it ends.
  OggStream stream(bytes.data(), bytes.size());
  auto reader = clip->OpenWithLoop(0, 0);
  std::vector<int16_t> block(size_t(65536) * kMixChannels);
  int64_t played = 0;
  while (!reader->Ended()) {
    const size_t got = reader->Read(block.data(), 65536);
    played += int64_t(got);
    if (got < 65536) break;
  }
  EXPECT_TRUE(reader->Ended());
  EXPECT_EQ(played, stream.Frames());
}

// A mono tone at 22050 Hz, one second (oggencArgs e.g. loop tags); empty
// when oggenc is missing.
std::vector<uint8_t> MonoTone(const std::string& oggencArgs) {
  test_images::ScratchFolder folder;
  const std::string ogg = folder / "tone.ogg";
  std::vector<uint8_t> bytes;
  if (!test_images::WriteToneOgg(folder, ogg, 22050, oggencArgs) || !ReadSourceBytes(ogg, bytes))
    bytes.clear();
  return bytes;
}

// Music that is not stereo at 44100 Hz is converted while it plays: twice
// the frames, the one channel on both sides; tagged as a loop it wraps
// before the conversion and goes on.
TEST(OggClip, OtherFormatsAreConvertedAsTheyPlay) {
  const std::vector<uint8_t> once = MonoTone("");
  if (once.empty()) GTEST_SKIP() << "no oggenc";
  auto clip = OggClip::Load("tone", once.data(), once.size());
  ASSERT_TRUE(clip);
  EXPECT_NEAR(clip->Seconds(), 1.0, 0.01);
  EXPECT_EQ(clip->LoopEnd(), 0);
  auto reader = clip->Open();
  std::vector<int16_t> block(size_t(1000) * kMixChannels);
  size_t played = 0, loud = 0;
  bool sidesAgree = true;
  while (!reader->Ended() && played < size_t(kMixRate) * 2) {
    const size_t got = reader->Read(block.data(), 1000);
    for (size_t i = 0; i < got; ++i) {
      sidesAgree = sidesAgree && block[i * 2] == block[i * 2 + 1];
      loud += std::abs(block[i * 2]) > 4000;
    }
    played += got;
  }
  EXPECT_TRUE(reader->Ended());
  // A second, less the tail SDL's resampler keeps back (1024 frames here).
  EXPECT_NEAR(double(played), kMixRate, 1500.0);
  EXPECT_TRUE(sidesAgree);
  EXPECT_GT(loud, played / 2);

  const std::vector<uint8_t> looped = MonoTone("-c LOOPSTART=0 -c LOOPLENGTH=22050");
  auto loop = OggClip::Load("tone", looped.data(), looped.size());
  ASSERT_TRUE(loop);
  EXPECT_EQ(loop->LoopEnd(), 22050);
  Mixer mixer;
  const int channel = mixer.Play(mixer.AddClip(loop));
  for (int i = 0; i < 3; ++i) {
    auto out = Mix(mixer, kMixRate);
    size_t quiet = 0;
    for (size_t f = 0; f < size_t(kMixRate); ++f) quiet += std::abs(out[f * 2]) < 100;
    EXPECT_LT(quiet, size_t(kMixRate) / 10) << "second " << i << " has gaps";
  }
  EXPECT_TRUE(mixer.Playing(channel));
}
