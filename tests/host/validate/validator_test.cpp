// The validation battery: its signal checks, and a unit that does not process audio failing it.
#include <gtest/gtest.h>

#include <cmath>

#include "host/validate/validator.h"
#include "host_test_support.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

TEST(HostSignalChecks, FindNaNInfinityAndDenormals) {
  const float clean[] = {0.0f, -1.0f, 1e-30f, 3.0f};
  EXPECT_EQ(SignalFault(clean, 4), "");
  const float denormal[] = {0.0f, 1e-40f};
  EXPECT_EQ(SignalFault(denormal, 2), "denormal at frame 1");
  const float infinite[] = {INFINITY};
  EXPECT_EQ(SignalFault(infinite, 1), "infinity at frame 0");
  const float nan[] = {1.0f, 2.0f, NAN};
  EXPECT_EQ(SignalFault(nan, 3), "NaN at frame 2");
}

#ifdef KORV_FAULTY_BUNDLE_DIR
TEST(HostValidate, FailsAUnitThatDoesNotProcessAudio) {
  const HostRun run = RunHost({"--bundle", KORV_FAULTY_BUNDLE_DIR, "--component", "aufx:Tst1:Korv", "validate"});
  EXPECT_EQ(run.exitStatus, 1) << run.output;
  EXPECT_NE(run.output.find("FAIL  bypass passes the input through unchanged"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PASS  open and close (cold)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PASS  version is the one the bundle's Info.plist lists: reported 1.0.0 (0x00010000), "
                            "listed 1.0.0 (0x00010000)"),
            std::string::npos)
      << run.output;
}
#endif

}  // namespace
