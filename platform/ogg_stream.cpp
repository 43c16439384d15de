#include "platform/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct OggStream::Impl {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  OggVorbis_File file{};
  bool open = false;

  static size_t ReadBytes(void* out, size_t size, size_t count, void* self) {
    Impl& in = *static_cast<Impl*>(self);
    const size_t bytes = std::min(size * count, in.size - in.position);
    if (bytes) std::memcpy(out, in.data + in.position, bytes);
    in.position += bytes;
    return size ? bytes / size : 0;
  }
  static int Seek(void* self, ogg_int64_t offset, int whence) {
    Impl& in = *static_cast<Impl*>(self);
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? ogg_int64_t(in.position)
                                                  : ogg_int64_t(in.size);
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > ogg_int64_t(in.size)) return -1;
    in.position = size_t(target);
    return 0;
  }
  static long Tell(void* self) { return long(static_cast<Impl*>(self)->position); }
};

OggStream::OggStream(const uint8_t* data, size_t size) : impl_(new Impl{data, size}) {
  if (!data || size == 0) return;
  ov_callbacks callbacks{&Impl::ReadBytes, &Impl::Seek, nullptr, &Impl::Tell};
  if (ov_open_callbacks(impl_.get(), &impl_->file, nullptr, 0, callbacks) != 0) return;
  impl_->open = true;
  const vorbis_info* info = ov_info(&impl_->file, -1);
  const ogg_int64_t frames = ov_pcm_total(&impl_->file, -1);
  if (!info || frames < 0 || info->channels < 1 || info->rate < 1) return;
  // Chained streams whose links differ in format are not read.
  for (long link = 0; link < ov_streams(&impl_->file); ++link) {
    const vorbis_info* other = ov_info(&impl_->file, int(link));
    if (!other || other->channels != info->channels || other->rate != info->rate) return;
  }
  rate_ = int(info->rate);
  channels_ = info->channels;
  frames_ = frames;
  ok_ = true;
  // The loop tags, read by hand (the tag helpers live in another library).
  if (const vorbis_comment* tags = ov_comment(&impl_->file, -1)) {
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

OggStream::~OggStream() {
  if (impl_->open) ov_clear(&impl_->file);
}

double OggStream::Seconds() const { return ok_ ? double(frames_) / double(rate_) : 0.0; }

int64_t OggStream::Read(int16_t* out, int64_t frames) {
  if (!ok_ || frames <= 0) return 0;
  const size_t frameBytes = sizeof(int16_t) * size_t(channels_);
  char* to = reinterpret_cast<char*>(out);
  int64_t done = 0;
  while (done < frames) {
    // ov_read gives at most one packet's samples per call.
    const size_t want = std::min(size_t(frames - done) * frameBytes, size_t(1) << 16);
    int section = 0;
    const long got =
        ov_read(&impl_->file, to + size_t(done) * frameBytes, int(want), 0, 2, 1, &section);
    if (got == OV_HOLE) continue;
    if (got < 0) return done > 0 ? done : -1;
    if (got == 0) break;
    done += int64_t(size_t(got) / frameBytes);
  }
  return done;
}

bool OggStream::SeekFrame(int64_t frame) {
  if (!ok_ || frame < 0 || frame > frames_) return false;
  return ov_pcm_seek(&impl_->file, ogg_int64_t(frame)) == 0;
}
