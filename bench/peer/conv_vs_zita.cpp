// Our divided convolution engine against zita-convolver on the effect's workload: a mono stream
// at 48 kHz, a 417959-tap impulse shaped as the effect's (decaying noise for 219000 taps, exact
// zeros after), and the same length dense (decaying noise over every tap, no zeros), host blocks
// of 32, 64 and 256 frames, 30 s of audio. Reported: CPU seconds per audio second (process CPU
// time, so zita's worker threads count), median of several runs, for our engine as it is and with
// its largest blocks unbridged (the schedule it had before), so both are measured in one run;
// each side's worst single call against the block period; and both outputs checked against a
// direct convolution on a few windows, so that neither side wins by computing something else.
//
// The worst call is timed per call, both as the calling thread's CPU time (what the call costs;
// for zita, without the work its threads do meanwhile) and as wall time (what it cost on this
// shared machine, preemptions and, for zita, waiting for its threads included). Ours is timed in a
// separate pass; zita's in its only pass, since its threads run alongside anyway.
#include <pthread.h>
#include <sched.h>
#include <zita-convolver.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

#include "bench/thread_cpu.h"
#include "dsp/convolution_engine_div.h"

namespace {

using korv_bench::Median;
using korv_bench::ThreadCpuMicroseconds;

constexpr int kSampleRate = 48000;
constexpr int kTaps = 417959;
constexpr int kSparseNoiseTaps = 219000;
constexpr int kSeconds = 30;
constexpr int kRuns = 3;
constexpr int kZitaMinPartition = 64;
constexpr int kZitaMaxPartition = 8192;
constexpr int kWindow = 32;
constexpr int kLargestBlock = 256;
// Largest output delay looked for: zita delays blocks shorter than its shortest partition by that
// partition plus one block.
constexpr int kMaxLag = 2 * kZitaMinPartition + kLargestBlock;
// The last window ends early enough that its samples exist in the output at every lag tried.
const int kWindowStarts[] = {0, 5000, 70000, 300000, 900000, kSampleRate * kSeconds - kWindow - kMaxLag};

double ProcessCpuSeconds() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

struct Workload {
  std::vector<double> impulse, input;
  std::vector<float> impulseFloat;
  std::vector<std::vector<double>> reference;  // direct convolution on each window
};

// Decaying noise over the first noiseTaps taps, zeros after.
Workload MakeWorkload(int noiseTaps) {
  Workload w;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  w.impulse.assign(kTaps, 0.0);
  for (int i = 0; i < noiseTaps; ++i) w.impulse[i] = 0.2 * dist(rng) * std::exp(-5.0 * i / noiseTaps);
  w.impulseFloat.assign(w.impulse.begin(), w.impulse.end());
  // Float-exact input, so that both engines see the same signal.
  w.input.resize(static_cast<size_t>(kSampleRate) * kSeconds);
  for (double& x : w.input) x = static_cast<float>(0.5 * dist(rng));
  for (int start : kWindowStarts) {
    std::vector<double> ref(kWindow);
    for (int j = 0; j < kWindow; ++j) {
      long double sum = 0;
      const long t = start + j;
      for (long k = 0; k <= std::min<long>(t, noiseTaps - 1); ++k) sum += static_cast<long double>(w.impulse[k]) * w.input[t - k];
      ref[j] = static_cast<double>(sum);
    }
    w.reference.push_back(ref);
  }
  return w;
}

// Largest deviation from the reference over the windows, with the output shifted by lag samples.
double WindowError(const Workload& w, const std::vector<double>& out, int lag) {
  double worst = 0;
  for (size_t i = 0; i < w.reference.size(); ++i)
    for (int j = 0; j < kWindow; ++j) {
      const size_t t = kWindowStarts[i] + j + lag;
      if (t >= out.size()) return INFINITY;
      worst = std::max(worst, std::fabs(out[t] - w.reference[i][j]));
    }
  return worst;
}

struct RunResult {
  double cpuPerAudioSecond = 0;
  double worstCallCpuUs = 0;
  double worstCallWallUs = 0;
  double firstCallWallUs = 0;
  std::vector<double> output;
};

RunResult RunOurs(const Workload& w, int block, bool timeEachCall, bool bridged) {
  BRM_ImpulseBuffer impulse;
  impulse.SetLength(kTaps);
  std::copy(w.impulse.begin(), w.impulse.end(), impulse.m_channel_data[0].Get());
  BRM_ConvolutionEngine_Div engine;
  engine.SetBridging(bridged);
  engine.SetImpulse(&impulse);

  RunResult r;
  r.output.resize(w.input.size());
  const int calls = static_cast<int>(w.input.size()) / block;
  const double cpuStart = ProcessCpuSeconds();
  for (int c = 0; c < calls; ++c) {
    double* in[1] = {const_cast<double*>(w.input.data()) + static_cast<size_t>(c) * block};
    const double cpu0 = timeEachCall ? ThreadCpuMicroseconds() : 0;
    const auto wall0 = std::chrono::steady_clock::now();
    engine.Add(in, block, 1);
    const int ready = engine.Avail(block);
    const double* out = engine.Get()[0];
    std::copy(out, out + ready, r.output.begin() + static_cast<size_t>(c) * block);
    engine.Advance(ready);
    if (!timeEachCall) continue;
    const double cpu = ThreadCpuMicroseconds() - cpu0;
    const double wall = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wall0).count();
    // The first call after SetImpulse sizes the per-channel buffers; it is reported on its own.
    if (c == 0) {
      r.firstCallWallUs = wall;
    } else {
      r.worstCallCpuUs = std::max(r.worstCallCpuUs, cpu);
      r.worstCallWallUs = std::max(r.worstCallWallUs, wall);
    }
  }
  r.cpuPerAudioSecond = (ProcessCpuSeconds() - cpuStart) / kSeconds;
  return r;
}

