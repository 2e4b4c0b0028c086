// The bundle's X11 editor in a small UI host on Xvfb, loaded through its descriptor the way a host
// loads it: a drag on the Wet knob played with XTest writes the Wet port inside touch, port events
// move the knob on screen, and what a host should not pass is refused or ignored.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "au_test_support.h"
#include "effect/korvaline_editor.h"
#include "lv2/lilv_test_host.h"
#include "support/xvfb_server.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace korv_test {
namespace {

// Two audio inputs and two outputs come first, then Dry, Wet and Out, then the latency output.
constexpr uint32_t kWetPort = 5, kOutPort = 6, kLatencyPort = 7;
const KorvalineKnobLayout& kWet = kKorvalineKnobs[1];
const KorvalineKnobLayout& kOutKnob = kKorvalineKnobs[2];

class LV2UITest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(mServer.Name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", mServer.Name().c_str(), 1);
    mX = XOpenDisplay(mServer.Name().c_str());
    ASSERT_NE(mX, nullptr);
    mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), 10, 10, 400, 700, 0, 0, 0);
    XMapWindow(mX, mParent);
    XSync(mX, False);
    mModule = dlopen(KORV_LV2_BUNDLE_DIR "/KORVALINE_ui.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(mModule, nullptr) << dlerror();
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(mModule, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    mDescriptor = entry(0);
    ASSERT_NE(mDescriptor, nullptr);
    EXPECT_EQ(entry(1), nullptr);
    mIdle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(mIdle, nullptr);
  }
  void TearDown() override {
    if (mUI) mDescriptor->cleanup(mUI);
    if (mModule) dlclose(mModule);
    if (mX) XCloseDisplay(mX);
  }

  // Instantiates with the host's features: parent (unless withParent is false), URID map, touch, resize.
  LV2UI_Handle Instantiate(bool withParent = true, Window parent = 0) {
    mParentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent ? parent : mParent)};
    std::vector<const LV2_Feature*> features = {&mMapFeature, &mTouchFeature, &mResizeFeature};
    if (withParent) features.push_back(&mParentFeature);
    features.push_back(nullptr);
    const std::string bundle = std::string(KORV_LV2_BUNDLE_DIR) + "/";
    return mDescriptor->instantiate(mDescriptor, "urn:brightmooraudio:korvaline", bundle.c_str(), Write, this,
                                    &mWidget, features.data());
  }
  void Open() {
    mUI = Instantiate();
    ASSERT_NE(mUI, nullptr);
    Serve();
  }
  // Lets the server deliver what the fake user did and the editor redraw.
  void Serve(int rounds = 20) {
    for (int i = 0; i < rounds; ++i) {
      XSync(mX, False);
      ASSERT_EQ(mIdle->idle(mUI), 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  void MoveTo(int x, int y) {
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(mX, Widget(), DefaultRootWindow(mX), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(mX, -1, rootX, rootY, 0);
    XFlush(mX);
  }
  Window Widget() const { return static_cast<Window>(reinterpret_cast<uintptr_t>(mWidget)); }
  // A knob's pixels as the editor's window shows them.
  std::vector<unsigned long> KnobPixels(const KorvalineKnobLayout& knob = kWet) {
    std::vector<unsigned long> pixels;
    XImage* shot = XGetImage(mX, Widget(), knob.x, knob.y, knob.frameSide, knob.frameSide, AllPlanes, ZPixmap);
    if (!shot) return pixels;
    for (int y = 0; y < knob.frameSide; ++y)
      for (int x = 0; x < knob.frameSide; ++x) pixels.push_back(XGetPixel(shot, x, y) & 0xFFFFFF);
    XDestroyImage(shot);
    return pixels;
  }
  void SendPort(uint32_t port, float value, uint32_t size = sizeof(float), uint32_t format = 0) {
    mDescriptor->port_event(mUI, port, size, format, &value);
    Serve(5);
  }

  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    auto* self = static_cast<LV2UITest*>(controller);
    float value = std::numeric_limits<float>::quiet_NaN();
    if (size == sizeof(float) && format == 0) std::memcpy(&value, buffer, sizeof(value));
    self->mLog += 'W';
    self->mLog += std::to_string(port) + " ";
    self->mWritten.push_back(value);
  }
  static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    std::string& log = static_cast<LV2UITest*>(handle)->mLog;
    log += grabbed ? "T+" : "T-";
    log += std::to_string(port) + " ";
  }
  static int Resize(LV2UI_Feature_Handle handle, int w, int h) {
    static_cast<LV2UITest*>(handle)->mSize = {w, h};
    return 0;
  }

  XvfbServer mServer{"640x800x24"};
  ::Display* mX = nullptr;
  Window mParent = 0;
  void* mModule = nullptr;
  const LV2UI_Descriptor* mDescriptor = nullptr;
  const LV2UI_Idle_Interface* mIdle = nullptr;
  LV2UI_Handle mUI = nullptr;
  LV2UI_Widget mWidget = nullptr;
  UridTable mUrids;
  LV2UI_Touch mTouch{this, Touch};
  LV2UI_Resize mResize{this, Resize};
  LV2_Feature mMapFeature{LV2_URID__map, mUrids.Map()};
  LV2_Feature mTouchFeature{LV2_UI__touch, &mTouch};
  LV2_Feature mResizeFeature{LV2_UI__resize, &mResize};
  LV2_Feature mParentFeature{};
  std::string mLog;
  std::vector<float> mWritten;
  std::pair<int, int> mSize{0, 0};
};

TEST_F(LV2UITest, OpensInsideTheHostsWindowAndTellsItsSize) {
  Open();
  Window root, parent, *children = nullptr;
  unsigned int count = 0;
  ASSERT_TRUE(XQueryTree(mX, Widget(), &root, &parent, &children, &count));
  if (children) XFree(children);
  EXPECT_EQ(parent, mParent);
  EXPECT_EQ(mSize, std::make_pair(kKorvalineEditorWidth, kKorvalineEditorHeight));
  XWindowAttributes attributes;
  ASSERT_TRUE(XGetWindowAttributes(mX, Widget(), &attributes));
  EXPECT_EQ(attributes.map_state, IsViewable);
  EXPECT_EQ(attributes.width, kKorvalineEditorWidth);
  // A host sizes its frame from the hints of the window it was given: the editor does not resize.
  XSizeHints hints{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(mX, Widget(), &hints, &supplied));
  ASSERT_EQ(hints.flags & (PMinSize | PMaxSize), PMinSize | PMaxSize);
  EXPECT_EQ(std::make_pair(hints.min_width, hints.min_height), mSize);
  EXPECT_EQ(std::make_pair(hints.max_width, hints.max_height), mSize);
  // The panel is drawn: the knob's area is not one flat colour.
  const std::vector<unsigned long> pixels = KnobPixels();
  ASSERT_FALSE(pixels.empty());
  EXPECT_NE(std::count(pixels.begin(), pixels.end(), pixels[0]), static_cast<long>(pixels.size()));
}

TEST_F(LV2UITest, DraggingTheWetKnobWritesItsPortInsideTouch) {
  Open();
  const int cx = kWet.x + kWet.frameSide / 2, cy = kWet.y + kWet.frameSide / 2;
  MoveTo(cx, cy);
  Serve(5);
  XTestFakeButtonEvent(mX, 1, True, 0);
  Serve(5);
  for (int step = 1; step <= 6; ++step) {
    MoveTo(cx, cy + 10 * step);
    Serve(3);
    // The host's late echo of the value before the drag must not pull the knob back.
    if (step == 3) SendPort(kWetPort, 1.0f);
  }
  XTestFakeButtonEvent(mX, 1, False, 0);
  Serve(5);
  // Wet starts at its maximum; dragging down lowers it, one write per move, all inside one touch.
  ASSERT_GE(mWritten.size(), 2u) << mLog;
  std::string expected = "T+5 ";
  for (size_t i = 0; i < mWritten.size(); ++i) expected += "W5 ";
  EXPECT_EQ(mLog, expected + "T-5 ");
  for (size_t i = 1; i < mWritten.size(); ++i) EXPECT_LE(mWritten[i], mWritten[i - 1]);
  // 60 pixels down a 99-pixel knob geared 4 to 1, all of them counted.
  EXPECT_NEAR(mWritten.back(), 1.0f - 60.0f / 99.0f / 4.0f, 0.03f);
}

TEST_F(LV2UITest, PortEventsMoveTheKnobAndBadOnesAreIgnored) {
  Open();
  const std::vector<unsigned long> atMaximum = KnobPixels();
  SendPort(kWetPort, 0.0f);
  const std::vector<unsigned long> atZero = KnobPixels();
  EXPECT_NE(atZero, atMaximum) << "the knob moved";
  SendPort(kWetPort, 1.0f);
  EXPECT_EQ(KnobPixels(), atMaximum);

  struct Bad {
    uint32_t port, size, format;
    float value;
  };
  const Bad bad[] = {{kWetPort, sizeof(double), 0, 0.0f},  {kWetPort, 2, 0, 0.0f},
                     {kWetPort, sizeof(float), 7, 0.0f},   {kWetPort, sizeof(float), 0, NAN},
                     {kLatencyPort, sizeof(float), 0, 0.0f}, {0, sizeof(float), 0, 0.0f},
                     {1000, sizeof(float), 0, 0.0f},       {UINT32_MAX, sizeof(float), 0, 0.0f}};
  for (const Bad& b : bad) SendPort(b.port, b.value, b.size, b.format);
  mDescriptor->port_event(mUI, kWetPort, sizeof(float), 0, nullptr);
  Serve(5);
  EXPECT_EQ(KnobPixels(), atMaximum);
  // A value beyond the range is held to it; another knob's port leaves Wet alone. None is echoed back.
  SendPort(kWetPort, 1e30f);
  SendPort(kOutPort, -15.0f);
  EXPECT_EQ(KnobPixels(), atMaximum);
  EXPECT_EQ(mLog, "");
}

TEST_F(LV2UITest, MissingOrUnknownParentWindowIsRefused) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Instantiate(false), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ui:parent"), std::string::npos);
  // A window id no client has made.
  testing::internal::CaptureStderr();
  EXPECT_EQ(Instantiate(true, 0x7ffffff0), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("does not exist"), std::string::npos);
  // Refusals leave nothing behind: the next editor opens.
  Open();
}

