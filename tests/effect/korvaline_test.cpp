#include "effect/korvaline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "dsp/biquad_model.h"
#include "effect/resample.h"
#include "support/alloc_counter.h"

namespace {

std::vector<double> Noise(int n, double amplitude, uint32_t seed) {
  std::vector<double> v(n);
  for (double& x : v) {
    seed = seed * 1664525u + 1013904223u;
    x = amplitude * (static_cast<int32_t>(seed) / 2147483648.0);
  }
  return v;
}

// Drives an effect the way the host binding does: rate, block size, connections, parameter reset.
class Rig {
 public:
  explicit Rig(double sampleRate, int blockSize = 512) : plug(static_cast<KORVALINE*>(MakePlug())) {
    plug->SetSampleRate(sampleRate);
    plug->SetBlockSize(blockSize);
    plug->SetInputChannelConnections(0, 2, true);
    plug->SetOutputChannelConnections(0, 2, true);
    plug->Reset();
    plug->OnParamReset();
  }

  void SetParam(int idx, double value) {
    plug->GetParam(idx)->Set(value);
    plug->OnParamChange(idx);
  }

  // Runs `in` through in blocks; returns both outputs.
  void Run(const std::vector<double>& in, std::vector<double>& out0, std::vector<double>& out1, int block,
           const std::vector<double>* in2 = nullptr) {
    out0.assign(in.size(), 0.0);
    out1.assign(in.size(), 0.0);
    for (size_t pos = 0; pos < in.size(); pos += block) {
      int n = static_cast<int>(std::min<size_t>(block, in.size() - pos));
      double* ins[2] = {const_cast<double*>(in.data() + pos),
                        const_cast<double*>((in2 ? *in2 : in).data() + pos)};
      double* outs[2] = {out0.data() + pos, out1.data() + pos};
      plug->AttachInputBuffers(0, 2, ins, n);
      plug->AttachOutputBuffers(0, 2, outs);
      plug->ProcessBuffers(0.0, n);
    }
  }

  std::unique_ptr<KORVALINE> plug;
};

TEST(Korvaline, IdentityParametersAndDefaults) {
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  EXPECT_EQ(plug->NParams(), 3);
  EXPECT_STREQ(plug->GetParam(kDry)->GetNameForHost(), "Dry");
  EXPECT_STREQ(plug->GetParam(kWet)->GetNameForHost(), "Wet");
  EXPECT_STREQ(plug->GetParam(kOut)->GetNameForHost(), "Out");
  EXPECT_EQ(plug->GetParam(kDry)->Value(), 0.0);
  EXPECT_EQ(plug->GetParam(kWet)->Value(), 1.0);
  double lo = 0.0, hi = 0.0;
  plug->GetParam(kOut)->GetBounds(&lo, &hi);
  EXPECT_EQ(lo, -15.0);
  EXPECT_EQ(hi, 15.0);
  EXPECT_EQ(plug->GetUniqueID(), 0x4B6F7231);  // 'Kor1'
  EXPECT_EQ(plug->GetMfrID(), 0x42726D6F);     // 'Brmo'

  EXPECT_EQ(plug->GetEffectVersion(false), 0x10000);
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_TRUE(plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
  EXPECT_EQ(plug->GetLatency(), 0);
}

TEST(Korvaline, DryOnlyIsBitExactOnBothOutputs) {
  Rig rig(48000.0);
  rig.SetParam(kDry, 1.0);
  rig.SetParam(kWet, 0.0);
  rig.SetParam(kOut, 0.0);
  std::vector<double> in = Noise(5000, 0.5, 7), out0, out1;
  rig.Run(in, out0, out1, 333);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(out0[i], in[i]) << i;
    ASSERT_EQ(out1[i], in[i]) << i;
  }
}

TEST(Korvaline, OutputGainFollowsDecibels) {
  for (double db : {15.0, -15.0}) {
    Rig rig(44100.0);
    rig.SetParam(kDry, 1.0);
    rig.SetParam(kWet, 0.0);
    rig.SetParam(kOut, db);
    std::vector<double> in = Noise(600, 0.5, 3), out0, out1;
    rig.Run(in, out0, out1, 256);
    const double gain = std::pow(10.0, db / 20.0);
    EXPECT_NEAR(gain, std::pow(10.0, db > 0 ? 0.75 : -0.75), 1e-15);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out0[i], gain * (1.0 * in[i] + 0.0 * 0.0)) << i;
  }
}

