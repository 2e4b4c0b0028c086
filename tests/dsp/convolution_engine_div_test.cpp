#include "dsp/convolution_engine_div.h"

#include <gtest/gtest.h>

#include "convolution_test_support.h"

namespace {

using conv_test::Case;
using conv_test::DirectSample;
using conv_test::ExpectConvolution;
using conv_test::Fill;
using conv_test::Noise;
using conv_test::Stream;
using conv_test::Tolerance;

struct Segment {
  int offset;
  int fftSize;  // 0: direct
};

std::vector<Segment> Segments(const BRM_ConvolutionEngine_Div& div) {
  std::vector<Segment> segments;
  for (int i = 0; i < div.GetEngineCount(); ++i)
    segments.push_back({div.GetEngine(i)->m_seg_offset, div.GetEngine(i)->GetFFTSize()});
  return segments;
}

void ExpectSegments(const BRM_ConvolutionEngine_Div& div, const std::vector<Segment>& want) {
  const std::vector<Segment> got = Segments(div);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].offset, want[i].offset) << "engine " << i;
    EXPECT_EQ(got[i].fftSize, want[i].fftSize) << "engine " << i;
  }
}

TEST(DividedEngine, SegmentsGrowWithTheirPosition) {
  BRM_ImpulseBuffer impulse;
  BRM_ConvolutionEngine_Div div;
  Fill(impulse, std::vector<double>(384000, 0.1));
  EXPECT_EQ(div.SetImpulse(&impulse), 0);
  ExpectSegments(div, {{0, 0}, {64, 128}, {256, 512}, {1024, 2048}, {4096, 8192}, {16384, 32768}});
  EXPECT_EQ(div.SetImpulse(&impulse, 0, 0, 0, 0, 512), 512);
  ExpectSegments(div, {{0, 1024}, {1024, 2048}, {4096, 8192}, {16384, 32768}});
  div.SetImpulse(&impulse, 0, 1024);
  ExpectSegments(div, {{0, 0}, {512, 1024}, {2048, 4096}, {8192, 16384}, {32768, 32768}});
  div.SetImpulse(&impulse, 4096);
  ExpectSegments(div, {{0, 0}, {64, 128}, {256, 512}, {1024, 2048}, {4096, 8192}});
  EXPECT_EQ(div.GetEngine(4)->GetFFTSize(), 8192) << "the cap is twice the argument";

  Fill(impulse, std::vector<double>(128, 0.1));
  div.SetImpulse(&impulse);
  ExpectSegments(div, {{0, 0}});
  Fill(impulse, std::vector<double>(129, 0.1));
  div.SetImpulse(&impulse);
  ExpectSegments(div, {{0, 0}, {64, 128}});
  Fill(impulse, std::vector<double>(1000, 0.1));
  div.SetImpulse(&impulse);
  ExpectSegments(div, {{0, 0}, {64, 128}, {256, 512}});
}

TEST(DividedEngine, FirstAvailAfterAddGivesTheWholeBlock) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, Noise(20000, 1));
  for (int block : {1, 7, 64, 100, 4096}) {
    BRM_ConvolutionEngine_Div div;
    div.SetImpulse(&impulse);
    EXPECT_EQ(div.Avail(block), 0) << "nothing added yet";
    std::vector<double> x(block, 0.25);
    double* ptrs[1] = {x.data()};
    div.Add(ptrs, block, 1);
    EXPECT_EQ(div.Avail(block), block);
  }
}

TEST(DividedEngine, WithoutImpulseGivesSilence) {
  BRM_ConvolutionEngine_Div div;
  EXPECT_EQ(div.Avail(32), 32);
  EXPECT_EQ(div.Get()[1][31], 0.0);
  div.Advance(32);
  EXPECT_EQ(div.GetLatency(), 0);
}

TEST(DividedEngine, AllowedLatencyDelaysTheOutput) {
  const std::vector<double> h = conv_test::DecayingNoise(6000, 2);
  const std::vector<double> x = Noise(3000, 3);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine_Div div;
  ASSERT_EQ(div.SetImpulse(&impulse, 0, 0, 0, 0, 512), 512);
  double* ptrs[1] = {const_cast<double*>(x.data())};
  for (int added = 0; added < 511; added += 73) {
    div.Add(ptrs, 73, 1);
    ptrs[0] += 73;
    EXPECT_EQ(div.Avail(73), 0) << "after " << added + 73 << " samples";
  }
  div.Reset();
  const auto out = Stream(div, {x}, 64);
  ExpectConvolution(h, x, out[0], static_cast<int>(x.size()) - 1024);
}

