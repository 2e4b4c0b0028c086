#include "gui_mac_test_support.h"

#include <gtest/gtest.h>
#include <korval_platform/host.h>

IFxAU* MakePlug() { return new mac_test::MacTestPlug; }

namespace mac_test {

namespace {

// Every test finds the pictures through the bundle's identifier.
class TestBundleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(noErr, KorvRegisterComponentBundle(KORV_MAC_VIEW_TEST_BUNDLE_DIR, nullptr)); }
};
const ::testing::Environment* const s_bundleEnvironment =
    ::testing::AddGlobalTestEnvironment(new TestBundleEnvironment);

}  // namespace

HostEventLog::HostEventLog() { KorvAddAUEventListener(&HostEventLog::Listen, this); }
HostEventLog::~HostEventLog() { KorvRemoveAUEventListener(&HostEventLog::Listen, this); }

void HostEventLog::Listen(void* userData, void*, const AudioUnitEvent* event) {
  char kind = '?';
  switch (event->mEventType) {
    case kAudioUnitEvent_BeginParameterChangeGesture: kind = 'B'; break;
    case kAudioUnitEvent_ParameterValueChange: kind = 'V'; break;
    case kAudioUnitEvent_EndParameterChangeGesture: kind = 'E'; break;
    default: break;
  }
  static_cast<HostEventLog*>(userData)->mEvents.push_back(
      {kind, static_cast<int>(event->mArgument.mParameter.mParameterID)});
}

std::string HostEventLog::KindsFor(int paramIdx) const {
  std::string kinds;
  for (const auto& [kind, idx] : mEvents)
    if (idx == paramIdx) kinds += kind;
  return kinds;
}

ShownEditor::ShownEditor(korv_appkit::HeadlessDisplay* pDisplay, IGraphicsMac* pEditor)
    : mDisplay(pDisplay), mEditor(pEditor), mHostView(new NSView(NSMakeRect(0, 0, kEditorW, kEditorH))) {
  mView = static_cast<NSView*>(pEditor->OpenWindow(mHostView));
  mView->release();
  mWindow = pDisplay->openWindow(mHostView);
  mHostView->release();
}

ShownEditor::~ShownEditor() {
  // A test may have closed the editor already, which took the view out.
  if (mEditor->GetWindow() == mView) mView->removeFromSuperview();
  mDisplay->closeWindow(mWindow);
}

korv_appkit::ScreenRGB ToScreen(RAST_pixel pixel) {
  return {static_cast<uint8_t>(RAST_GETR(pixel)), static_cast<uint8_t>(RAST_GETG(pixel)),
          static_cast<uint8_t>(RAST_GETB(pixel))};
}

}  // namespace mac_test