TEST(Korvaline, BeforeTheFirstResetTheWetPathIsSilent) {
  // Without an impulse the engine yields silence, so only the scaled dry signal comes out.
  std::unique_ptr<KORVALINE> plug(static_cast<KORVALINE*>(MakePlug()));
  plug->SetBlockSize(64);
  plug->SetInputChannelConnections(0, 1, true);
  plug->SetOutputChannelConnections(0, 2, true);
  plug->GetParam(kDry)->Set(0.5);
  plug->GetParam(kOut)->Set(12.0);
  plug->OnParamReset();
  std::vector<double> in = Noise(64, 1.0, 11), out0(64), out1(64);
  double* ins[1] = {in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  plug->AttachInputBuffers(0, 1, ins, 64);
  plug->AttachOutputBuffers(0, 2, outs);
  plug->ProcessBuffers(0.0, 64);
  const double gain = std::pow(10.0, 12.0 / 20.0);
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(out0[i], gain * (0.5 * in[i] + 1.0 * 0.0));
    ASSERT_EQ(out1[i], out0[i]);
  }
}

TEST(Korvaline, ResetAtTheSameRateKeepsEveryState) {
  Rig plain(48000.0), reset(48000.0);
  std::vector<double> in = Noise(4096, 0.3, 5), a0, a1, b0, b1;
  plain.Run(in, a0, a1, 512);
  reset.Run(in, b0, b1, 512);
  reset.plug->Reset();
  std::vector<double> tail = Noise(4096, 0.3, 6);
  plain.Run(tail, a0, a1, 512);
  reset.Run(tail, b0, b1, 512);
  for (size_t i = 0; i < tail.size(); ++i) ASSERT_EQ(a0[i], b0[i]) << i;
}

// A host reset (transport stop, re-activation) must not let the old reverb tail through: silence
// then gives silence, and what follows sounds as from a fresh instance, without allocating.
TEST(Korvaline, ForgettingTheHistorySilencesTheTailAndKeepsTheImpulse) {
  Rig used(48000.0), fresh(48000.0);
  std::vector<double> loud = Noise(20000, 0.9, 8), silence(4096, 0.0), burst = Noise(4096, 0.5, 9);
  std::vector<double> o0, o1, f0, f1;
  used.Run(loud, o0, o1, 512);
  used.plug->ForgetAudioHistory();
  korv_test::AllocationScope allocations;
  used.Run(silence, o0, o1, 512);
  EXPECT_EQ(allocations.Count(), 0);
  for (size_t i = 0; i < silence.size(); ++i) ASSERT_EQ(o0[i], 0.0) << i;
  used.Run(burst, o0, o1, 512);
  fresh.Run(silence, f0, f1, 512);
  fresh.Run(burst, f0, f1, 512);
  for (size_t i = 0; i < burst.size(); ++i) ASSERT_EQ(o0[i], f0[i]) << i;
}

TEST(Korvaline, SecondInputIsIgnoredAndOutputsAreIdentical) {
  Rig a(48000.0), b(48000.0);
  std::vector<double> in = Noise(3000, 0.3, 1), other = Noise(3000, 0.9, 2), silence(3000, 0.0);
  std::vector<double> a0, a1, b0, b1;
  a.Run(in, a0, a1, 480, &other);
  b.Run(in, b0, b1, 480, &silence);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(a0[i], a1[i]) << i;
    ASSERT_EQ(a0[i], b0[i]) << i;
  }
}

