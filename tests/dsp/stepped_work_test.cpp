// Work done in pieces must give the bits of the work done whole, however it is divided.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "dsp/fft.h"
#include "dsp/stepped_work.h"

namespace {

TEST(SteppedWork, EveryDivisionGivesTheBitsOfTheWholeTransforms) {
  struct Case {
    int len, leaf, grain, steps;
  };
  const Case cases[] = {{64, 32, 1, 3}, {1024, 32, 7, 7}, {4096, 256, 100, 100}, {32768, 1024, 2048, 16}, {32768, 2048, 9000, 1000}};
  std::mt19937 rng(5);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (const Case& c : cases) {
    // A forward transform of slot 0, the owner's own copy into slot 1, an inverse of slot 1.
    BRM_SteppedWork work;
    ASSERT_TRUE(work.AddRealTransform(0, c.len, 0, c.leaf, c.grain));
    ASSERT_TRUE(work.AddOwn(7, c.len, 1000, 1));
    ASSERT_TRUE(work.AddRealTransform(1, c.len, 1, c.leaf, c.grain));
    std::vector<double> a(c.len), b(c.len), whole(c.len);
    for (double& v : a) v = normal(rng);
    whole = a;
    BRM_real_fft(whole.data(), c.len, 0);
    BRM_real_fft(whole.data(), c.len, 1);
    struct Copy {
      const double* from;
      double* to;
    } copy = {a.data(), b.data()};
    work.Start(a.data(), b.data(), [](void* context, int id, int begin, int end) {
      auto* c = static_cast<Copy*>(context);
      ASSERT_EQ(7, id);
      std::memcpy(c->to + begin, c->from + begin, sizeof(double) * (end - begin));
    }, &copy);
    for (int s = 1; s < c.steps; ++s) work.StepTo(s, c.steps);
    work.StepTo(c.steps, c.steps);
    EXPECT_FALSE(work.Busy());
    EXPECT_EQ(0, std::memcmp(b.data(), whole.data(), sizeof(double) * c.len)) << c.len;
  }
}

TEST(SteppedWork, UnsupportedTransformsAreRefused) {
  BRM_SteppedWork work;
  for (int len : {0, 32, 48, 65536}) EXPECT_FALSE(work.AddRealTransform(0, len, 0)) << len;
  EXPECT_FALSE(work.AddRealTransform(2, 1024, 0));
  EXPECT_EQ(0, work.GetCost());
  work.Start(nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(work.Busy());
}

}  // namespace