// zita runs its longer partitions in worker threads; process(true) waits for any that are due,
// so every output sample is complete (without it, a stream run faster than real time would let
// late partitions be dropped and look cheaper than it is).
RunResult RunZita(const Workload& w, int block) {
  Convproc conv;
  conv.set_options(Convproc::OPT_FFTW_MEASURE);
  RunResult r;
  // Its partitions start at 64 frames; smaller host blocks run with one block of extra latency.
  if (conv.configure(1, 1, kTaps, block, std::max(block, kZitaMinPartition), kZitaMaxPartition, 0.0f) ||
      conv.impdata_create(0, 0, 1, const_cast<float*>(w.impulseFloat.data()), 0, kTaps)) {
    std::fprintf(stderr, "zita-convolver rejected the configuration\n");
    return r;
  }
  if (conv.start_process(sched_get_priority_max(SCHED_FIFO) - 1, SCHED_FIFO) && conv.start_process(0, SCHED_OTHER)) {
    std::fprintf(stderr, "zita-convolver could not start its threads\n");
    return r;
  }
  r.output.resize(w.input.size());
  const int calls = static_cast<int>(w.input.size()) / block;
  const double cpuStart = ProcessCpuSeconds();
  for (int c = 0; c < calls; ++c) {
    const size_t at = static_cast<size_t>(c) * block;
    const double cpu0 = ThreadCpuMicroseconds();
    const auto wall0 = std::chrono::steady_clock::now();
    float* in = conv.inpdata(0);
    for (int i = 0; i < block; ++i) in[i] = static_cast<float>(w.input[at + i]);
    conv.process(true);
    const float* out = conv.outdata(0);
    for (int i = 0; i < block; ++i) r.output[at + i] = out[i];
    if (c == 0) continue;
    r.worstCallCpuUs = std::max(r.worstCallCpuUs, ThreadCpuMicroseconds() - cpu0);
    r.worstCallWallUs = std::max(
        r.worstCallWallUs, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wall0).count());
  }
  r.cpuPerAudioSecond = (ProcessCpuSeconds() - cpuStart) / kSeconds;
  conv.stop_process();
  while (!conv.check_stop()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  conv.cleanup();
  return r;
}

