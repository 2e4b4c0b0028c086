#include <gtest/gtest.h>

#include <vector>

#include "support/alloc_counter.h"
#include "test_plug.h"

TEST(Channels, ChannelIOListDecidesCountsAndLegalIO) {
  TestPlug plug;
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  ASSERT_EQ(plug.NChannelIO(), 2);
  EXPECT_EQ(plug.GetChannelIO(1)->mIn, 2);
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_FALSE(plug.LegalIO(1, 2));
  EXPECT_FALSE(plug.LegalIO(2, 1));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(2, -1));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(-1, 3));

  TestPlug wide(0, true, "0-2 4-1");
  EXPECT_EQ(wide.NInChannels(), 4);
  EXPECT_EQ(wide.NOutChannels(), 2);
  EXPECT_TRUE(wide.LegalIO(0, 2));
}

TEST(ChannelsDeathTest, MalformedChannelIOStops) {
  EXPECT_DEATH(TestPlug(0, true, "1-1 x"), "channelIOStrValid");
}

TEST(Channels, ConnectionsAndLabelsIgnoreChannelsOutOfRange) {
  TestPlug plug;
  plug.SetInputChannelConnections(1, 100, true);
  plug.SetOutputChannelConnections(-3, 4, true);
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsOutChannelConnected(-1));

  plug.SetInputLabel(1, "right");
  plug.SetInputLabel(2, "none");
  EXPECT_STREQ(plug.GetInputLabel(1), "right");
  EXPECT_STREQ(plug.GetInputLabel(2), "");
  plug.SetInputBusLabel(0, "input");
  plug.SetInputBusLabel(0, "main input");
  plug.SetInputBusLabel(2, "never");
  plug.SetOutputBusLabel(5, "output");
  EXPECT_STREQ(plug.GetInputBusLabel(0), "main input");
  EXPECT_STREQ(plug.GetInputBusLabel(2), "");
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "output") << "an index past the end appends";
}

// 2-in/2-out plug with a block size of 8 and recognisable input ramps.
class Routing : public ::testing::Test {
 protected:
  static constexpr int kBlock = 8;
  void SetUp() override {
    plug.SetBlockSize(kBlock);
    for (int s = 0; s < kBlock; ++s) {
      in0[s] = s + 1.0f;
      in1[s] = -(s + 1.0f);
      din0[s] = in0[s];
      din1[s] = in1[s];
    }
  }
  TestPlug plug;
  float in0[kBlock], in1[kBlock], out0[kBlock] = {}, out1[kBlock] = {};
  double din0[kBlock], din1[kBlock], dout0[kBlock] = {}, dout1[kBlock] = {};
};

TEST_F(Routing, FloatHostRoundTripsThroughDoubles) {
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float* ins[] = {in0, in1};
  float* outs[] = {out0, out1};
  plug.AttachInputBuffers(0, 2, ins, kBlock);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(out0[s], in0[s]);
    EXPECT_EQ(out1[s], in1[s]);
  }
  plug.ProcessBuffersAccumulating(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) EXPECT_EQ(out0[s], 2.0f * in0[s]) << "accumulating adds to the host buffer";
  plug.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(out0[kBlock - 1], in0[kBlock - 1]) << "the replacing form overwrites";
}

TEST_F(Routing, PointersGoToConnectedChannelsOnlyAndUnconnectedOutputsStayInScratch) {
  plug.SetInputChannelConnections(0, 1, false);
  plug.SetInputChannelConnections(1, 1, true);
  plug.SetOutputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(1, 1, false);
  double* ins[] = {din0};
  float* outs[] = {out0};
  out1[0] = 42.0f;
  plug.AttachInputBuffers(0, 5, ins, kBlock);  // din0 feeds channel 1, the first connected one
  plug.AttachOutputBuffers(0, 5, outs);
  plug.ProcessBuffers(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) EXPECT_EQ(out0[s], 0.0f) << "channel 0 reads its silent scratch";
  EXPECT_EQ(out1[0], 42.0f);

  // Now channel 0 is fed and both outputs go to double host buffers.
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  double* ins2[] = {din0, din1};
  double* outs2[] = {dout0, dout1};
  plug.AttachInputBuffers(0, 2, ins2, kBlock);
  plug.AttachOutputBuffers(0, 2, outs2);
  plug.ProcessBuffers(0.0, kBlock);
  EXPECT_EQ(dout0[3], din0[3]);
  EXPECT_EQ(dout1[3], din1[3]);
}

TEST_F(Routing, BaseCopySilencesSurplusOutputsAndBypassUsesIt) {
  TestPlug oneToTwo(0, true, "1-2");
  double* ins[] = {din0};
  double* outs[] = {dout0, dout1};
  for (double& v : dout1) v = 9.0;
  oneToTwo.IFxBase::ProcessDoubleReplacing(ins, outs, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(dout0[s], din0[s]);
    EXPECT_EQ(dout1[s], 0.0);
  }

  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  float* fins[] = {in0, in1};
  float* fouts[] = {out0, out1};
  plug.AttachInputBuffers(0, 2, fins, kBlock);
  plug.AttachOutputBuffers(0, 2, fouts);
  plug.PassThroughBuffers(0.0f, kBlock);
  EXPECT_EQ(out1[5], in1[5]);
}

TEST_F(Routing, BlockSizeChangesFollowTheScratchBuffersAndCapFrames) {
  plug.SetInputChannelConnections(0, 2, false);
  plug.SetOutputChannelConnections(0, 2, true);
  // Growing moves the scratch buffers; the unconnected inputs must follow them.
  plug.SetBlockSize(4096);
  plug.SetBlockSize(kBlock);
  std::vector<float> big0(4 * kBlock, 7.0f), big1(4 * kBlock, 7.0f);
  float* outs[] = {big0.data(), big1.data()};
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, 4 * kBlock);
  EXPECT_EQ(big0[kBlock - 1], 0.0f);
  EXPECT_EQ(big0[kBlock], 7.0f) << "frames beyond the block size are left alone";

  plug.SetInputChannelConnections(0, 2, true);
  float* ins[] = {in0, in1};
  plug.AttachInputBuffers(0, 2, ins, kBlock);
  plug.SetBlockSize(kBlock);  // same size: neither reallocated nor cleared
  plug.ProcessBuffers(0.0f, kBlock);
  EXPECT_EQ(big0[2], in0[2]);
}

TEST_F(Routing, ProcessPathsAllocateNothing) {
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  plug.UseLatencyDelay(3);
  float* fins[] = {in0, in1};
  float* fouts[] = {out0, out1};
  double* dins[] = {din0, din1};
  double* douts[] = {dout0, dout1};
  korv_test::AllocationScope scope;
  for (int block = 0; block < 4; ++block) {
    plug.AttachInputBuffers(0, 2, fins, kBlock);
    plug.AttachOutputBuffers(0, 2, fouts);
    plug.ProcessBuffers(0.0f, kBlock);
    plug.ProcessBuffersAccumulating(0.0f, kBlock);
    plug.PassThroughBuffers(0.0f, kBlock);
    plug.AttachInputBuffers(0, 2, dins, kBlock);
    plug.AttachOutputBuffers(0, 2, douts);
    plug.ProcessBuffers(0.0, kBlock);
    plug.PassThroughBuffers(0.0, kBlock);
  }
  EXPECT_EQ(scope.Count(), 0);
}
