// korval-host on an instrument: validated as one, and refused where a command needs sound going in.
#include <gtest/gtest.h>

#include <string>

#include "host_test_support.h"

using namespace korval_host_test;

namespace {

bool Has(const HostRun& run, const std::string& text) { return run.output.find(text) != std::string::npos; }

#ifdef KORV_INSTRUMENT_BUNDLE_DIR
const std::string kInstrument = KORV_INSTRUMENT_BUNDLE_DIR;

TEST(InstrumentCommands, ValidateChecksAnInstrumentAsOne) {
  const HostRun run = RunHost({"--bundle", kInstrument, "validate"}, 120);
  EXPECT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_TRUE(Has(run, " 0 failed")) << run.output;
  for (const char* check : {"PASS  element counts: no input bus (an instrument)", "PASS  channels 0-2 are accepted",
                            "PASS  render stereo at 192000 Hz", "PASS  bypass silences the unit",
                            "PASS  a note through the MIDI selector sounds from its offset",
                            "PASS  after its note-off the note dies away"})
    EXPECT_TRUE(Has(run, check)) << check << "\n" << run.output;

  // The click instrument marks every event, a note-off too, while it reports no tail.
  const HostRun clicks = RunHost({"--bundle", KORV_CLICK_BUNDLE_DIR, "--component", "aumu:Clik:KrvT", "validate"}, 120);
  EXPECT_EQ(clicks.exitStatus, 1);
  EXPECT_TRUE(Has(clicks, "FAIL  after its note-off the note dies away below -60 dBFS within the reported tail: still at"))
      << clicks.output;
  // It has no parameters, so a state of three data bytes loses nothing.
  EXPECT_FALSE(Has(clicks, "data of 3 bytes")) << clicks.output;
}

TEST(InstrumentCommands, CommandsThatSendSoundInRefuseAnInstrument) {
  TempDir dir;
  const struct {
    const char* command;
    const char* message;
  } kCases[] = {{"plot", "takes no sound, so it has no impulse response to plot"},
                {"impulse", "an instrument takes no sound and has no impulse response"}};
  for (const auto& c : kCases) {
    const HostRun run = RunHost({"--bundle", kInstrument, c.command, dir.Path("out")});
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_TRUE(Has(run, c.message)) << run.output;
  }
  EXPECT_TRUE(dir.Files().empty());
}
#endif

}  // namespace
