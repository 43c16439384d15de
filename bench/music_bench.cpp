// What streaming the music costs the audio thread: one block of 2048
// frames (46 ms of sound, what SDL asks the mixer for at a time) decoded
// from the embedded Ogg Vorbis, as the mixer does it in the audio callback.
// The reader lives across iterations, so the run goes on through the track
// and across its loop; max_us is the dearest block (thread CPU time).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/mixer.h"

namespace {

double ThreadMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

void MusicBlock(benchmark::State& state) {
  using namespace sdl_backend;
  auto bytes = FindResource("incbin::media/music.ogg");
  auto clip = OggClip::Load("incbin::media/music.ogg", bytes.data(), bytes.size());
  if (!clip) {
    state.SkipWithError("no music embedded");
    return;
  }
  const size_t frames = size_t(state.range(0));
  std::vector<int16_t> block(frames * kMixChannels);
  auto reader = clip->Open();
  double dearest = 0.0;
  for (auto _ : state) {
    const double start = ThreadMicroseconds();
    benchmark::DoNotOptimize(reader->Read(block.data(), frames));
    dearest = std::max(dearest, ThreadMicroseconds() - start);
  }
  state.counters["max_us"] = dearest;
}

}  // namespace

BENCHMARK(MusicBlock)->Arg(2048)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
