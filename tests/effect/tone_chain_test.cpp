#include "effect/tone_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>

#include "support/alloc_counter.h"

namespace {

using Chain = std::array<Biquad, kToneChainLength>;

Chain Configured(double sampleRate) {
  Chain chain;
  ConfigureToneChain(chain, sampleRate);
  return chain;
}

// Steady-state gain of the chain for a constant (DC) or alternating (Nyquist) input.
double SettledGain(Chain chain, bool alternate) {
  const float level = 0.01f;
  float y = 0.0f;
  for (int n = 0; n < 200000; ++n) {
    const float x = (alternate && n % 2) ? -level : level;
    y = RunToneChain(chain, x);
    if (alternate && n % 2) y = -y;
  }
  return y / level;
}

TEST(ToneChain, StagesTakeTheirSettingsAsFractionsOfTheRate) {
  struct Expected {
    int type;
    double hz, q, gain;
  };
  const Expected expected[kToneChainLength] = {
      {kBiquadLowShelf, 73, 1, 7},   {kBiquadHighShelf, 962, 1, -3}, {kBiquadPeak, 2788, 1, 3.5},
      {kBiquadPeak, 5624, 1, -4},    {kBiquadPeak, 9688, 3.3, 3},    {kBiquadLowShelf, 17969, 9.4, 11},
  };
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    const Chain chain = Configured(rate);
    for (int i = 0; i < kToneChainLength; ++i) {
      SCOPED_TRACE(testing::Message() << "rate " << rate << " stage " << i + 1);
      EXPECT_EQ(chain[i].type(), expected[i].type);
      EXPECT_EQ(chain[i].frequency(), expected[i].hz / rate);
      EXPECT_EQ(chain[i].q(), expected[i].q);
      EXPECT_EQ(chain[i].peakGain(), expected[i].gain);
    }
  }
  EXPECT_NEAR(Configured(44100.0)[0].frequency(), 0.0016553, 1e-7);
}

// At DC only the two low shelves act (+7 and +11 dB); at Nyquist only the high-shelf cut (-3 dB).
TEST(ToneChain, GainAtDcAndNyquistFollowsTheShelves) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    SCOPED_TRACE(rate);
    EXPECT_NEAR(SettledGain(Configured(rate), false), std::pow(10.0, 18.0 / 20.0), 1e-4);
    EXPECT_NEAR(SettledGain(Configured(rate), true), std::pow(10.0, -3.0 / 20.0), 1e-4);
  }
}

// Over every rate a host may run at, each stage is stable and the chain never lifts any frequency
// by more than its boosts together (7 + 3.5 + 3 + 11 dB), also where corners reach Nyquist.
TEST(ToneChain, StableAndBoundedAtEveryAcceptedRate) {
  const double boundDb = 7.0 + 3.5 + 3.0 + 11.0;
  for (double rate : {8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 35938.0, 44100.0, 96000.0, 192000.0, 768000.0}) {
    SCOPED_TRACE(rate);
    const Chain chain = Configured(rate);
    for (const Biquad& stage : chain) {
      const BiquadCoefficients c = stage.coefficients();
      EXPECT_LT(std::fabs(c.a2), 1.0);
      EXPECT_LT(std::fabs(c.a1), 1.0 + c.a2);
    }
    double loudestDb = -1e9;
    for (int k = 1; k <= 2000; ++k) {
      const std::complex<double> z1 = std::polar(1.0, -std::numbers::pi * k / 2000.0);
      double gain = 1.0;
      for (const Biquad& stage : chain) {
        const BiquadCoefficients c = stage.coefficients();
        gain *= std::abs((c.b0 + z1 * (c.b1 + z1 * c.b2)) / (1.0 + z1 * (c.a1 + z1 * c.a2)));
      }
      loudestDb = std::max(loudestDb, 20.0 * std::log10(gain));
    }
    EXPECT_LE(loudestDb, boundDb + 1e-9);
  }
  EXPECT_EQ(Configured(8000.0)[5].frequency(), kToneChainMaxFrequency);
  EXPECT_EQ(Configured(36000.0)[5].frequency(), 17969.0 / 36000.0);
}

// The answer to an impulse reaches silence at the ring-out and stays there; it takes well under a
// fifth of a second.
TEST(ToneChain, RingOutEndsWhereTheImpulseAnswerFallsSilentForGood) {
  for (double rate : {8000.0, 44100.0, 768000.0}) {
    SCOPED_TRACE(rate);
    const int ringOut = ToneChainRingOut(rate);
    EXPECT_GT(ringOut, 1);
    EXPECT_LT(ringOut, static_cast<int>(rate / 5));
    Chain chain = Configured(rate);
    for (int n = 0; n < ringOut + static_cast<int>(rate); ++n) {
      const float y = std::fabs(RunToneChain(chain, n == 0 ? 1.0f : 0.0f));
      if (n == ringOut - 1) {
        EXPECT_GE(y, kToneChainSilence);
      } else if (n >= ringOut) {
        ASSERT_LT(y, kToneChainSilence) << n;
      }
    }
  }
  EXPECT_EQ(ToneChainRingOut(0.0), 0);
  EXPECT_EQ(ToneChainRingOut(std::nan("")), 0);
}

TEST(ToneChain, RateThatIsNotPositiveAndFiniteLeavesStagesAlone) {
  for (double rate : {0.0, -44100.0, std::nan(""), HUGE_VAL}) {
    Chain chain = Configured(44100.0);
    ConfigureToneChain(chain, rate);
    EXPECT_EQ(chain[0].frequency(), 73.0 / 44100.0);
    EXPECT_TRUE(std::isfinite(chain[5].coefficients().b0));
  }
}

TEST(ToneChain, PerBlockReconfigurationKeepsStateAndAllocatesNothing) {
  Chain once = Configured(48000.0);
  Chain perBlock = Configured(48000.0);
  const int blockSize = 37;
  korv_test::AllocationScope allocations;
  for (int n = 0; n < 4000; ++n) {
    if (n % blockSize == 0) ConfigureToneChain(perBlock, 48000.0);
    const float x = static_cast<float>(std::sin(0.01 * n) * 0.5);
    ASSERT_EQ(RunToneChain(perBlock, x), RunToneChain(once, x)) << "sample " << n;
  }
  EXPECT_EQ(allocations.Count(), 0);
}

}  // namespace