// Reports the lag at which an output best matches the reference. Every lag up to kMaxLag is tried:
// zita's delay depends on how the block relates to its shortest partition.
void Check(const char* who, const Workload& w, const RunResult& r) {
  int lag = 0;
  double error = WindowError(w, r.output, 0);
  for (int candidate = 1; candidate <= kMaxLag; ++candidate) {
    const double e = WindowError(w, r.output, candidate);
    if (e < error) {
      error = e;
      lag = candidate;
    }
  }
  std::printf("  %-5s max |error| over windows %.3g (output lag %d samples)\n", who, error, lag);
}

// What our engines walk over per second of this stream and the spectra they keep, as their
// layout implies (not measured).
void PrintFootprint(const Workload& w) {
  BRM_ImpulseBuffer impulse;
  impulse.SetLength(kTaps);
  std::copy(w.impulse.begin(), w.impulse.end(), impulse.m_channel_data[0].Get());
  BRM_ConvolutionEngine_Div engine;
  engine.SetImpulse(&impulse);
  std::printf("ours: spectra kept %.1f MB; touched per audio second %.0f MB (calls of 64)\n", engine.GetSpectraBytes() * 1e-6,
              engine.GetTouchedBytesPerSecond(kSampleRate, 64) * 1e-6);
}

void CompareAt(const Workload& w, int block) {
  std::vector<double> oursCpu, unbridgedCpu, zitaCpu, worstCpu, worstWall, zitaWorstCpu, zitaWorstWall;
  RunResult ours, unbridged, zita, timed;
  for (int run = 0; run < kRuns; ++run) {
    ours = RunOurs(w, block, false, true);
    zita = RunZita(w, block);
    unbridged = RunOurs(w, block, false, false);
    timed = RunOurs(w, block, true, true);
    oursCpu.push_back(ours.cpuPerAudioSecond);
    unbridgedCpu.push_back(unbridged.cpuPerAudioSecond);
    zitaCpu.push_back(zita.cpuPerAudioSecond);
    worstCpu.push_back(timed.worstCallCpuUs);
    worstWall.push_back(timed.worstCallWallUs);
    zitaWorstCpu.push_back(zita.worstCallCpuUs);
    zitaWorstWall.push_back(zita.worstCallWallUs);
  }
  const double period = 1e6 * block / kSampleRate;
  const double oc = Median(oursCpu), uc = Median(unbridgedCpu), zc = Median(zitaCpu), worst = Median(worstCpu);
  std::printf("%6d %14.2fms %14.2fms %14.2fms %10.2f %14.2f %14.0fus %14.0fus %11.0fus %12.1f%%\n", block, oc * 1e3, uc * 1e3,
              zc * 1e3, oc / zc, oc / uc, worst, Median(zitaWorstCpu), period, 100 * worst / period);
  std::printf("  worst call per run, ours cpu:");
  for (double v : worstCpu) std::printf(" %.0fus", v);
  std::printf("; ours wall:");
  for (double v : worstWall) std::printf(" %.0fus", v);
  std::printf("; zita wall:");
  for (double v : zitaWorstWall) std::printf(" %.0fus", v);
  std::printf("; our first call after SetImpulse (wall) %.0fus\n", timed.firstCallWallUs);
  Check("ours", w, ours);
  Check("unbr.", w, unbridged);
  Check("zita", w, zita);
}

}  // namespace

int main() {
  const struct {
    const char* name;
    int noiseTaps;
  } impulses[] = {{"the effect's shape: noise then zeros", kSparseNoiseTaps}, {"dense: noise over every tap", kTaps}};
  for (const auto& shape : impulses) {
    const Workload w = MakeWorkload(shape.noiseTaps);
    std::printf("\nimpulse: %s\n", shape.name);
    PrintFootprint(w);
    std::printf("%6s %16s %16s %16s %10s %14s %16s %16s %13s %13s\n", "block", "ours cpu/aud-s", "unbridged", "zita",
                "ours/zita", "ours/unbridged", "ours worst cpu", "zita worst cpu", "block period", "ours/period");
    for (int block : {32, 64, kLargestBlock}) CompareAt(w, block);
  }
  return 0;
}
