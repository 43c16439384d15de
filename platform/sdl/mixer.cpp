#include "platform/sdl/mixer.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace sdl_backend {

int Mixer::AddClip(std::shared_ptr<DecodedClip> clip) {
  std::lock_guard<std::mutex> lock(mutex_);
  int id = nextClip_++;
  clips_[id] = std::move(clip);
  return id;
}

int Mixer::Play(int clip) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = clips_.find(clip);
  if (it == clips_.end()) return 0;
  int channel = nextChannel_++;
  voices_[channel] = Voice{it->second, 0};
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
  std::vector<int32_t> sum(size_t(frames) * kMixChannels, 0);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = voices_.begin(); it != voices_.end();) {
      Voice& voice = it->second;
      const DecodedClip& clip = *voice.clip;
      // Read finished before decoded: once finished is seen, decoded is final.
      bool finished = clip.finished.load(std::memory_order_acquire);
      size_t ready = clip.decoded.load(std::memory_order_acquire);
      // A loop wraps only once its end is decoded and lies inside the clip.
      const bool loops = finished && clip.loopEnd > clip.loopStart && clip.loopEnd <= ready;
      size_t filled = 0;
      for (;;) {
        const size_t end = loops ? clip.loopEnd : ready;
        size_t n =
            std::min(size_t(frames) - filled, end > voice.position ? end - voice.position : 0);
        const int16_t* src = clip.samples.data() + voice.position * kMixChannels;
        int32_t* dst = sum.data() + filled * kMixChannels;
        for (size_t i = 0; i < n * kMixChannels; i++) dst[i] += src[i];
        voice.position += n;
        filled += n;
        if (!loops || filled == size_t(frames)) break;
        voice.position = clip.loopStart;
      }
      // A decoder that lags behind only delays the channel; it ends when
      // the whole clip has been played.
      if (finished && !loops && voice.position >= ready)
        it = voices_.erase(it);
      else
        ++it;
    }
  }
  for (size_t i = 0; i < sum.size(); i++) out[i] = int16_t(std::clamp(sum[i], -32768, 32767));
}

// ---------------------------------------------------------------- Ogg Vorbis

struct VorbisSource::Impl {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  OggVorbis_File file{};
  bool open = false;

  static size_t Read(void* out, size_t size, size_t count, void* self) {
    Impl& in = *static_cast<Impl*>(self);
    size_t bytes = std::min(size * count, in.size - in.position);
    std::memcpy(out, in.data + in.position, bytes);
    in.position += bytes;
    return size ? bytes / size : 0;
  }
  static int Seek(void* self, ogg_int64_t offset, int whence) {
    Impl& in = *static_cast<Impl*>(self);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? ogg_int64_t(in.position)
                                            : ogg_int64_t(in.size);
    ogg_int64_t target = base + offset;
    if (target < 0 || target > ogg_int64_t(in.size)) return -1;
    in.position = size_t(target);
    return 0;
  }
  static long Tell(void* self) { return long(static_cast<Impl*>(self)->position); }
};

VorbisSource::VorbisSource(const uint8_t* data, size_t size) : impl_(new Impl{data, size}) {
  if (!data || size == 0) return;
  ov_callbacks callbacks{&Impl::Read, &Impl::Seek, nullptr, &Impl::Tell};
  if (ov_open_callbacks(impl_.get(), &impl_->file, nullptr, 0, callbacks) != 0) return;
  impl_->open = true;
  vorbis_info* info = ov_info(&impl_->file, -1);
  ogg_int64_t frames = ov_pcm_total(&impl_->file, -1);
  if (!info || frames < 0 || info->channels < 1 || info->rate < 1) return;
  rate_ = int(info->rate);
  channels_ = info->channels;
  frames_ = frames;
  seconds_ = double(frames) / double(rate_);
  ok_ = true;
  // The loop tags, read by hand (the tag helpers live in another library).
  if (vorbis_comment* tags = ov_comment(&impl_->file, -1)) {
    long long start = -1, length = 0;
    for (int i = 0; i < tags->comments; ++i) {
      const std::string tag(tags->user_comments[i], size_t(tags->comment_lengths[i]));
      const size_t equals = tag.find('=');
      if (equals == std::string::npos) continue;
      std::string key = tag.substr(0, equals);
      for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
      if (key == "LOOPSTART") start = std::strtoll(tag.c_str() + equals + 1, nullptr, 10);
      if (key == "LOOPLENGTH") length = std::strtoll(tag.c_str() + equals + 1, nullptr, 10);
    }
    if (start >= 0 && length > 0) loopStart_ = start, loopLength_ = length;
  }
}

VorbisSource::~VorbisSource() {
  if (impl_->open) ov_clear(&impl_->file);
}

void VorbisSource::Prepare(DecodedClip& clip) const {
  clip.seconds = seconds_;
  size_t frames = size_t((long double)frames_ * kMixRate / rate_) + 4096;
  clip.samples.assign(frames * kMixChannels, 0);
  clip.decoded.store(0);
  clip.finished.store(false);
  clip.loopStart = clip.loopEnd = 0;
  if (loopStart_ >= 0 && loopLength_ > 0 && loopStart_ + loopLength_ <= frames_) {
    clip.loopStart = size_t((long double)loopStart_ * kMixRate / rate_);
    clip.loopEnd = size_t((long double)(loopStart_ + loopLength_) * kMixRate / rate_);
  }
}

void VorbisSource::Decode(DecodedClip& clip, const std::atomic<bool>& cancel) {
  const size_t capacity = clip.samples.size() / kMixChannels;
  size_t done = 0;
  SDL_AudioStream* convert = nullptr;
  if (rate_ != kMixRate || channels_ != kMixChannels)
    convert = SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels_), rate_, AUDIO_S16SYS, kMixChannels,
                                 kMixRate);
  bool usable = ok_ && (convert || (rate_ == kMixRate && channels_ == kMixChannels));
  std::vector<char> buffer(16384);
  auto append = [&](const char* bytes, size_t length) {
    size_t frames = std::min(length / (2 * kMixChannels), capacity - done);
    std::memcpy(clip.samples.data() + done * kMixChannels, bytes, frames * 2 * kMixChannels);
    done += frames;
    clip.decoded.store(done, std::memory_order_release);
  };
  std::vector<char> converted;
  auto drain = [&] {
    int available;
    while ((available = SDL_AudioStreamAvailable(convert)) > 0) {
      converted.resize(size_t(available));
      int n = SDL_AudioStreamGet(convert, converted.data(), available);
      if (n <= 0) break;
      append(converted.data(), size_t(n));
    }
  };
  while (usable && !cancel.load()) {
    int section = 0;
    long got = ov_read(&impl_->file, buffer.data(), int(buffer.size()), 0, 2, 1, &section);
    if (got == OV_HOLE) continue;
    if (got <= 0) break;
    vorbis_info* info = ov_info(&impl_->file, section);
    if (!info || info->channels != channels_ || info->rate != rate_) break;
    if (convert) {
      SDL_AudioStreamPut(convert, buffer.data(), int(got));
      drain();
    } else {
      append(buffer.data(), size_t(got));
    }
  }
  if (convert) {
    SDL_AudioStreamFlush(convert);
    drain();
    SDL_FreeAudioStream(convert);
  }
  clip.finished.store(true, std::memory_order_release);
}

}  // namespace sdl_backend
