// The music mixer: decoded clips, channels playing them, and the mixing
// step the audio thread calls. Channels are started, tested and stopped
// from the game thread; everything they share is behind one mutex.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace sdl_backend {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;

// Stereo 16-bit samples at kMixRate. The buffer is sized once before
// decoding starts and never moves, so the mixer may read the decoded part
// while a decoder thread is still filling the rest.
struct DecodedClip {
  std::vector<int16_t> samples;       // interleaved left, right
  std::atomic<size_t> decoded{0};     // frames ready to play
  std::atomic<bool> finished{false};  // decoded holds the final length
  double seconds = 0.0;
  // A clip tagged as a loop (Vorbis comments LOOPSTART and LOOPLENGTH, in
  // frames) goes on from loopStart at loopEnd within the same buffer, so
  // the seam has no gap; loopEnd 0 means it plays once.
  size_t loopStart = 0;
  size_t loopEnd = 0;
};

class Mixer {
 public:
  int AddClip(std::shared_ptr<DecodedClip> clip);
  int Play(int clip);  // new channel > 0, or 0 when there is no such clip
  bool Playing(int channel);
  void Stop(int channel);
  // Adds every playing channel into out (frames stereo frames), clipping to
  // 16 bits; channels that reached the end of their clip are dropped, and
  // looping clips wrap around without a break.
  void Mix(int16_t* out, int frames);

 private:
  struct Voice {
    std::shared_ptr<DecodedClip> clip;
    size_t position = 0;  // frames played
  };
  std::mutex mutex_;
  std::map<int, std::shared_ptr<DecodedClip>> clips_;
  std::map<int, Voice> voices_;
  int nextClip_ = 1;
  int nextChannel_ = 1;
};

// Ogg Vorbis in memory. Opening reads only the headers (length, format);
// Decode fills the clip and may run on a thread of its own. Anything not
// stereo 44100 Hz is converted.
class VorbisSource {
 public:
  VorbisSource(const uint8_t* data, size_t size);
  ~VorbisSource();
  VorbisSource(const VorbisSource&) = delete;
  VorbisSource& operator=(const VorbisSource&) = delete;
  bool ok() const { return ok_; }
  double Seconds() const { return seconds_; }
  // Sizes the clip's buffer; call before Decode.
  void Prepare(DecodedClip& clip) const;
  void Decode(DecodedClip& clip, const std::atomic<bool>& cancel);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool ok_ = false;
  double seconds_ = 0.0;
  long long frames_ = 0;
  long long loopStart_ = -1, loopLength_ = 0;  // from the stream's loop tags
  int rate_ = kMixRate, channels_ = kMixChannels;
};

}  // namespace sdl_backend