TEST_F(LV2UITest, HostWindowDestroyedBeforeCleanupEndsNothing) {
  for (bool idleBetween : {false, true}) {
    SCOPED_TRACE(idleBetween);
    Open();
    XDestroyWindow(mX, mParent);
    XSync(mX, False);
    if (idleBetween) SendPort(kWetPort, 0.0f);
    mDescriptor->cleanup(mUI);
    mUI = nullptr;
    mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), 10, 10, 400, 700, 0, 0, 0);
    XSync(mX, False);
  }
}

// The editor's connection ends (as when the server goes): the UI says so through idle, and the host
// goes on, its own connection untouched, and can open the editor again.
TEST_F(LV2UITest, ALostConnectionEndsTheEditorNotTheHost) {
  Open();
  XKillClient(mX, Widget());
  XSync(mX, False);
  int idle = 0;
  for (int i = 0; i < 100 && !idle; ++i) {
    idle = mIdle->idle(mUI);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(idle, 0);
  mDescriptor->cleanup(mUI);
  mUI = nullptr;
  Open();
}

// One value from a host lands alike through the Audio Unit entry, the LV2 port and the LV2 UI: NaN is
// ignored and anything else is held to Out's range, in the parameter and in the editor. Each case
// starts where the one before left Out.
TEST_F(LV2UITest, AHostValueLandsAlikeThroughEveryBinding) {
  Open();
  std::map<float, std::vector<unsigned long>> knobAt;
  for (float value : {7.5f, -15.0f, 15.0f}) {
    SendPort(kOutPort, value);
    knobAt[value] = KnobPixels(kOutKnob);
  }
  ASSERT_EQ(std::set<std::vector<unsigned long>>({knobAt[7.5f], knobAt[-15.0f], knobAt[15.0f]}).size(), 3u);

  TestPlugOptions options;
  options.withEditor = true;
  au_test::OpenedPlug au(options);
  LilvTestHost lilv;
  TestInstance port(lilv);
  const std::vector<float> input = TestSignal(64);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float sent, landed;
  };
  const Case cases[] = {{7.5f, 7.5f},  {nan, 7.5f},        {40.0f, 15.0f},
                        {nan, 15.0f}, {-1e38f, -15.0f}, {1e38f, 15.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    EXPECT_EQ(noErr, IFxAU::SetParamProc(au.Get(), kOut, kAudioUnitScope_Global, 0, c.sent, 0));
    EXPECT_EQ(au->GetParam(kOut)->Value(), c.landed);
    EXPECT_EQ(au->mEditor->mPushes.back().value, c.landed);

    port.Control("out") = c.sent;
    port.Render(input, 64);
    TestInstance reference(lilv);
    reference.Control("out") = c.landed;
    reference.Render(input, 64);
    EXPECT_EQ(port.Chunk(), reference.Chunk());

    SendPort(kOutPort, c.sent);
    EXPECT_EQ(KnobPixels(kOutKnob), knobAt[c.landed]);
  }
}

}  // namespace
}  // namespace korv_test
