// The effect's cost per rate and host block: CPU seconds per second of audio, and the worst single
// render call against the block period, both in this thread's CPU time (a shared machine's
// preemptions are not the effect's cost). Each configuration streams --seconds of audio (60 by
// default) three times and reports the medians. A last table compares a subnormal input with a
// loud one: the render must not slow down when the signal fades into the subnormal range.
//
//   effect_bench [--seconds S]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/thread_cpu.h"
#include "effect/korvaline.h"

namespace {

using korv_bench::Median;
using korv_bench::ThreadCpuMicroseconds;

constexpr int kRuns = 3;

struct RunResult {
  double cpuPerAudioSecond;
  double p999Us;
  double maxUs;
};

// One stream of `seconds` of noise of the given amplitude through a fresh instance, timed call by
// call. The first call sizes the engine's buffers for the host's block and is left out.
RunResult Run(double rate, int block, double seconds, double amplitude) {
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  plug->SetSampleRate(rate);
  plug->SetBlockSize(block);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->Reset();
  plug->OnParamReset();

  const int calls = static_cast<int>(seconds * rate / block);
  // A period of noise long enough that no block repeats in step with the engines' blocks.
  std::vector<double> noise(1 << 20);
  uint32_t seed = 1;
  for (double& x : noise) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * (static_cast<int32_t>(seed) / 2147483648.0);
  }
  std::vector<double> out0(block), out1(block);
  double* outs[2] = {out0.data(), out1.data()};
  std::vector<double> took(calls);
  size_t at = 0;
  for (int c = 0; c < calls; ++c) {
    if (at + block > noise.size()) at = 0;
    double* ins[2] = {noise.data() + at, noise.data() + at};
    at += block;
    const double start = ThreadCpuMicroseconds();
    plug->AttachInputBuffers(0, 2, ins, block);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(IFxBase::kDoubleSamples, block);
    took[c] = ThreadCpuMicroseconds() - start;
  }
  double total = 0;
  for (int c = 1; c < calls; ++c) total += took[c];
  std::vector<double> sorted(took.begin() + 1, took.end());
  std::sort(sorted.begin(), sorted.end());
  const double audio = (calls - 1) * block / rate;
  return {total * 1e-6 / audio, sorted[static_cast<size_t>(0.999 * (sorted.size() - 1))], sorted.back()};
}

RunResult Medians(double rate, int block, double seconds, double amplitude) {
  std::vector<double> cpu, p999, worst;
  for (int r = 0; r < kRuns; ++r) {
    const RunResult one = Run(rate, block, seconds, amplitude);
    cpu.push_back(one.cpuPerAudioSecond);
    p999.push_back(one.p999Us);
    worst.push_back(one.maxUs);
  }
  return {Median(cpu), Median(p999), Median(worst)};
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 60;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[++i]);
  if (!(seconds > 0)) {
    std::fprintf(stderr, "usage: effect_bench [--seconds S]\n");
    return 2;
  }
  std::printf("%.0f s of audio per run, medians of %d runs; times are thread CPU time\n\n", seconds, kRuns);
  std::printf("%7s %6s %10s %14s %12s %9s %12s %9s\n", "rate", "block", "period", "cpu/audio-s", "p99.9 call",
              "of period", "worst call", "of period");
  const struct {
    double rate;
    int block;
  } configs[] = {{48000, 32}, {48000, 64}, {96000, 32}, {96000, 64}};
  for (const auto& c : configs) {
    const RunResult r = Medians(c.rate, c.block, seconds, 0.2);
    const double period = 1e6 * c.block / c.rate;
    std::printf("%7.0f %6d %8.0fus %12.2fms %10.0fus %8.1f%% %10.0fus %8.1f%%\n", c.rate, c.block, period,
                r.cpuPerAudioSecond * 1e3, r.p999Us, 100 * r.p999Us / period, r.maxUs, 100 * r.maxUs / period);
  }
  std::printf("\ninput level at 48000 Hz, block 64 (1e-40 lies in the float subnormal range)\n");
  std::printf("%12s %14s %12s\n", "amplitude", "cpu/audio-s", "worst call");
  double loudCpu = 0;
  for (double amplitude : {0.2, 1e-40}) {
    const RunResult r = Medians(48000, 64, seconds, amplitude);
    if (amplitude == 0.2) loudCpu = r.cpuPerAudioSecond;
    std::printf("%12.0e %12.2fms %10.0fus", amplitude, r.cpuPerAudioSecond * 1e3, r.maxUs);
    if (amplitude != 0.2) std::printf("   %.2f x the loud input", r.cpuPerAudioSecond / loudCpu);
    std::printf("\n");
  }
  return 0;
}
