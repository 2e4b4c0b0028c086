// The host's render path inside one process: input callback, binding and effect together.
#include <gtest/gtest.h>

#include <cstring>

#include "host/unit/block_renderer.h"
#include "host/validate/validator.h"
#include "support/alloc_counter.h"

using namespace korval_host;

namespace {

constexpr UInt32 kBlock = 512;

class HostRenderPath : public ::testing::TestWithParam<RenderRoute> {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegisterBundle(KORV_TEST_BUNDLE_DIR), "");
    std::string error;
    mUnit = HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0}, &error);
    ASSERT_NE(mUnit, nullptr) << error;
    mRenderer = std::make_unique<BlockRenderer>(*mUnit, 2, kBlock, GetParam());
    ASSERT_EQ(PrepareForRendering(*mUnit, *mRenderer, 48000, kBlock), "");
  }

  std::unique_ptr<HostedUnit> mUnit;
  std::unique_ptr<BlockRenderer> mRenderer;
};

TEST_P(HostRenderPath, RenderingAllocatesNothingAndPullsInputOncePerSlice) {
  FillTestSignal(*mRenderer, kBlock, 1);
  ASSERT_EQ(mRenderer->Render(kBlock), noErr);  // first slice outside the count: lazy set-up is allowed

  const long pullsBefore = mRenderer->InputPulls();
  korv_test::AllocationScope allocations;
  OSStatus status = noErr;
  for (int block = 0; block < 64 && status == noErr; ++block) {
    mUnit->SetParameter(2, block % 2 ? -3.0f : 3.0f);
    status = mRenderer->Render(block % 3 ? kBlock : 137);
  }
  EXPECT_EQ(allocations.Count(), 0);
  EXPECT_EQ(status, noErr);
  EXPECT_EQ(mRenderer->InputPulls(), pullsBefore + 64);
  EXPECT_EQ(OutputFault(*mRenderer, kBlock), "");
}

TEST_P(HostRenderPath, BypassedSlicesComeBackAsTheyWent) {
  ASSERT_EQ(mUnit->SetBypass(true), noErr);
  FillTestSignal(*mRenderer, kBlock, 2);
  ASSERT_EQ(mRenderer->Render(kBlock), noErr);
  for (UInt32 c = 0; c < 2; ++c)
    EXPECT_EQ(std::memcmp(mRenderer->Input(c), mRenderer->Output(c), kBlock * sizeof(float)), 0) << c;
}

INSTANTIATE_TEST_SUITE_P(EntryAndFastDispatch, HostRenderPath,
                         ::testing::Values(RenderRoute::kEntry, RenderRoute::kFastDispatch),
                         [](const ::testing::TestParamInfo<RenderRoute>& info) {
                           return info.param == RenderRoute::kEntry ? "Entry" : "FastDispatch";
                         });

}  // namespace
