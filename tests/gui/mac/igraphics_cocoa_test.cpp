// Window events reaching the editor: positions, modifiers, clicks, the wheel and keys.
#include <gtest/gtest.h>

#include <Carbon/Carbon.h>

#include <vector>

#include "gui/icontrol.h"
#include "gui/mac/igraphics_cocoa.h"
#include "gui/mac/pixel_double.h"
#include "gui_mac_test_support.h"

using namespace mac_test;
using korv_appkit::HeadlessDisplay;

namespace {

struct Call {
  char kind;  // 'D'own, 'U'p, 'd'rag, '2' double click, 'W'heel, 'K'ey
  int x, y, extra;
  IMouseMod mod;
};

// Covers the whole editor and records every call, taking keys it is given.
class ProbeControl : public IControl {
 public:
  ProbeControl(IFxBase* pPlug, std::vector<Call>* pCalls)
      : IControl(pPlug, IRECT(0, 0, kEditorW, kEditorH), -1), mCalls(pCalls) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod* pMod) override { mCalls->push_back({'D', x, y, 0, *pMod}); }
  void OnMouseUp(int x, int y, IMouseMod* pMod) override { mCalls->push_back({'U', x, y, 0, *pMod}); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* pMod) override { mCalls->push_back({'d', x, y, 0, *pMod}); }
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override { mCalls->push_back({'2', x, y, 0, *pMod}); }
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override { mCalls->push_back({'W', x, y, d, *pMod}); }
  bool OnKeyDown(int x, int y, int key) override {
    mCalls->push_back({'K', x, y, key, IMouseMod()});
    return mTakesKeys;
  }
  bool mTakesKeys = true;

 private:
  std::vector<Call>* mCalls;
};

class MappingTest : public ::testing::Test {
 protected:
  MappingTest() : mPlug(), mEditor(new IGraphicsMac(&mPlug, kEditorW, kEditorH, 25)) {
    mEditor->AttachPanelBackground(&COLOR_BLACK);
    mProbe = new ProbeControl(&mPlug, &mCalls);
    mEditor->AttachControl(mProbe);
    mPlug.AttachGraphics(mEditor);
    mShown = std::make_unique<ShownEditor>(&mDisplay, mEditor);
  }
  ~MappingTest() override { mShown.reset(); }

  NSWindow* Window() const { return mShown->Window(); }

  HeadlessDisplay mDisplay;
  MacTestPlug mPlug;
  IGraphicsMac* mEditor;
  ProbeControl* mProbe;
  std::vector<Call> mCalls;
  std::unique_ptr<ShownEditor> mShown;
};

TEST_F(MappingTest, WindowPointsReachTheEditorWithItsOffsets) {
  mDisplay.mouseDown(Window(), NSMakePoint(12.7, 100.2));
  mDisplay.mouseUp(Window(), NSMakePoint(12.7, 100.2));
  ASSERT_EQ(2u, mCalls.size());
  EXPECT_EQ('D', mCalls[0].kind);
  EXPECT_EQ(10, mCalls[0].x);
  EXPECT_EQ(518, mCalls[0].y);
  EXPECT_TRUE(mCalls[0].mod.L);
  EXPECT_FALSE(mCalls[0].mod.R);
  EXPECT_EQ('U', mCalls[1].kind);
}

TEST_F(MappingTest, ModifiersAndButtonsBecomeMouseMods) {
  mDisplay.mouseDown(Window(), NSMakePoint(50, 50), NSEventModifierFlagCommand);
  mDisplay.mouseUp(Window(), NSMakePoint(50, 50));
  mDisplay.mouseDown(Window(), NSMakePoint(50, 50), NSEventModifierFlagControl | NSEventModifierFlagOption);
  mDisplay.mouseUp(Window(), NSMakePoint(50, 50));
  mDisplay.rightMouseDown(Window(), NSMakePoint(50, 50), NSEventModifierFlagShift);
  mDisplay.rightMouseUp(Window(), NSMakePoint(50, 50));
  ASSERT_EQ(6u, mCalls.size());
  const IMouseMod& command = mCalls[0].mod;
  EXPECT_TRUE(command.L && command.R && !command.S && !command.C && !command.A);
  const IMouseMod& controlOption = mCalls[2].mod;
  EXPECT_TRUE(controlOption.L && !controlOption.R && controlOption.C && controlOption.A && !controlOption.S);
  const IMouseMod& rightShift = mCalls[4].mod;
  EXPECT_TRUE(!rightShift.L && rightShift.R && rightShift.S);
  EXPECT_EQ('D', mCalls[4].kind);
}

