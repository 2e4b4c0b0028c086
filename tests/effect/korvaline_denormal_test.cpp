// Subnormal numbers stay out of the render: a signal in the float subnormal range, or the decay
// after a burst, gives no subnormal output, and the caller's floating-point mode is kept.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/korvaline.h"

namespace {

constexpr double kRate = 48000;
constexpr int kBlock = 256;

// Renders `in` through the float route a host uses; returns how many output samples were
// subnormal, and checks that the caller's mode is the same after every call.
int SubnormalOutputs(const std::vector<float>& in) {
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  plug->SetSampleRate(kRate);
  plug->SetBlockSize(kBlock);
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->Reset();
  plug->OnParamReset();
  std::vector<float> block(kBlock), out0(kBlock), out1(kBlock);
  int subnormal = 0;
  const unsigned mode = _mm_getcsr();
  for (size_t at = 0; at + kBlock <= in.size(); at += kBlock) {
    std::copy(in.begin() + at, in.begin() + at + kBlock, block.begin());
    float* ins[2] = {block.data(), block.data()};
    float* outs[2] = {out0.data(), out1.data()};
    plug->AttachInputBuffers(0, 2, ins, kBlock);
    plug->AttachOutputBuffers(0, 2, outs);
    plug->ProcessBuffers(0.0f, kBlock);
    EXPECT_EQ(_mm_getcsr(), mode) << "at sample " << at;
    for (int i = 0; i < kBlock; ++i) subnormal += std::fpclassify(out0[i]) == FP_SUBNORMAL;
  }
  return subnormal;
}

std::vector<float> Noise(int n, float amplitude) {
  std::vector<float> v(n);
  uint32_t seed = 3;
  for (float& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * static_cast<float>(static_cast<int32_t>(seed) / 2147483648.0);
  }
  return v;
}

TEST(Denormals, SubnormalInputGivesNoSubnormalOutput) {
  EXPECT_EQ(SubnormalOutputs(Noise(static_cast<int>(kRate / 2), 1e-40f)), 0);
}

// The tone chain's recursive filters decay into the subnormal range seconds after a burst.
TEST(Denormals, DecayAfterABurstGivesNoSubnormalOutput) {
  std::vector<float> in = Noise(static_cast<int>(kRate / 4), 0.5f);
  in.resize(static_cast<size_t>(7 * kRate), 0.0f);
  EXPECT_EQ(SubnormalOutputs(in), 0);
}

}  // namespace