// What an LV2 host hears on a stereo track: the same input on both sides must sound exactly as the
// first input alone does.
TEST(Korvaline, HearingEveryInputGivesEqualInputsExactlyTheFirstInputsResult) {
  Rig every(48000.0), first(48000.0);
  every.plug->SetEveryInputHeard(true);
  first.plug->SetEveryInputHeard(false);
  for (Rig* rig : {&every, &first}) {
    rig->SetParam(kDry, 0.4);
    rig->SetParam(kWet, 0.8);
    rig->SetParam(kOut, 3.0);
  }
  std::vector<double> in = Noise(3000, 0.5, 3), other = Noise(3000, 0.9, 4);
  std::vector<double> e0, e1, f0, f1;
  every.Run(in, e0, e1, 480, &in);
  first.Run(in, f0, f1, 480, &other);
  for (size_t i = 0; i < in.size(); ++i) {
    ASSERT_EQ(e0[i], f0[i]) << i;
    ASSERT_EQ(e1[i], f1[i]) << i;
  }
}

// Straightforward model of the wet path: direct convolution with the resampled impulse, tan, and
// the six tone-chain sections in double with independently designed coefficients.
TEST(Korvaline, WetPathMatchesDirectModel) {
  const double rate = 48000.0;
  const int n = 3000;
  Rig rig(rate);
  rig.SetParam(kDry, 0.25);
  rig.SetParam(kWet, 0.8);
  rig.SetParam(kOut, -3.0);
  std::vector<double> in = Noise(n, 0.4, 21), out0, out1;
  rig.Run(in, out0, out1, 128);

  const int irLength = ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, rate);
  std::vector<double> ir(irLength);
  Resample(kKorvalineIR, kKorvalineIRLength, kKorvalineIRSampleRate, ir.data(), irLength, rate);

  struct Section {
    BiquadCoefficients c;
    double s1 = 0, s2 = 0;
    double Run(double x) {
      double y = c.b0 * x + s1;
      s1 = c.b1 * x + s2 - c.a1 * y;
      s2 = c.b2 * x - c.a2 * y;
      return y;
    }
  };
  std::vector<Section> chain;
  for (const ToneStage& stage : kToneChainStages)
    chain.push_back({korv_test::BilinearModel(stage.type, stage.frequencyHz / rate, stage.q, stage.gainDb)});

  const double outGain = std::pow(10.0, -3.0 / 20.0);
  double peak = 0.0, worst = 0.0;
  for (int i = 0; i < n; ++i) {
    double conv = 0.0;
    for (int k = 0; k <= i; ++k) conv += ir[k] * in[i - k];
    double w = std::tan(conv);
    for (Section& s : chain) w = s.Run(w);
    const double y = outGain * (0.25 * in[i] + 0.8 * w);
    peak = std::max(peak, std::fabs(y));
    worst = std::max(worst, std::fabs(y - out0[i]));
  }
  ASSERT_GT(peak, 0.05);
  // Float samples between the sections and the float-precision spectra bound the difference.
  EXPECT_LT(worst, 1e-5 * peak) << "peak " << peak;
}

TEST(Korvaline, RenderAllocatesNothingAfterFirstReset) {
  Rig rig(96000.0, 1024);
  std::vector<double> in = Noise(1024, 0.3, 9), out0, out1;
  rig.Run(in, out0, out1, 1024);  // first blocks of each size may size internal queues
  rig.Run(in, out0, out1, 64);
  std::vector<double> o0(in.size()), o1(in.size());
  korv_test::AllocationScope scope;
  for (int rep = 0; rep < 50; ++rep) {
    for (size_t pos = 0; pos < in.size(); pos += 64) {
      double* ins[2] = {in.data() + pos, in.data() + pos};
      double* outs[2] = {o0.data() + pos, o1.data() + pos};
      rig.plug->AttachInputBuffers(0, 2, ins, 64);
      rig.plug->AttachOutputBuffers(0, 2, outs);
      rig.plug->ProcessBuffers(0.0, 64);
    }
  }
  EXPECT_EQ(scope.Count(), 0);
}

