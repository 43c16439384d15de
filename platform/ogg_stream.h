// Ogg Vorbis read from bytes in memory: the one reader the real backend's
// mixer, the test backend and the tests share. Opening reads the headers
// and the stream's length, not its sound; Read decodes on from where the
// stream stands, and SeekFrame moves it sample-exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class OggStream {
 public:
  // The bytes are read in place: they must live as long as the stream.
  OggStream(const uint8_t* data, size_t size);
  ~OggStream();
  OggStream(const OggStream&) = delete;
  OggStream& operator=(const OggStream&) = delete;

  // Headers read, and one rate and channel count for the whole stream.
  bool ok() const { return ok_; }
  int Rate() const { return rate_; }
  int Channels() const { return channels_; }
  int64_t Frames() const { return frames_; }  // sample frames in the whole stream
  double Seconds() const;
  // The loop tags (Vorbis comments LOOPSTART and LOOPLENGTH, in frames):
  // loopStart -1 and loopLength 0 when the stream carries none.
  int64_t LoopStart() const { return loopStart_; }
  int64_t LoopLength() const { return loopLength_; }

  // Decodes up to frames frames of interleaved signed 16-bit samples in the
  // machine's byte order into out (room for frames * Channels() samples).
  // Answers the frames written: fewer only at the end of the stream (0
  // there), or -1 when the stream is broken there.
  int64_t Read(int16_t* out, int64_t frames);
  // The next Read starts at this frame (0 .. Frames()); false when the
  // stream cannot seek there.
  bool SeekFrame(int64_t frame);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool ok_ = false;
  int rate_ = 0, channels_ = 0;
  int64_t frames_ = 0;
  int64_t loopStart_ = -1, loopLength_ = 0;
};
