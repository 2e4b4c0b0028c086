// A host that opens editors and reloads the plug-in all day, through the component calls: the
// process's resident memory must settle, not creep up with every fresh unit.
#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <korval_platform/headless_display.h>

#include "host/unit/block_renderer.h"
#include "host/unit/bundle_version.h"
#include "host/unit/editor_view.h"
#include "host/unit/hosted_unit.h"
#include "support/resident_memory.h"

using namespace korval_host;

namespace {

constexpr int kUnits = 150;
constexpr int kCyclesPerUnit = 10;
// Caches filled once (pictures, fonts, the component registry) are in place by then.
constexpr int kWarmUpUnits = 10;
constexpr double kMaxGrowthMiB = 20.0;
// Sessions at the common rates, one after another: each rate sizes the unit's buffers differently.
constexpr double kRates[] = {44100.0, 48000.0, 88200.0, 96000.0};
constexpr UInt32 kFrames = 512;
constexpr int kBlocksPerCycle = 4;

double ResidentMiB() { return static_cast<double>(korv_test::ResidentBytes()) / (1024.0 * 1024.0); }

std::unique_ptr<HostedUnit> OpenInitializedUnit(double rate) {
  static const std::string registered = RegisterBundle(KORV_SOAK_BUNDLE_DIR);
  EXPECT_EQ("", registered);
  ComponentDescription description = {};
  std::string error = ReadListedUnit(KORV_SOAK_BUNDLE_DIR, &description);
  EXPECT_EQ("", error);
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(description, &error);
  EXPECT_TRUE(unit) << error;
  if (!unit) return nullptr;
  EXPECT_EQ(noErr, unit->Configure(rate, 2, kFrames));
  EXPECT_EQ(noErr, AudioUnitInitialize(unit->Unit()));
  return unit;
}

// What a host does with an open unit: plays a little, saves and restores its state, shows and closes
// the editor, resets and reinitialises it. It keeps what it saved, as an undo history does: small
// blocks of the host's own outliving the unit are what splits the holes the unit's blocks leave.
void RunCycle(korv_appkit::HeadlessDisplay* display, const HostedUnit& unit,
              std::vector<CFRef<CFPropertyListRef>>* savedStates) {
  BlockRenderer renderer(unit, 2, kFrames, RenderRoute::kFastDispatch);
  ASSERT_EQ(noErr, renderer.Connect());
  for (UInt32 i = 0; i < kFrames; ++i) renderer.Input(0)[i] = renderer.Input(1)[i] = (i % 64) / 64.0f - 0.5f;
  for (int block = 0; block < kBlocksPerCycle; ++block) ASSERT_EQ(noErr, renderer.Render(kFrames));

  CFRef<CFPropertyListRef> state;
  ASSERT_EQ(noErr, unit.SaveState(&state));
  ASSERT_EQ(noErr, unit.RestoreState(state.Get()));
  savedStates->push_back(std::move(state));

  std::string error;
  std::unique_ptr<EditorView> editor = EditorView::Open(unit, &error);
  ASSERT_TRUE(editor) << error;
  NSWindow* window = display->openWindow(editor->HostView());
  display->advanceTime(0.1);
  display->closeWindow(window);
  editor.reset();

  ASSERT_EQ(noErr, AudioUnitReset(unit.Unit(), kAudioUnitScope_Global, 0));
  ASSERT_EQ(noErr, AudioUnitUninitialize(unit.Unit()));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit.Unit()));
}

TEST(MemorySoakTest, EditorViewsAndFreshUnitsLeaveResidentMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "resident memory means nothing under a sanitizer, whose quarantine holds freed blocks";
#endif
  korv_appkit::HeadlessDisplay display;
  std::vector<CFRef<CFPropertyListRef>> savedStates;
  double baseline = 0.0;
  for (int opened = 0; opened < kUnits; ++opened) {
    std::unique_ptr<HostedUnit> unit = OpenInitializedUnit(kRates[opened % std::size(kRates)]);
    ASSERT_TRUE(unit);
    for (int cycle = 0; cycle < kCyclesPerUnit; ++cycle) {
      RunCycle(&display, *unit, &savedStates);
      if (HasFatalFailure()) return;
    }
    unit.reset();
    // Measured with no unit open: units at higher rates hold more while they are.
    if (opened + 1 == kWarmUpUnits) baseline = ResidentMiB();
  }
  const double growth = ResidentMiB() - baseline;
  EXPECT_LT(growth, kMaxGrowthMiB) << "resident memory grew by " << growth << " MiB over "
                                   << (kUnits - kWarmUpUnits) * kCyclesPerUnit << " cycles";
}

}  // namespace
