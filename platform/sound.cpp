// Music. Without an audio device the backend answers no clip and every
// service stays silent; nothing fails.
#include "platform/backend.h"
#include "platform/platform.h"

SoundClipRef LoadSoundClip(const std::string& resource) {
  auto clip = std::make_shared<SoundClip>();
  clip->name = resource;
  // Embedded music is handed over where it lies; a file is read first.
  std::span<const uint8_t> data = FindResource(resource);
  std::vector<uint8_t> bytes;
  if (!data.data()) {
    if (!ReadSourceBytes(resource, bytes) || bytes.empty()) return clip;
    data = bytes;
  }
  double seconds = 0.0;
  clip->id = CurrentBackend().LoadSound(resource, data.data(), data.size(), seconds);
  clip->seconds = seconds;
  return clip;
}

Channel PlayClip(const SoundClipRef& clip) {
  if (!clip || clip->id < 0) return kNoChannel;
  int channel = CurrentBackend().PlaySound(clip->id);
  return channel > 0 ? channel : kNoChannel;
}

int Playing(Channel channel) {
  if (channel == kNoChannel) return 0;
  return CurrentBackend().ChannelPlaying(channel) ? 1 : 0;
}

void Stop(Channel channel) {
  if (channel != kNoChannel) CurrentBackend().StopChannel(channel);
}
