#include "platform/sdl/mixer.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/ogg_stream.h"
#include "platform/platform.h"

namespace sdl_backend {

// ---------------------------------------------------------------- the mixer

int Mixer::AddClip(std::shared_ptr<const Clip> clip) {
  std::lock_guard<std::mutex> lock(mutex_);
  int id = nextClip_++;
  clips_[id] = std::move(clip);
  return id;
}

int Mixer::Play(int clip) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = clips_.find(clip);
  if (it == clips_.end() || !it->second) return 0;
  int channel = nextChannel_++;
  auto voice = std::make_shared<Voice>();
  voice->clip = it->second;
  voices_[channel] = std::move(voice);
  return channel;
}

bool Mixer::Playing(int channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  return voices_.count(channel) > 0;
}

void Mixer::Stop(int channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  voices_.erase(channel);
}

void Mixer::Mix(int16_t* out, int frames) {
  const size_t count = size_t(std::max(frames, 0));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    mixing_.clear();
    for (const auto& [channel, voice] : voices_) mixing_.push_back(voice);
  }
  // Decoding happens here, without the lock: a voice stopped meanwhile is
  // kept alive by mixing_ until this call is done with it.
  sum_.assign(count * kMixChannels, 0);
  block_.resize(count * kMixChannels);
  for (const std::shared_ptr<Voice>& voice : mixing_) {
    if (!voice->reader) voice->reader = voice->clip->Open();
    const size_t got =
        voice->reader ? std::min(voice->reader->Read(block_.data(), count), count) : 0;
    for (size_t i = 0; i < got * kMixChannels; i++) sum_[i] += block_[i];
    voice->ended = !voice->reader || voice->reader->Ended();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = voices_.begin(); it != voices_.end();)
      it = it->second->ended ? voices_.erase(it) : std::next(it);
  }
  mixing_.clear();
  for (size_t i = 0; i < sum_.size(); i++) out[i] = int16_t(std::clamp(sum_[i], -32768, 32767));
}

// ---------------------------------------------------------------- samples in memory

namespace {

class PcmReader : public ClipReader {
 public:
  explicit PcmReader(const PcmClip& clip) : clip_(clip) {}

  size_t Read(int16_t* out, size_t frames) override {
    const size_t length = clip_.samples.size() / kMixChannels;
    const bool loops = clip_.loopEnd > clip_.loopStart && clip_.loopEnd <= length;
    size_t filled = 0;
    while (filled < frames) {
      if (loops && position_ >= clip_.loopEnd) position_ = clip_.loopStart;
      const size_t end = loops ? clip_.loopEnd : length;
      const size_t n = std::min(frames - filled, end > position_ ? end - position_ : 0);
      if (n == 0) break;
      std::memcpy(out + filled * kMixChannels, clip_.samples.data() + position_ * kMixChannels,
                  n * kMixChannels * sizeof(int16_t));
      position_ += n;
      filled += n;
    }
    ended_ = !loops && position_ >= length;
    return filled;
  }
  bool Ended() const override { return ended_; }

 private:
  const PcmClip& clip_;
  size_t position_ = 0;
  bool ended_ = false;
};

// Decodes the stream in the blocks the mixer asks for. The loop wraps in
// the stream's own frames: at the loop end the decoder seeks (sample-exact)
// back to the loop start.
class OggReader : public ClipReader {
 public:
  OggReader(const uint8_t* data, size_t size, int64_t loopStart, int64_t loopEnd)
      : stream_(data, size), loopStart_(loopStart), loopEnd_(loopEnd) {
    if (!stream_.ok()) {
      ended_ = true;
      return;
    }
    if (stream_.Rate() != kMixRate || stream_.Channels() != kMixChannels) {
      convert_ = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(stream_.Channels()), stream_.Rate(),
                                    AUDIO_S16SYS, kMixChannels, kMixRate);
      if (!convert_) ended_ = true;
    }
  }
  ~OggReader() override {
    if (convert_) SDL_FreeAudioStream(convert_);
  }
  OggReader(const OggReader&) = delete;
  OggReader& operator=(const OggReader&) = delete;

