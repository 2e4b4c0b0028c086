// What the LV2 binding costs: the bundle's run, loaded as a host loads it, against the effect called
// directly with the same float buffers, at 48 kHz in blocks of 64. The overhead ratio is the LV2 time
// per block over the direct time per block.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

#include "effect/korvaline.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;
// Past the first pass of every convolution segment, so both sides time the steady state.
constexpr int kWarmupBlocks = 65536 / kBlock + 1;

std::vector<float> Noise() {
  std::vector<float> in(kBlock);
  uint32_t seed = 1;
  for (float& x : in) {
    seed = seed * 1664525u + 1013904223u;
    x = 0.2f * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
  }
  return in;
}

// The effect on the host-less binding, fed float buffers as a binding feeds it.
class DirectEffect {
 public:
  DirectEffect() : mPlug(static_cast<KORVALINE*>(MakePlug())) {
    mPlug->SetSampleRate(kRate);
    mPlug->SetBlockSize(kBlock);
    mPlug->SetInputChannelConnections(0, 2, true);
    mPlug->SetOutputChannelConnections(0, 2, true);
    mPlug->Reset();
    mPlug->OnParamReset();
  }
  void Run(float** ins, float** outs) {
    mPlug->AttachInputBuffers(0, 2, ins, kBlock);
    mPlug->AttachOutputBuffers(0, 2, outs);
    mPlug->ProcessBuffers(IFxBase::kFloatSamples, kBlock);
  }

 private:
  std::unique_ptr<KORVALINE> mPlug;
};

// The bundle's shared object, loaded and instantiated as a host does it.
class LV2Effect {
 public:
  LV2Effect() {
    mLibrary = dlopen(KORV_LV2_BUNDLE_DIR "/KORVALINE.so", RTLD_NOW | RTLD_LOCAL);
    auto* entry = mLibrary ? reinterpret_cast<LV2_Descriptor_Function>(dlsym(mLibrary, "lv2_descriptor")) : nullptr;
    mDescriptor = entry ? entry(0) : nullptr;
    mHandle = mDescriptor ? mDescriptor->instantiate(mDescriptor, kRate, KORV_LV2_BUNDLE_DIR, nullptr) : nullptr;
  }
  ~LV2Effect() {
    if (mHandle) {
      mDescriptor->deactivate(mHandle);
      mDescriptor->cleanup(mHandle);
    }
    if (mLibrary) dlclose(mLibrary);
  }
  bool IsLoaded() const { return mHandle != nullptr; }
  void Connect(float** ins, float** outs) {
    void* ports[] = {ins[0], ins[1], outs[0], outs[1], &mDry, &mWet, &mOut, &mLatency};
    for (uint32_t i = 0; i < sizeof(ports) / sizeof(ports[0]); ++i) mDescriptor->connect_port(mHandle, i, ports[i]);
    mDescriptor->activate(mHandle);
  }
  void Run() { mDescriptor->run(mHandle, kBlock); }

 private:
  void* mLibrary = nullptr;
  const LV2_Descriptor* mDescriptor = nullptr;
  LV2_Handle mHandle = nullptr;
  float mDry = 0.0f, mWet = 1.0f, mOut = 0.0f, mLatency = 0.0f;
};

// This thread's processor time: a block preempted by another process on a shared machine is not
// charged for the wait.
double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Both sides in every iteration, so they see the same machine load; one run gives the ratio.
void LV2RunAgainstDirect(benchmark::State& state) {
  LV2Effect lv2;
  if (!lv2.IsLoaded()) {
    state.SkipWithError("the LV2 bundle could not be loaded");
    return;
  }
  DirectEffect direct;
  std::vector<float> in = Noise(), out0(kBlock), out1(kBlock);
  float* ins[2] = {in.data(), in.data()};
  float* outs[2] = {out0.data(), out1.data()};
  lv2.Connect(ins, outs);
  for (int i = 0; i < kWarmupBlocks; ++i) {
    direct.Run(ins, outs);
    lv2.Run();
  }
  double directTime = 0.0, lv2Time = 0.0;
  for (auto _ : state) {
    double start = ThreadSeconds();
    direct.Run(ins, outs);
    directTime += ThreadSeconds() - start;
    start = ThreadSeconds();
    lv2.Run();
    lv2Time += ThreadSeconds() - start;
    benchmark::DoNotOptimize(out0.data());
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["direct_us"] = directTime / n * 1e6;
  state.counters["lv2_us"] = lv2Time / n * 1e6;
  state.counters["overhead_ratio"] = lv2Time / directTime;
}

}  // namespace

BENCHMARK(LV2RunAgainstDirect)->Name("Effect/lv2_run_vs_direct/48000/64");
