#include "effect/korvaline_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "effect/korvaline.h"
#include "gui/gui_test_support.h"
#include "gui/knob_controls.h"
#include "raster/rast_png.h"

namespace {

std::string PicturePath(const char* name) { return std::string(KORV_EDITOR_PICTURE_ROOT) + "/" + name; }

std::unique_ptr<RAST_IBitmap> LoadPicture(const char* name) {
  return std::unique_ptr<RAST_IBitmap>(RAST_LoadPNG(PicturePath(name).c_str()));
}

RAST_pixel PixelOf(RAST_IBitmap* bmp, int x, int y) { return bmp->getBits()[y * bmp->getRowSpan() + x]; }

// The effect, recording what its editor tells the host.
class RecordingKorvaline : public KORVALINE {
 public:
  RecordingKorvaline() : KORVALINE(IFxInstanceInfo()) {}
  void BeginInformHostOfParamChange(int idx) override { mEvents.push_back({'B', idx, 0.0}); }
  void InformHostOfParamChange(int idx, double value) override { mEvents.push_back({'I', idx, value}); }
  void EndInformHostOfParamChange(int idx) override { mEvents.push_back({'E', idx, 0.0}); }

  std::vector<gui_test::HostEvent> mEvents;
};

// An editor without a window that finds its pictures where the build drew them.
class PictureFileGraphics : public gui_test::TestGraphics {
 public:
  explicit PictureFileGraphics(IFxBase* pPlug)
      : TestGraphics(pPlug, kKorvalineEditorWidth, kKorvalineEditorHeight, kKorvalineEditorFPS) {}
  RAST_IBitmap* OSLoadBitmap(int, const char* name) override { return RAST_LoadPNG(PicturePath(name).c_str()); }
};

TEST(KorvalinePictures, HaveTheEditorsSizeAndFullStripsOfOpaqueFramesThatJoinThePanel) {
  auto background = LoadPicture(kKorvalineBackgroundPicture);
  ASSERT_TRUE(background);
  EXPECT_EQ(background->getWidth(), kKorvalineEditorWidth);
  EXPECT_EQ(background->getHeight(), kKorvalineEditorHeight);

  for (const KorvalineKnobLayout& knob : kKorvalineKnobs) {
    SCOPED_TRACE(knob.picture);
    auto strip = LoadPicture(knob.picture);
    ASSERT_TRUE(strip);
    const int side = knob.frameSide;
    ASSERT_EQ(strip->getWidth(), side);
    ASSERT_EQ(strip->getHeight(), side * kKorvalineKnobFrames);

    int opaque = 0, seamless = 0, edgePixels = 0;
    for (int y = 0; y < strip->getHeight(); ++y)
      for (int x = 0; x < side; ++x) opaque += RAST_GETA(PixelOf(strip.get(), x, y)) == 255;
    EXPECT_EQ(opaque, strip->getWidth() * strip->getHeight());

    // Every frame's outline is the panel it covers, and each frame differs from the one before.
    for (int f = 0; f < kKorvalineKnobFrames; ++f) {
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
          if (x != 0 && y != 0 && x != side - 1 && y != side - 1) continue;
          ++edgePixels;
          seamless += PixelOf(strip.get(), x, f * side + y) == PixelOf(background.get(), knob.x + x, knob.y + y);
        }
      if (f == 0) continue;
      bool differs = false;
      for (int y = 0; y < side && !differs; ++y)
        for (int x = 0; x < side && !differs; ++x)
          differs = PixelOf(strip.get(), x, f * side + y) != PixelOf(strip.get(), x, (f - 1) * side + y);
      EXPECT_TRUE(differs) << "frame " << f + 1 << " repeats frame " << f;
    }
    EXPECT_EQ(seamless, edgePixels);
  }
}

class KorvalineEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    mPlug = std::make_unique<RecordingKorvaline>();
    mGraphics = new PictureFileGraphics(mPlug.get());
    ASSERT_TRUE(AttachKorvalineEditorControls(mPlug.get(), mGraphics));
    mPlug->AttachGraphics(mGraphics);  // the plug-in owns the editor from here on
    mBackground = LoadPicture(kKorvalineBackgroundPicture);
    for (const KorvalineKnobLayout& knob : kKorvalineKnobs) mStrips.push_back(LoadPicture(knob.picture));
    ASSERT_TRUE(mBackground);
    for (auto& strip : mStrips) ASSERT_TRUE(strip);
  }

  // Counts the canvas pixels that differ from the background with each knob showing frames[i]
  // (counting from 0).
  int PixelsDifferingFromPanelWithFrames(const int (&frames)[kNumKorvalineKnobs]) {
    int differing = 0;
    for (int y = 0; y < kKorvalineEditorHeight; ++y)
      for (int x = 0; x < kKorvalineEditorWidth; ++x) {
        RAST_pixel expected = PixelOf(mBackground.get(), x, y);
        for (int i = 0; i < kNumKorvalineKnobs; ++i) {
          const KorvalineKnobLayout& knob = kKorvalineKnobs[i];
          int fx = x - knob.x, fy = y - knob.y;
          if (fx >= 0 && fy >= 0 && fx < knob.frameSide && fy < knob.frameSide)
            expected = PixelOf(mStrips[i].get(), fx, frames[i] * knob.frameSide + fy);
        }
        differing += mGraphics->CanvasPixel(x, y) != expected;
      }
    return differing;
  }

  static int FrameFor(double normalized) { return static_cast<int>(0.5 + normalized * (kKorvalineKnobFrames - 1)); }

  std::unique_ptr<RecordingKorvaline> mPlug;
  PictureFileGraphics* mGraphics = nullptr;
  std::unique_ptr<RAST_IBitmap> mBackground;
  std::vector<std::unique_ptr<RAST_IBitmap>> mStrips;
};