  size_t Read(int16_t* out, size_t frames) override {
    if (!convert_) return ReadStream(out, frames);
    // Converted: feed the converter until it holds the block (or the
    // stream ended and what it holds is flushed out).
    const int frameBytes = int(sizeof(int16_t)) * kMixChannels;
    const int wanted = int(frames) * frameBytes;
    const size_t sourceFrames = 4096;
    while (!sourceDone_ && SDL_AudioStreamAvailable(convert_) < wanted) {
      source_.resize(sourceFrames * size_t(stream_.Channels()));
      const size_t got = ReadStream(source_.data(), sourceFrames);
      if (got > 0)
        SDL_AudioStreamPut(convert_, source_.data(),
                           int(got * size_t(stream_.Channels()) * sizeof(int16_t)));
      if (got < sourceFrames) {
        SDL_AudioStreamFlush(convert_);
        sourceDone_ = true;
      }
    }
    const int got = SDL_AudioStreamGet(convert_, out, wanted);
    const size_t written = got > 0 ? size_t(got / frameBytes) : 0;
    if (sourceDone_ && SDL_AudioStreamAvailable(convert_) < frameBytes) ended_ = true;
    return written;
  }
  bool Ended() const override { return ended_; }

 private:
  // Frames of the stream itself, the loop applied.
  size_t ReadStream(int16_t* out, size_t frames) {
    const bool loops = loopEnd_ > loopStart_;
    const size_t channels = size_t(stream_.Channels());
    size_t filled = 0;
    while (filled < frames && !streamDone_) {
      if (loops && position_ >= loopEnd_) {
        if (!stream_.SeekFrame(loopStart_)) break;
        position_ = loopStart_;
      }
      int64_t want = int64_t(frames - filled);
      if (loops) want = std::min(want, loopEnd_ - position_);
      const int64_t got = stream_.Read(out + filled * channels, want);
      if (got <= 0) break;
      position_ += got;
      filled += size_t(got);
    }
    if (filled < frames) {
      streamDone_ = true;
      if (!convert_) ended_ = true;
    }
    return filled;
  }

  OggStream stream_;
  SDL_AudioStream* convert_ = nullptr;
  std::vector<int16_t> source_;
  int64_t position_ = 0;  // the stream's frame the next Read starts at
  int64_t loopStart_, loopEnd_;
  bool streamDone_ = false, sourceDone_ = false, ended_ = false;
};

}  // namespace

std::unique_ptr<ClipReader> PcmClip::Open() const { return std::make_unique<PcmReader>(*this); }

// ---------------------------------------------------------------- Ogg Vorbis

std::shared_ptr<OggClip> OggClip::Load(const std::string& name, const uint8_t* data, size_t size) {
  if (!data || size == 0) return nullptr;
  auto clip = std::make_shared<OggClip>();
  const std::span<const uint8_t> embedded = FindResource(name);
  if (embedded.data() == data && embedded.size() == size) {
    clip->data_ = data;
  } else {
    clip->copy_.assign(data, data + size);
    clip->data_ = clip->copy_.data();
  }
  clip->size_ = size;
  OggStream stream(clip->data_, clip->size_);
  if (!stream.ok()) return nullptr;
  clip->seconds_ = stream.Seconds();
  const int64_t start = stream.LoopStart(), length = stream.LoopLength();
  if (start >= 0 && length > 0 && start + length <= stream.Frames()) {
    clip->loopStart_ = start;
    clip->loopEnd_ = start + length;
  }
  return clip;
}

std::unique_ptr<ClipReader> OggClip::Open() const { return OpenWithLoop(loopStart_, loopEnd_); }

std::unique_ptr<ClipReader> OggClip::OpenWithLoop(int64_t loopStart, int64_t loopEnd) const {
  return std::make_unique<OggReader>(data_, size_, loopStart, loopEnd);
}

}  // namespace sdl_backend
