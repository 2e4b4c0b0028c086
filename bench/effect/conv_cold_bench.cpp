// The divided engine's cost per host call when other work has taken the caches between calls, as
// on a busy machine at real time: before every call a buffer larger than the last-level cache is
// written, then one call (Add, Avail, Get, Advance) is timed in this thread's CPU time. The impulse
// is the effect's own at --rate. Prints the mean, median and worst call, with and without the
// eviction. With --evict-code 1 the eviction also runs through 256 KB of code, so that no code
// line of the engine is left in a first-level cache either.
//
//   conv_cold_bench [--calls N] [--evict-mb MB] [--evict-code 0|1] [--frames F] [--rate HZ]
//
// Under callgrind, count only the calls (the eviction keeps the simulated caches cold):
//   valgrind --tool=callgrind --cache-sim=yes --LL=33554432,16,64 --toggle-collect='*ColdCall*'
//            conv_cold_bench --calls 1024 (one command)
// and divide the totals by the calls: instructions, and lines fetched from memory (ILmr + DLmr + DLmw).
// Name the machine's last-level cache (32 MB, 16-way on the build machine): on some processors
// valgrind reads it as 320 MB and direct-mapped, which no eviction of 64 MB empties, and every
// call then fetches no line.
// The call counts callgrind lists also include the warm calls; its costs are the cold calls' only.
// The simulator keeps the engine's code in its instruction cache from call to call (the data
// eviction does not reach it), so ILmr counts only part of the code a call runs; with
// --evict-code 1, I1mr counts every code line the call runs.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/thread_cpu.h"
#include "dsp/convolution_engine_div.h"
#include "effect/impulse_response.h"
#include "effect/resample.h"

namespace {

using korv_bench::Median;
using korv_bench::ThreadCpuMicroseconds;

struct Options {
  int calls = 4096;
  long evictBytes = 64L << 20;
  int frames = 64;
  double rate = 48000;
  bool evictCode = false;
};

// Kept out of line so that a profiler can leave it out.
[[gnu::noinline]] void Evict(std::vector<unsigned char>& junk) {
  for (size_t i = 0; i < junk.size(); i += 64) junk[i] = static_cast<unsigned char>(junk[i] + 1);
}

// 256 KB of straight-line code: more than any first- or second-level instruction cache holds.
[[gnu::noinline]] void EvictCode() { asm volatile(".rept 65536\n\tnop; nop; nop; nop\n.endr"); }

inline double TimedCall(BRM_ConvolutionEngine_Div& engine, double* in, double* out, int frames) {
  const double start = ThreadCpuMicroseconds();
  double* ins[1] = {in};
  engine.Add(ins, frames, 1);
  const int ready = engine.Avail(frames);
  std::memcpy(out, engine.Get()[0], sizeof(double) * ready);
  engine.Advance(ready);
  return ThreadCpuMicroseconds() - start;
}

// The same call, cold or warm, under two names so that a profiler can count the cold ones alone.
[[gnu::noinline]] double ColdCall(BRM_ConvolutionEngine_Div& engine, double* in, double* out, int frames) {
  return TimedCall(engine, in, out, frames);
}
[[gnu::noinline]] double WarmCall(BRM_ConvolutionEngine_Div& engine, double* in, double* out, int frames) {
  return TimedCall(engine, in, out, frames);
}

struct Figures {
  double mean;
  double median;
  double worst;
  // FNV-1a over the output's bytes: two builds with the same figure gave the same bits.
  uint64_t checksum;
};

uint64_t Hash(uint64_t h, const double* samples, int count) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(samples);
  for (size_t i = 0; i < sizeof(double) * count; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

Figures Stream(BRM_ConvolutionEngine_Div& engine, const Options& o, std::vector<double>& noise,
               std::vector<unsigned char>* junk) {
  std::vector<double> out(o.frames), took(o.calls);
  size_t at = 0;
  double total = 0;
  uint64_t checksum = 14695981039346656037ull;
  for (int c = 0; c < o.calls; ++c) {
    if (at + o.frames > noise.size()) at = 0;
    if (junk) Evict(*junk);
    if (junk && o.evictCode) EvictCode();
    took[c] = (junk ? ColdCall : WarmCall)(engine, noise.data() + at, out.data(), o.frames);
    total += took[c];
    checksum = Hash(checksum, out.data(), o.frames);
    at += o.frames;
  }
  return {total / o.calls, Median(took), *std::max_element(took.begin(), took.end()), checksum};
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--calls") == 0)
      o.calls = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--evict-mb") == 0)
      o.evictBytes = std::atol(argv[i + 1]) << 20;
    else if (std::strcmp(argv[i], "--evict-code") == 0)
      o.evictCode = std::atoi(argv[i + 1]) != 0;
    else if (std::strcmp(argv[i], "--frames") == 0)
      o.frames = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "--rate") == 0)
      o.rate = std::atof(argv[i + 1]);
    else
      return false;
  }
  return argc % 2 == 1 && o.calls > 0 && o.evictBytes > 0 && o.frames > 0 && o.frames <= 16384 && o.rate >= 8000 &&
         o.rate <= 768000;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr, "usage: conv_cold_bench [--calls N] [--evict-mb MB] [--evict-code 0|1] [--frames F] [--rate HZ]\n");
    return 2;
  }
  BRM_ImpulseBuffer impulse;
  const int length = impulse.SetLength(ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, o.rate));
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, impulse.m_channel_data[0].Get(), length, o.rate);
  BRM_ConvolutionEngine_Div engine;
  engine.SetImpulse(&impulse);

  std::vector<double> noise(1 << 20);
  uint32_t seed = 1;
  for (double& x : noise) {
    seed = seed * 1664525u + 1013904223u;
    x = 0.2 * (static_cast<int32_t>(seed) / 2147483648.0);
  }
  std::vector<unsigned char> junk(o.evictBytes);
  // Warm: every engine through a few of its largest blocks, so the ring is in steady use.
  Options warm = o;
  warm.calls = static_cast<int>(2 * o.rate / o.frames);
  Stream(engine, warm, noise, nullptr);

  const Figures cold = Stream(engine, o, noise, &junk);
  const Figures hot = Stream(engine, o, noise, nullptr);
  std::printf("%d calls of %d frames at %.0f Hz, %ld MB%s evicted before each cold call; thread CPU time\n", o.calls,
              o.frames, o.rate, o.evictBytes >> 20, o.evictCode ? " and 256 KB of code" : "");
  std::printf("cold: mean %7.2f us  median %7.2f us  worst %8.1f us\n", cold.mean, cold.median, cold.worst);
  std::printf("warm: mean %7.2f us  median %7.2f us  worst %8.1f us\n", hot.mean, hot.median, hot.worst);
  std::printf("output checksum %016llx\n", static_cast<unsigned long long>(cold.checksum ^ hot.checksum));
  return 0;
}
