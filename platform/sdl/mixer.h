// The music mixer: clips, channels playing them, and the mixing step the
// audio thread calls. Channels are started, tested and stopped from the
// game thread; the list of channels is behind one mutex, and a channel's
// sound is produced (and its music decoded) by the audio thread alone,
// outside that mutex, so the game thread never waits for a decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sdl_backend {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;

// The sound of one channel: stereo 16-bit frames at kMixRate, interleaved
// left, right. Used by the audio thread only.
class ClipReader {
 public:
  virtual ~ClipReader() = default;
  // Writes up to frames frames into out; fewer only when the clip ended.
  virtual size_t Read(int16_t* out, size_t frames) = 0;
  // Nothing more to play (a looping clip never ends).
  virtual bool Ended() const = 0;
};

// A clip any number of channels may play at once, each with its own reader.
class Clip {
 public:
  virtual ~Clip() = default;
  // The reader may refer to the clip: the mixer keeps the clip while it reads.
  virtual std::unique_ptr<ClipReader> Open() const = 0;
};

// Samples held in memory. A loop (loopEnd > loopStart, both in frames)
// goes on from loopStart at loopEnd; loopEnd 0 plays the clip once.
struct PcmClip : Clip {
  std::vector<int16_t> samples;  // interleaved left, right
  size_t loopStart = 0;
  size_t loopEnd = 0;
  std::unique_ptr<ClipReader> Open() const override;
};

// Ogg Vorbis music, decoded while it plays: a channel decodes the next few
// thousand frames whenever the audio device asks for them, so nothing of
// the track is held decoded. A stream tagged as a loop (Vorbis comments
// LOOPSTART and LOOPLENGTH, in frames) goes on from its loop start when it
// reaches the loop end, sample for sample as if the loop were cut from one
// decoded buffer; without tags it plays once. Anything not stereo at
// kMixRate is converted (the loop then wraps before the conversion).
class OggClip : public Clip {
 public:
  // Null when the bytes are no Ogg Vorbis. The bytes are copied unless they
  // are the embedded resource of that name, which lives as long as the
  // program.
  static std::shared_ptr<OggClip> Load(const std::string& name, const uint8_t* data, size_t size);
  double Seconds() const { return seconds_; }
  // The loop in the stream's own frames; loopEnd 0 when it plays once.
  int64_t LoopStart() const { return loopStart_; }
  int64_t LoopEnd() const { return loopEnd_; }
  std::unique_ptr<ClipReader> Open() const override;
  // The same reader with another loop (for tests: a loop start inside the
  // track); loopEnd 0 plays once.
  std::unique_ptr<ClipReader> OpenWithLoop(int64_t loopStart, int64_t loopEnd) const;

 private:
  std::vector<uint8_t> copy_;  // empty for embedded bytes
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  double seconds_ = 0.0;
  int64_t loopStart_ = 0, loopEnd_ = 0;
};

class Mixer {
 public:
  int AddClip(std::shared_ptr<const Clip> clip);
  int Play(int clip);  // new channel > 0, or 0 when there is no such clip
  bool Playing(int channel);
  void Stop(int channel);
  // Adds every playing channel into out (frames stereo frames), clipping to
  // 16 bits; channels whose clip ended are dropped, looping clips wrap
  // around without a break. Called by one thread at a time.
  void Mix(int16_t* out, int frames);

 private:
  struct Voice {
    std::shared_ptr<const Clip> clip;
    std::unique_ptr<ClipReader> reader;  // opened by the first Mix
    bool ended = false;
  };
  std::mutex mutex_;
  std::map<int, std::shared_ptr<const Clip>> clips_;
  std::map<int, std::shared_ptr<Voice>> voices_;
  int nextClip_ = 1;
  int nextChannel_ = 1;
  // Mix's own: the voices of this call, their sum, one voice's block.
  std::vector<std::shared_ptr<Voice>> mixing_;
  std::vector<int32_t> sum_;
  std::vector<int16_t> block_;
};

}  // namespace sdl_backend
