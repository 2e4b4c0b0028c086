// korval-host render refuses sound at a rate the plug-in does not take, saying so, instead of
// rendering it dangerously loud.
#include <gtest/gtest.h>

#include "host_test_support.h"

using namespace korval_host_test;

namespace {

TEST(HostRateLimits, RenderFailsClearlyBelowTheLowestRateAndWorksAtIt) {
  TempDir dir;
  for (int rate : {1000, 7999}) {
    SCOPED_TRACE(rate);
    const std::string in = dir.Path("in" + std::to_string(rate) + ".wav");
    WriteTestSound(in, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, rate);
    const HostRun run = RunHost({"render", in, dir.Path("out.wav"), "--tail", "0"});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_NE(run.output.find("a sample rate of " + std::to_string(rate) + " Hz; rates from 8000 to 768000 Hz"),
              std::string::npos)
        << run.output;
  }
  WriteTestSound(dir.Path("in8000.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2000, 8000);
  const HostRun run = RunHost({"render", dir.Path("in8000.wav"), dir.Path("out8000.wav"), "--tail", "0"});
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(ReadSound(dir.Path("out8000.wav")).info.samplerate, 8000);
}

}  // namespace