class DividedAccuracy : public ::testing::TestWithParam<Case> {};

// Zero latency: every output sample lines up with the direct convolution.
TEST_P(DividedAccuracy, MatchesDirectConvolution) {
  const Case c = GetParam();
  const std::vector<double> h = conv_test::DecayingNoise(c.taps, 4);
  const std::vector<double> x = Noise(3000, 5);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine_Div div;
  div.SetImpulse(&impulse);
  const auto out = Stream(div, {x}, c.block, c.taps);
  ASSERT_EQ(out[0].size(), x.size() + c.taps);
  ExpectConvolution(h, x, out[0], static_cast<int>(out[0].size()));
}

INSTANTIATE_TEST_SUITE_P(ImpulsesAndBlocks, DividedAccuracy,
                         ::testing::Values(Case{1, 1}, Case{1, 4096}, Case{64, 7}, Case{128, 1}, Case{129, 7},
                                           Case{129, 4096}, Case{1000, 1}, Case{1000, 7}, Case{1000, 64},
                                           Case{1000, 4096}, Case{20000, 7}, Case{20000, 256}));

// The effect's own shape: 384000 taps. Checked on windows that cover every engine's first
// blocks and the segment boundaries.
class LongImpulse : public ::testing::TestWithParam<int> {};

TEST_P(LongImpulse, MatchesDirectConvolutionOnWindows) {
  const int block = GetParam();
  const std::vector<double> h = conv_test::DecayingNoise(384000, 6);
  const std::vector<double> x = Noise(70000, 7);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine_Div div;
  div.SetImpulse(&impulse);
  const auto out = Stream(div, {x}, block);
  ASSERT_EQ(out[0].size(), x.size());
  const double tol = Tolerance(h, x);
  for (int start : {0, 1000, 4090, 16380, 32760, 49150, 69960})
    for (int t = start; t < start + 40; ++t) ASSERT_NEAR(out[0][t], DirectSample(h, x, t), tol) << t;
}

INSTANTIATE_TEST_SUITE_P(Blocks, LongImpulse, ::testing::Values(7, 64, 4096));

TEST(DividedEngine, TwoChannelsAreConvolvedSeparately) {
  const std::vector<double> h = conv_test::DecayingNoise(5000, 8);
  const std::vector<double> left = Noise(4000, 9), right = Noise(4000, 10);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine_Div div;
  div.SetImpulse(&impulse);
  const auto out = Stream(div, {left, right}, 64);
  const double tol = Tolerance(h, left);
  for (int t = 0; t < 4000; ++t) {
    ASSERT_NEAR(out[0][t], DirectSample(h, left, t), tol) << t;
    ASSERT_NEAR(out[1][t], DirectSample(h, right, t), tol) << t;
  }
}

TEST(DividedEngine, ResetEqualsFresh) {
  BRM_ImpulseBuffer impulse;
  Fill(impulse, conv_test::DecayingNoise(20000, 11));
  BRM_ConvolutionEngine_Div used, fresh;
  used.SetImpulse(&impulse);
  fresh.SetImpulse(&impulse);
  Stream(used, {Noise(5000, 12)}, 64);
  used.Reset();
  const std::vector<double> x = Noise(20000, 13);
  EXPECT_EQ(Stream(used, {x}, 64), Stream(fresh, {x}, 64));
}

TEST(DividedEngine, OffsetAndCapSelectPartOfTheImpulse) {
  const std::vector<double> h = Noise(3000, 14);
  const std::vector<double> part(h.begin() + 100, h.begin() + 1100);
  const std::vector<double> x = Noise(2000, 15);
  BRM_ImpulseBuffer impulse;
  Fill(impulse, h);
  BRM_ConvolutionEngine_Div div;
  div.SetImpulse(&impulse, 0, 0, 1000, 100);
  const auto out = Stream(div, {x}, 50);
  const double tol = Tolerance(part, x);
  for (int t = 0; t < 2000; ++t) ASSERT_NEAR(out[0][t], DirectSample(part, x, t), tol) << t;
}

}  // namespace