TEST(Korvaline, RateChangeRebuildsTheImpulseAndTheToneChain) {
  // Silence leaves every state at zero, so after the rate change the effect must answer exactly
  // like a fresh instance at the new rate.
  Rig changed(44100.0), fresh(88200.0), old(44100.0);
  std::vector<double> silence(1024, 0.0), impulse(4096, 0.0), o0, o1, f0, f1, s0, s1;
  impulse[0] = 0.01;
  changed.Run(silence, o0, o1, 256);
  changed.plug->SetSampleRate(88200.0);
  changed.plug->Reset();
  changed.Run(impulse, o0, o1, 256);
  fresh.Run(impulse, f0, f1, 256);
  old.Run(impulse, s0, s1, 256);
  bool differsFromOldRate = false;
  for (size_t i = 0; i < impulse.size(); ++i) {
    ASSERT_EQ(o0[i], f0[i]) << i;
    differsFromOldRate |= o0[i] != s0[i];
  }
  EXPECT_TRUE(differsFromOldRate);
}

// One bad sample must not ruin the rest of the mix: it is heard as silence, and everything
// after it, through a reset and a rate change too, is what a 0 in its place would have given.
TEST(Korvaline, NonFiniteInputIsHeardAsSilenceAndLeavesNoTrace) {
  const std::vector<double> noise = Noise(24000, 0.5, 21);
  auto render = [&](double bad) {
    Rig rig(48000.0);
    rig.SetParam(kDry, 0.5);
    std::vector<double> in = noise, out0, out1, all;
    in[5000] = bad;
    rig.Run(in, out0, out1, 333);
    all = out0;
    rig.plug->Reset();
    rig.Run(noise, out0, out1, 64);
    all.insert(all.end(), out0.begin(), out0.end());
    rig.plug->SetSampleRate(96000.0);
    rig.plug->Reset();
    rig.Run(noise, out0, out1, 512);
    all.insert(all.end(), out0.begin(), out0.end());
    return all;
  };
  const std::vector<double> clean = render(0.0);
  for (double bad : {NAN, INFINITY, -INFINITY}) {
    const std::vector<double> out = render(bad);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], clean[i]) << bad << " at " << i;
  }
}

TEST(Korvaline, InputBeyondFloatRangeStillGivesFiniteFloatOutput) {
  Rig rig(44100.0);
  rig.SetParam(kDry, 1.0);
  rig.SetParam(kOut, 15.0);
  std::vector<double> in = Noise(4096, 1.0, 4), out0, out1;
  for (size_t i = 0; i < in.size(); ++i) in[i] *= (i % 3 == 0) ? 1e300 : 3.4e38;
  rig.Run(in, out0, out1, 256);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_TRUE(std::isfinite(static_cast<float>(out0[i]))) << i;
}

// The impulse's last non-zero sample is 201445 at 44100 Hz; the tone chain rings on for well under
// a fifth of a second. Hosts stop rendering after the tail, so it must cover both and no more.
TEST(Korvaline, TailEndsWhereTheOutputFallsSilent) {
  std::unique_ptr<KORVALINE> fresh(static_cast<KORVALINE*>(MakePlug()));
  for (double rate : {44100.0, 8000.0, 48000.0, 96000.0, 768000.0}) {
    Rig rig(rate);
    const int sounding = ResampleLength(201446, kKorvalineIRSampleRate, rate);
    EXPECT_GE(rig.plug->GetTailSize(), sounding) << rate;
    EXPECT_LT(rig.plug->GetTailSize(), sounding + static_cast<int>(rate / 5)) << rate;
  }
  EXPECT_EQ(fresh->GetTailSize(), Rig(44100.0).plug->GetTailSize()) << "before the first reset, at the default rate";
}

}  // namespace
