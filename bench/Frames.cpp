// Pass-through frames: smart pre-render plus render through the entry point, against a plain
// memcpy of the same bytes between the same buffers, measured alternately in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "Benchmarks.h"
#include "HeapCount.h"
#include "Rig.h"
#include "ZelfinEffects.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double>& samples) {
  if (samples.empty()) return 0;
  const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
  std::nth_element(samples.begin(), middle, samples.end());
  return *middle;
}

double Nanoseconds(Clock::duration d) { return std::chrono::duration<double, std::nano>(d).count(); }

// All five effects render through the same pass-through code; the first one stands for them.
constexpr const char* kFrameEffect = zelfin::kEffects[0].entryPoint;

void MeasureFrames(benchmark::State& state, testhost::Depth depth, int width, int height) {
  Rig rig(Subject::Plugin, kFrameEffect);
  testhost::Host& host = rig.host();
  if (const std::string p = Problem(host.globalSetup()); !p.empty())
    return state.SkipWithError(("global setup: " + p).c_str());
  testhost::FrameSetup setup;
  setup.depth = depth;
  setup.width = width;
  setup.height = height;
  if (const std::string p = rig.prepareFrame(setup); !p.empty())
    return state.SkipWithError(p.c_str());

  const unsigned char* from = host.input()->pixelAddress(0, 0);
  unsigned char* to = host.output()->pixelAddress(0, 0);
  const std::size_t bytes = host.input()->rowBytes() * static_cast<std::size_t>(height);
  bool failed = false;
  auto frame = [&] {
    failed |= rig.preRender().err != PF_Err_NONE;
    failed |= rig.render().err != PF_Err_NONE;
  };

  SetPluginCode(rig.pluginCode());
  const HeapCount heap = CountHeap(frame);

  // Alternating which goes first keeps either from always finding the caches as the other
  // left them. The ratio is taken pair by pair: the two halves of a pair run moments apart, so
  // other work on the machine slows both alike.
  std::vector<double> copyNs;
  std::vector<double> frameNs;
  std::vector<double> ratios;
  bool copyFirst = true;
  for (auto _ : state) {
    for (int pass = 0; pass < 2; ++pass) {
      const bool copy = (pass == 0) == copyFirst;
      const Clock::time_point start = Clock::now();
      if (copy) {
        std::memcpy(to, from, bytes);
        benchmark::ClobberMemory();
      } else {
        frame();
      }
      (copy ? copyNs : frameNs).push_back(Nanoseconds(Clock::now() - start));
    }
    if (copyNs.back() > 0) ratios.push_back(frameNs.back() / copyNs.back());
    copyFirst = !copyFirst;
  }
  if (failed) return state.SkipWithError("a frame command failed");
  if (!host.output()->samePixels(*host.input()))
    return state.SkipWithError("output differs from input after the timed frames");

  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["memcpy_ns"] = Median(copyNs);
  state.counters["frame_ns"] = Median(frameNs);
  state.counters["ratio"] = Median(ratios);
  state.counters["allocs"] = static_cast<double>(heap.total);
  state.counters["plugin_allocs"] = static_cast<double>(heap.plugin);
}

// Nothing may be thrown out of a benchmark; a failure is reported as its result.
void PassThrough(benchmark::State& state, testhost::Depth depth, int width, int height) {
  try {
    MeasureFrames(state, depth, width, height);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

}  // namespace

void RegisterFrameBenchmarks(bool smoke) {
  struct Size {
    int width, height;
  };
  const std::vector<Size> sizes =
      smoke ? std::vector<Size>{{64, 36}} : std::vector<Size>{{1920, 1080}, {3840, 2160}};
  for (const Size& size : sizes)
    for (testhost::Depth depth :
         {testhost::Depth::Bits8, testhost::Depth::Bits16, testhost::Depth::Float32}) {
      const std::string name = std::string(kFramePrefix) + std::to_string(static_cast<int>(depth)) +
                               "/" + std::to_string(size.width) + "x" +
                               std::to_string(size.height);
      benchmark::RegisterBenchmark(name.c_str(), PassThrough, depth, size.width, size.height)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(smoke ? 0.001 : 2.0);
    }
}

}  // namespace bench
