// Music. Without an audio device the backend answers no clip and every
// service stays silent; nothing fails.
#include "platform/backend.h"
#include "platform/platform.h"

SoundClipRef LoadSoundClip(const std::string& resource) {
  auto clip = std::make_shared<SoundClip>();
  clip->name = resource;
  std::vector<uint8_t> bytes;
  if (!ReadSourceBytes(resource, bytes) || bytes.empty()) return clip;
  double seconds = 0.0;
  clip->id = CurrentBackend().LoadSound(resource, bytes.data(), bytes.size(), seconds);
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
