// Real-time factor of the whole effect, and its worst single block against the block period.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/korvaline.h"

namespace {

void ProcessEffect(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const int block = static_cast<int>(state.range(1));
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  plug->SetSampleRate(rate);
  plug->SetBlockSize(block);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->Reset();
  plug->OnParamReset();

  std::vector<double> in(block), out0(block), out1(block);
  uint32_t seed = 1;
  for (double& x : in) {
    seed = seed * 1664525u + 1013904223u;
    x = 0.2 * (static_cast<int32_t>(seed) / 2147483648.0);
  }
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {out0.data(), out1.data()};

  // Run past the first pass of every segment so the worst block includes the largest transforms.
  const int warmup = static_cast<int>(65536 / block) + 1;
  for (int i = 0; i < warmup; ++i) {
    plug->AttachInputBuffers(0, 2, ins, block);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0, block);
  }

  double worst = 0.0, total = 0.0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    plug->AttachInputBuffers(0, 2, ins, block);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0, block);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    worst = std::max(worst, took.count());
    total += took.count();
    benchmark::DoNotOptimize(out0.data());
  }
  const double period = block / rate;
  // Processing time per second of audio: 0.01 means 1 % of one core.
  state.counters["rtf"] = total / (static_cast<double>(state.iterations()) * period);
  state.counters["worst_us"] = worst * 1e6;
  state.counters["worst_of_period"] = worst / period;
  state.SetItemsProcessed(state.iterations() * block);
}

}  // namespace

BENCHMARK(ProcessEffect)
    ->ArgsProduct({{44100, 48000, 96000}, {32, 64, 256, 1024}})
    ->ArgNames({"rate", "block"})
    ->MinTime(2.0)
    ->Unit(benchmark::kMicrosecond);
