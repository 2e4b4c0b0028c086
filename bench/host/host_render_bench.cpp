// Real-time factor of rendering through the Audio Unit entry, through the fast-dispatch render
// procedure, and of calling the effect's block processing directly (no binding at all), at
// 48 kHz stereo. The "rtf" counter is seconds of audio rendered per second of CPU time.
// WorstCall renders 60 s of audio at 96 kHz in 64-frame calls through fast dispatch, the whole
// path a host takes, and reports the 99.9th percentile and the longest call in this thread's CPU
// time, in microseconds and as a share of the block period.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/thread_cpu.h"
#include "effect/korvaline.h"
#include "host/unit/block_renderer.h"
#include "host/validate/validator.h"

namespace {

using korv_bench::ThreadCpuMicroseconds;

constexpr double kRate = 48000;
constexpr int kChannels = 2;

void SetRealTimeFactor(benchmark::State& state, int block) {
  state.counters["rtf"] = benchmark::Counter(block / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Direct(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  std::unique_ptr<PlugBinding> plug(MakePlug());
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(block);
  plug->Reset();
  plug->SetInputChannelConnections(0, kChannels, true);
  plug->SetOutputChannelConnections(0, kChannels, true);
  plug->OnParamReset();
  std::vector<std::vector<float>> input(kChannels, std::vector<float>(block)), output = input;
  for (int c = 0; c < kChannels; ++c)
    for (int i = 0; i < block; ++i) input[c][i] = static_cast<float>((i * 7919 + c * 104729) % 2001) / 2000.0f - 0.5f;
  float* in[kChannels] = {input[0].data(), input[1].data()};
  float* out[kChannels] = {output[0].data(), output[1].data()};
  for (auto _ : state) {
    plug->AttachInputBuffers(0, kChannels, in, block);
    plug->AttachOutputBuffers(0, kChannels, out);
    plug->ProcessBuffers(IFxBase::kFloatSamples, block);
    benchmark::DoNotOptimize(output[0][block - 1]);
  }
  SetRealTimeFactor(state, block);
}

// The effect opened through its bundle, the way a host opens it, with a renderer ready for it.
struct Hosted {
  std::unique_ptr<korval_host::HostedUnit> unit;
  std::unique_ptr<korval_host::BlockRenderer> renderer;
};

// Null renderer (and the benchmark marked skipped) when the bundle or the unit fails.
Hosted OpenHosted(benchmark::State& state, double rate, UInt32 block, korval_host::RenderRoute route) {
  using namespace korval_host;
  Hosted hosted;
  std::string error = RegisterBundle(KORV_BENCH_BUNDLE_DIR);
  if (error.empty())
    hosted.unit =
        HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0}, &error);
  if (hosted.unit) {
    auto renderer = std::make_unique<BlockRenderer>(*hosted.unit, kChannels, block, route);
    error = PrepareForRendering(*hosted.unit, *renderer, rate, block);
    if (error.empty()) hosted.renderer = std::move(renderer);
  }
  if (!hosted.renderer) state.SkipWithError(error.c_str());
  return hosted;
}

void BM_Hosted(benchmark::State& state, korval_host::RenderRoute route) {
  using namespace korval_host;
  const auto block = static_cast<UInt32>(state.range(0));
  Hosted hosted = OpenHosted(state, kRate, block, route);
  if (!hosted.renderer) return;
  BlockRenderer& renderer = *hosted.renderer;
  FillTestSignal(renderer, block, 1);
  for (auto _ : state) {
    if (renderer.Render(block) != noErr) {
      state.SkipWithError("render failed");
      break;
    }
    benchmark::DoNotOptimize(renderer.Output(0)[block - 1]);
  }
  SetRealTimeFactor(state, static_cast<int>(block));
}

void BM_WorstCall(benchmark::State& state) {
  using namespace korval_host;
  constexpr double kHighRate = 96000;
  constexpr UInt32 kFrames = 64;
  constexpr int kSeconds = 60;
  Hosted hosted = OpenHosted(state, kHighRate, kFrames, RenderRoute::kFastDispatch);
  if (!hosted.renderer) return;
  BlockRenderer& renderer = *hosted.renderer;
  const int calls = static_cast<int>(kSeconds * kHighRate / kFrames);
  std::vector<double> took(calls);
  for (auto _ : state) {
    for (int c = 0; c < calls; ++c) {
      // A fresh stretch of signal per call, so that no engine sees a repeating block.
      FillTestSignal(renderer, kFrames, static_cast<unsigned>(c + 1));
      const double start = ThreadCpuMicroseconds();
      if (renderer.Render(kFrames) != noErr) {
        state.SkipWithError("render failed");
        return;
      }
      took[c] = ThreadCpuMicroseconds() - start;
    }
  }
  // The first call sizes the engine's buffers for the host's block.
  std::sort(took.begin() + 1, took.end());
  const double period = 1e6 * kFrames / kHighRate;
  const double p999 = took[1 + static_cast<size_t>(0.999 * (calls - 2))], worst = took.back();
  state.counters["p999_us"] = p999;
  state.counters["p999_of_period"] = p999 / period;
  state.counters["max_us"] = worst;
  state.counters["max_of_period"] = worst / period;
}

BENCHMARK(BM_Direct)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(BM_Hosted, Entry, korval_host::RenderRoute::kEntry)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(BM_Hosted, FastDispatch, korval_host::RenderRoute::kFastDispatch)->Arg(64)->Arg(512);
BENCHMARK(BM_WorstCall)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

}  // namespace
