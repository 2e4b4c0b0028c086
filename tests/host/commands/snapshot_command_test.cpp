// korval-host snapshot: the editor as it reached the headless screen, compared with the bundle's own
// pictures: each knob region with the frame its value selects, everything else with the background.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "host_test_support.h"
#include "raster/rast_png.h"

using namespace korval_host_test;

namespace {

constexpr int kEditorW = 203, kEditorH = 621, kFrames = 101;

struct KnobPlace {
  const char* strip;
  int x, y, side;
};
constexpr KnobPlace kDry{"DI.png", 52, 69, 99}, kWet{"EM.png", 52, 207, 99}, kOut{"OUT.png", 31, 396, 141};

std::unique_ptr<RAST_IBitmap> LoadImage(const std::string& path) {
  return std::unique_ptr<RAST_IBitmap>(RAST_LoadPNG(path.c_str()));
}

std::unique_ptr<RAST_IBitmap> LoadResource(const char* name) {
  return LoadImage(std::string(KORV_TEST_BUNDLE_DIR) + "/Contents/Resources/" + name);
}

// Red, green and blue; the alpha byte of opaque images carries nothing.
RAST_pixel Colour(RAST_IBitmap& image, int x, int y) {
  return image.getBits()[y * image.getRowSpan() + x] & 0xFFFFFF00u;
}

bool InKnob(const KnobPlace& knob, int x, int y) {
  return x >= knob.x && x < knob.x + knob.side && y >= knob.y && y < knob.y + knob.side;
}

// Pixels of the knob's region in the snapshot that differ from the strip's frame.
int KnobMismatches(RAST_IBitmap& snapshot, const KnobPlace& knob, int frame) {
  std::unique_ptr<RAST_IBitmap> strip = LoadResource(knob.strip);
  EXPECT_TRUE(strip) << knob.strip;
  if (!strip) return -1;
  EXPECT_EQ(strip->getHeight(), knob.side * kFrames);
  int mismatches = 0;
  for (int y = 0; y < knob.side; ++y)
    for (int x = 0; x < knob.side; ++x)
      mismatches += Colour(snapshot, knob.x + x, knob.y + y) != Colour(*strip, x, frame * knob.side + y);
  return mismatches;
}

class HostSnapshot : public ::testing::Test {
 protected:
  std::unique_ptr<RAST_IBitmap> Snapshot(const std::string& name, const std::vector<std::string>& options) {
    std::vector<std::string> arguments{"snapshot", mDir.Path(name)};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    return LoadImage(mDir.Path(name));
  }
  TempDir mDir;
};

TEST_F(HostSnapshot, DefaultsShowEachKnobsFrameOverTheBackground) {
  std::unique_ptr<RAST_IBitmap> snapshot = Snapshot("default.png", {});
  ASSERT_TRUE(snapshot);
  ASSERT_EQ(snapshot->getWidth(), kEditorW);
  ASSERT_EQ(snapshot->getHeight(), kEditorH);
  EXPECT_EQ(KnobMismatches(*snapshot, kDry, 0), 0) << "Dry at 0 shows the first frame";
  EXPECT_EQ(KnobMismatches(*snapshot, kWet, kFrames - 1), 0) << "Wet at 1 shows the last frame";
  EXPECT_EQ(KnobMismatches(*snapshot, kOut, kFrames / 2), 0) << "Out at 0 dB shows the middle frame";

  std::unique_ptr<RAST_IBitmap> background = LoadResource("bg.png");
  ASSERT_TRUE(background);
  int mismatches = 0;
  for (int y = 0; y < kEditorH; ++y)
    for (int x = 0; x < kEditorW; ++x)
      if (!InKnob(kDry, x, y) && !InKnob(kWet, x, y) && !InKnob(kOut, x, y))
        mismatches += Colour(*snapshot, x, y) != Colour(*background, x, y);
  EXPECT_EQ(mismatches, 0);
}

TEST_F(HostSnapshot, ParametersSetBeforehandMoveOnlyTheirKnobs) {
  std::unique_ptr<RAST_IBitmap> snapshot = Snapshot("wet0.png", {"--param", "Wet=0", "--param", "Out=15"});
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(KnobMismatches(*snapshot, kWet, 0), 0);
  EXPECT_EQ(KnobMismatches(*snapshot, kOut, kFrames - 1), 0);
  EXPECT_EQ(KnobMismatches(*snapshot, kDry, 0), 0);
}

TEST_F(HostSnapshot, ScaleTwoDoublesEveryPixel) {
  std::unique_ptr<RAST_IBitmap> single = Snapshot("single.png", {"--param", "Dry=0.3"});
  std::unique_ptr<RAST_IBitmap> doubled = Snapshot("double.png", {"--param", "Dry=0.3", "--scale", "2"});
  ASSERT_TRUE(single && doubled);
  ASSERT_EQ(doubled->getWidth(), 2 * kEditorW);
  ASSERT_EQ(doubled->getHeight(), 2 * kEditorH);
  int mismatches = 0;
  for (int y = 0; y < 2 * kEditorH; ++y)
    for (int x = 0; x < 2 * kEditorW; ++x) mismatches += Colour(*doubled, x, y) != Colour(*single, x / 2, y / 2);
  EXPECT_EQ(mismatches, 0);
}

TEST_F(HostSnapshot, BadRequestsAreRefusedAndLeaveAnExistingFileAlone) {
  const std::string kept = mDir.Path("kept.png");
  WriteBytes(kept, "previous contents");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
      {{"snapshot"}, "output file name"},
      {{"snapshot", kept, "--scale", "3"}, "--scale"},
      {{"snapshot", kept, "--scale"}, "needs a value"},
      {{"snapshot", kept, "--param", "Wet=2"}, "0 to 1"},
      {{"snapshot", kept, "--param", "Volume=1"}, "Dry, Wet, Out"},
      {{"snapshot", kept, "other.png"}, "unexpected argument"},
      {{"snapshot", mDir.Path("missing/dir/x.png")}, "cannot write"},
      {{"snapshot", kept, "--panel", "knobs"}, "unknown panel"},
      {{"snapshot", kept, "--panel", "controls", "--param", "Wet=1"}, "a panel has none"},
      {{"snapshot", kept, "--layout", "grid"}, "fixed, knobs or sliders"},
  };
  for (const auto& [arguments, message] : refusals) {
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
  }
  EXPECT_EQ(ReadBytes(kept), "previous contents");
  EXPECT_EQ(mDir.Files().size(), 1u) << "no partial file is left behind";
}