TEST_F(MappingTest, RepeatedClicksAreDoubleClicks) {
  for (NSInteger count : {2, 3}) {
    mDisplay.mouseDown(Window(), NSMakePoint(40, 40), 0, count);
    mDisplay.mouseUp(Window(), NSMakePoint(40, 40));
  }
  ASSERT_EQ(4u, mCalls.size());
  EXPECT_EQ('2', mCalls[0].kind);
  EXPECT_EQ('2', mCalls[2].kind);
}

TEST_F(MappingTest, WheelDeltasAreTruncatedToWholeSteps) {
  mDisplay.scrollWheel(Window(), NSMakePoint(30, 30), 0.5);
  mDisplay.scrollWheel(Window(), NSMakePoint(30, 30), -3.7);
  mDisplay.scrollWheel(Window(), NSMakePoint(30, 30), 2.0, NSEventModifierFlagShift);
  ASSERT_EQ(3u, mCalls.size());
  EXPECT_EQ(0, mCalls[0].extra);
  EXPECT_EQ(-3, mCalls[1].extra);
  EXPECT_EQ(2, mCalls[2].extra);
  EXPECT_TRUE(mCalls[2].mod.S);
}

TEST_F(MappingTest, KeysArriveAsEditorCodesAtTheLastMousePosition) {
  mDisplay.mouseMoved(Window(), NSMakePoint(60, 70));
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), '7'));
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), 'q'));
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), 'Q'));
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), ' '));
  mDisplay.keyDown(Window(), kVK_UpArrow, "\xEF\x9C\x80", "\xEF\x9C\x80");
  std::vector<int> keys;
  for (const Call& call : mCalls) {
    if (call.kind != 'K') continue;
    keys.push_back(call.extra);
    EXPECT_EQ(58, call.x);
    EXPECT_EQ(kEditorH - 70 - 3, call.y);
  }
  EXPECT_EQ((std::vector<int>{12, 31, 31, 0, 1}), keys);
  EXPECT_TRUE(mDisplay.keysPassedToHost().empty());
}

TEST_F(MappingTest, KeysTheEditorDoesNotUseGoToTheHost) {
  mDisplay.mouseMoved(Window(), NSMakePoint(60, 70));
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), '-'));
  mProbe->mTakesKeys = false;
  ASSERT_TRUE(mDisplay.typeCharacter(Window(), 'a'));
  EXPECT_EQ((std::vector<unsigned short>{kVK_ANSI_Minus, kVK_ANSI_A}), mDisplay.keysPassedToHost());
}

TEST_F(MappingTest, KeysWithoutASingleCharacterAreDropped) {
  mDisplay.keyDown(Window(), kVK_ANSI_E, "", "");
  mDisplay.keyDown(Window(), kVK_ANSI_E, "ab", "ab");
  EXPECT_TRUE(mCalls.empty());
  EXPECT_TRUE(mDisplay.keysPassedToHost().empty());
}

TEST_F(MappingTest, EventsAfterTheHostRemovedTheViewAreIgnored) {
  NSView* pView = NSRetained(mShown->View());
  pView->removeFromSuperview();
  EXPECT_FALSE(mEditor->WindowIsOpen());
  NSEvent press(NSEvent::Fields{});
  pView->mouseDown(&press);
  pView->release();
  EXPECT_TRUE(mCalls.empty());
}

TEST(RectMappingTest, EditorAndViewRectanglesConvertBothWays) {
  MacTestPlug plug;
  KORV_COCOA_VIEW* pView = static_cast<KORV_COCOA_VIEW*>(plug.Editor()->OpenWindow(nullptr));
  const NSRect r = pView->ToNSRect(IRECT(10, 20, 30, 60));
  EXPECT_TRUE(NSEqualRects(NSMakeRect(10, kEditorH - 60 - 1, 21, 41), r));
  EXPECT_EQ(IRECT(10, kEditorH - 40 - 50, 30, kEditorH - 40), pView->ToIRECT(NSMakeRect(10.9, 40.2, 20.5, 50.7)));
  plug.Editor()->CloseWindow();
  pView->release();
}

TEST(PixelDoubleTest, VectorDoublingMatchesThePlainVersion) {
  for (int width : {1, 3, 4, 7, 203}) {
    const int height = 5, srcSpan = width + 3, dstSpan = (2 * width + 3) & ~3;
    std::vector<uint32_t> src(static_cast<size_t>(srcSpan) * height);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint32_t>(i * 2654435761u);
    std::vector<uint32_t> vec(static_cast<size_t>(dstSpan) * 2 * height, 0), ref(vec.size(), 0);
    DoubleUpImage(src.data(), srcSpan, width, height, vec.data(), dstSpan);
    DoubleUpImageReference(src.data(), srcSpan, width, height, ref.data(), dstSpan);
    EXPECT_EQ(ref, vec) << "width " << width;
    EXPECT_EQ(src[srcSpan + 2 % width], ref[2 * dstSpan + 2 * (2 % width) + 1]);
  }
}

}  // namespace
