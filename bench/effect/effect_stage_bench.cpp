// Where the effect's time goes: the same noise stream is run through the whole effect, then through
// each of its stages alone, built from the same pieces the effect uses (the built-in impulse
// resampled to the rate, the divided engine, tan(), the tone chain, the gains). Each stage runs
// over the whole stream call by call before the next one starts, so its figure is its own cost
// with its own data warm; what the whole effect costs beyond the stages' sum is reported as the
// framework's share (buffer attachment, parameter reads, the calls between the pieces).
// CPU time of this thread per second of audio, medians of three runs.
//
//   effect_stage_bench [--seconds S]
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/thread_cpu.h"
#include "dsp/convolution_engine_div.h"
#include "dsp/impulse_buffer.h"
#include "effect/tone_chain.h"
#include "effect/impulse_response.h"
#include "effect/korvaline.h"
#include "effect/resample.h"
#include "framework/codes_and_samples.h"

namespace {

using korv_bench::Median;
using korv_bench::ThreadCpuMicroseconds;

constexpr int kRuns = 3;

enum Stage { kWhole, kInput, kConvolution, kShaper, kToneChain, kMixing, kStageCount };
const char* const kStageNames[kStageCount] = {"whole effect", "input conversion", "convolution", "shaper (tan)",
                                              "tone chain", "mixing"};

struct Stream {
  double rate;
  int block;
  int calls;
  std::vector<double> input;
};

Stream MakeStream(double rate, int block, double seconds) {
  Stream s{rate, block, static_cast<int>(seconds * rate / block), {}};
  s.input.resize(static_cast<size_t>(s.calls) * block);
  uint32_t seed = 1;
  for (double& x : s.input) {
    seed = seed * 1664525u + 1013904223u;
    x = 0.2 * (static_cast<int32_t>(seed) / 2147483648.0);
  }
  return s;
}

double TimeWholeEffect(const Stream& s) {
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  plug->SetSampleRate(s.rate);
  plug->SetBlockSize(s.block);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->Reset();
  plug->OnParamReset();
  std::vector<double> out0(s.block), out1(s.block);
  double* outs[2] = {out0.data(), out1.data()};
  const double start = ThreadCpuMicroseconds();
  for (int c = 0; c < s.calls; ++c) {
    double* in = const_cast<double*>(s.input.data()) + static_cast<size_t>(c) * s.block;
    double* ins[2] = {in, in};
    plug->AttachInputBuffers(0, 2, ins, s.block);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(IFxBase::kDoubleSamples, s.block);
  }
  return ThreadCpuMicroseconds() - start;
}

// The stages one after another, each over the whole stream; times[] gets each one's CPU time.
void TimeStages(const Stream& s, double* times) {
  const size_t n = s.input.size();
  std::vector<double> clean(n), wet(n), coloured(n), out0(n), out1(n);
  std::vector<float> shaped(n);

  double start = ThreadCpuMicroseconds();
  for (size_t i = 0; i < n; ++i) clean[i] = CleanSample(s.input[i]);
  times[kInput] = ThreadCpuMicroseconds() - start;

  BRM_ImpulseBuffer impulse;
  impulse.SetNumChannels(1);
  const int length = impulse.SetLength(ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, s.rate));
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, impulse.m_channel_data[0].Get(), length, s.rate);
  BRM_ConvolutionEngine_Div engine;
  engine.SetImpulse(&impulse, 0, 0, 0, 0, 0);
  start = ThreadCpuMicroseconds();
  for (int c = 0; c < s.calls; ++c) {
    const size_t at = static_cast<size_t>(c) * s.block;
    double* in[1] = {clean.data() + at};
    engine.Add(in, s.block, 1);
    const int ready = std::min(engine.Avail(s.block), s.block);
    const double* out = engine.Get()[0];
    std::copy(out, out + ready, wet.begin() + at);
    engine.Advance(ready);
  }
  times[kConvolution] = ThreadCpuMicroseconds() - start;

  start = ThreadCpuMicroseconds();
  for (size_t i = 0; i < n; ++i) shaped[i] = static_cast<float>(std::tan(wet[i]));
  times[kShaper] = ThreadCpuMicroseconds() - start;

  std::array<Biquad, kToneChainLength> chain;
  ConfigureToneChain(chain, s.rate);
  start = ThreadCpuMicroseconds();
  for (size_t i = 0; i < n; ++i) coloured[i] = RunToneChain(chain, shaped[i]);
  times[kToneChain] = ThreadCpuMicroseconds() - start;

  // The gains as the effect reads them: atomics, once per sample.
  std::atomic<double> dryGain{0.0}, wetGain{1.0}, outGain{1.0};
  start = ThreadCpuMicroseconds();
  for (size_t i = 0; i < n; ++i) {
    const double dry = dryGain.load(std::memory_order_relaxed) * clean[i];
    const double wetMix = wetGain.load(std::memory_order_relaxed) * coloured[i];
    const double y = HoldToFloatRange(outGain.load(std::memory_order_relaxed) * (dry + wetMix));
    out1[i] = y;
    out0[i] = y;
  }
  times[kMixing] = ThreadCpuMicroseconds() - start;
  // Keeps the results observable, so that no stage is optimised away.
  if (out0[n / 2] != out1[n / 2]) std::printf("mismatch\n");
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 30;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[++i]);
  if (!(seconds > 0)) {
    std::fprintf(stderr, "usage: effect_stage_bench [--seconds S]\n");
    return 2;
  }
  std::printf("%.0f s of audio per run, medians of %d runs; thread CPU time per audio second\n", seconds, kRuns);
  const struct {
    double rate;
    int block;
  } configs[] = {{48000, 64}, {96000, 64}};
  for (const auto& config : configs) {
    const Stream s = MakeStream(config.rate, config.block, seconds);
    std::vector<double> samples[kStageCount];
    for (int r = 0; r < kRuns; ++r) {
      double times[kStageCount] = {};
      times[kWhole] = TimeWholeEffect(s);
      TimeStages(s, times);
      for (int k = 0; k < kStageCount; ++k) samples[k].push_back(times[k]);
    }
    const double audio = static_cast<double>(s.calls) * s.block / s.rate;
    double median[kStageCount];
    for (int k = 0; k < kStageCount; ++k) median[k] = Median(samples[k]) * 1e-3 / audio;
    std::printf("\n%.0f Hz, block %d\n%-22s %12s %9s\n", s.rate, s.block, "stage", "ms/audio-s", "of whole");
    double stagesSum = 0;
    for (int k = 0; k < kStageCount; ++k) {
      if (k != kWhole) stagesSum += median[k];
      std::printf("%-22s %12.3f %8.1f%%\n", kStageNames[k], median[k], 100 * median[k] / median[kWhole]);
    }
    const double rest = median[kWhole] - stagesSum;
    std::printf("%-22s %12.3f %8.1f%%\n", "framework (the rest)", rest, 100 * rest / median[kWhole]);
  }
  return 0;
}