TEST_F(HostSnapshot, TheControlsPanelIsDrawnWithoutTheUnitAndShowsText) {
  std::unique_ptr<RAST_IBitmap> panel = Snapshot("controls.png", {"--panel", "controls"});
  ASSERT_TRUE(panel);
  ASSERT_EQ(panel->getWidth(), 520);
  ASSERT_EQ(panel->getHeight(), 400);
  // The heading's letters are light on the dark panel; the left column holds text in every row band.
  const RAST_pixel background = Colour(*panel, 5, 5);
  for (int band = 0; band < 7; ++band) {
    int inked = 0;
    for (int y = 54 + band * 40; y < 54 + band * 40 + 40 && y < 400; ++y)
      for (int x = 20; x < 250; ++x) inked += Colour(*panel, x, y) != background;
    EXPECT_GT(inked, 100) << "rows from " << 54 + band * 40;
  }
}

}  // namespace

TEST_F(HostSnapshot, GeneratedLayoutsShowEveryParameterAndFollowItsValue) {
  for (const std::string layout : {"knobs", "sliders"}) {
    std::unique_ptr<RAST_IBitmap> low = Snapshot(layout + "-low.png", {"--layout", layout, "--param", "Out=-15"});
    std::unique_ptr<RAST_IBitmap> high = Snapshot(layout + "-high.png", {"--layout", layout, "--param", "Out=15"});
    ASSERT_TRUE(low && high) << layout;
    // Not the front panel, and only Out's control differs between the two.
    EXPECT_NE(low->getWidth() * 1000 + low->getHeight(), kEditorW * 1000 + kEditorH) << layout;
    ASSERT_EQ(low->getWidth(), high->getWidth());
    ASSERT_EQ(low->getHeight(), high->getHeight());
    int differing = 0, leftmostDifference = low->getWidth();
    for (int y = 0; y < low->getHeight(); ++y)
      for (int x = 0; x < low->getWidth(); ++x)
        if (Colour(*low, x, y) != Colour(*high, x, y)) {
          ++differing;
          leftmostDifference = std::min(leftmostDifference, x);
        }
    EXPECT_GT(differing, 20) << layout;
    if (layout == "knobs") {
      EXPECT_GT(leftmostDifference, low->getWidth() / 2) << "only the third knob moves";
    }
  }
}