TEST_F(KorvalineEditorTest, HoldsTheBackgroundThenOneKnobPerParameterAtItsPlace) {
  ASSERT_EQ(mGraphics->NControls(), 1 + kNumKorvalineKnobs);
  EXPECT_EQ(mGraphics->GetControl(0)->ParamIdx(), -1);
  EXPECT_EQ(*mGraphics->GetControl(0)->GetRECT(), IRECT(0, 0, kKorvalineEditorWidth, kKorvalineEditorHeight));

  const IRECT expected[] = {IRECT(52, 69, 151, 168), IRECT(52, 207, 151, 306), IRECT(31, 396, 172, 537)};
  const int expectedParams[] = {kDry, kWet, kOut};
  for (int i = 0; i < kNumKorvalineKnobs; ++i) {
    IControl* knob = mGraphics->GetControl(1 + i);
    ASSERT_NE(dynamic_cast<IKnobMultiControl*>(knob), nullptr);
    EXPECT_EQ(knob->ParamIdx(), expectedParams[i]);
    EXPECT_EQ(*knob->GetRECT(), expected[i]);
  }

  PictureFileGraphics spare(mPlug.get());
  EXPECT_FALSE(AttachKorvalineEditorControls(nullptr, &spare));
  EXPECT_FALSE(AttachKorvalineEditorControls(mPlug.get(), nullptr));
  EXPECT_EQ(spare.NControls(), 0);
}

TEST_F(KorvalineEditorTest, DefaultsShowDryAtItsFirstFrameWetAtItsLastAndOutInTheMiddle) {
  ASSERT_TRUE(mGraphics->Tick());
  EXPECT_EQ(PixelsDifferingFromPanelWithFrames({0, 100, 50}), 0);
  // A wrong frame would be caught: the knobs' frames differ from each other.
  EXPECT_GT(PixelsDifferingFromPanelWithFrames({1, 100, 50}), 0);
}

TEST_F(KorvalineEditorTest, DraggingAKnobUpRaisesItsParameterAndDownLowersIt) {
  for (int i = 0; i < kNumKorvalineKnobs; ++i) {
    const KorvalineKnobLayout& knob = kKorvalineKnobs[i];
    SCOPED_TRACE(knob.label);
    IParam* param = mPlug->GetParam(knob.paramIdx);
    const int x = knob.x + knob.frameSide / 2, y = knob.y + knob.frameSide / 2;
    // A full sweep takes a drag of four knob heights.
    const double perPixel = 1.0 / knob.frameSide / kKorvalineKnobGearing;
    IMouseMod button(true);

    for (int dy : {-20, 30}) {
      const double before = param->GetNormalized();
      mPlug->mEvents.clear();
      mGraphics->OnMouseDown(x, y, &button);
      mGraphics->OnMouseDrag(x, y + dy, &button);
      mGraphics->OnMouseUp(x, y + dy, &button);

      const double expected = std::clamp(before - dy * perPixel, 0.0, 1.0);
      EXPECT_NEAR(param->GetNormalized(), expected, 1e-3) << "dragged by " << dy;
      ASSERT_GE(mPlug->mEvents.size(), 3u);
      EXPECT_EQ(mPlug->mEvents.front().kind, 'B');
      EXPECT_EQ(mPlug->mEvents.back().kind, 'E');
      const gui_test::HostEvent& change = mPlug->mEvents[mPlug->mEvents.size() - 2];
      EXPECT_EQ(change.kind, 'I');
      EXPECT_EQ(change.paramIdx, knob.paramIdx);
      EXPECT_NEAR(change.value, expected, 1e-3);
    }
  }

  int frames[kNumKorvalineKnobs];
  for (int i = 0; i < kNumKorvalineKnobs; ++i) frames[i] = FrameFor(mGraphics->GetControl(1 + i)->GetValue());
  while (mGraphics->Tick()) {
  }
  EXPECT_EQ(PixelsDifferingFromPanelWithFrames(frames), 0);
}

}  // namespace
