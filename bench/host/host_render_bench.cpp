// Real-time factor of rendering through the Audio Unit entry, through the fast-dispatch render
// procedure, and of calling the effect's block processing directly (no binding at all), at
// 48 kHz stereo. The "rtf" counter is seconds of audio rendered per second of CPU time.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "effect/korvaline.h"
#include "host/block_renderer.h"
#include "host/validator.h"

namespace {

constexpr double kRate = 48000;
constexpr int kChannels = 2;

void SetRealTimeFactor(benchmark::State& state, int block) {
  state.counters["rtf"] = benchmark::Counter(block / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Direct(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  std::unique_ptr<KorvalineBinding> plug(MakePlug());
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
    plug->ProcessBuffers(0.0f, block);
    benchmark::DoNotOptimize(output[0][block - 1]);
  }
  SetRealTimeFactor(state, block);
}

void BM_Hosted(benchmark::State& state, korval_host::RenderRoute route) {
  using namespace korval_host;
  const auto block = static_cast<UInt32>(state.range(0));
  std::string error = RegisterBundle(KORV_BENCH_BUNDLE_DIR);
  std::unique_ptr<HostedUnit> unit =
      error.empty() ? HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0},
                                       &error)
                    : nullptr;
  if (!unit) {
    state.SkipWithError(error.c_str());
    return;
  }
  BlockRenderer renderer(*unit, kChannels, block, route);
  error = PrepareForRendering(*unit, renderer, kRate, block);
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
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

BENCHMARK(BM_Direct)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(BM_Hosted, Entry, korval_host::RenderRoute::kEntry)->Arg(64)->Arg(512);
BENCHMARK_CAPTURE(BM_Hosted, FastDispatch, korval_host::RenderRoute::kFastDispatch)->Arg(64)->Arg(512);

}  // namespace
