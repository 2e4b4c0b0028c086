// The bundle's X11 editor in a small UI host on Xvfb, loaded through its descriptor the way a host
// loads it: a drag on the Wet knob played with XTest writes the Wet port inside touch, port events
// move the knob on screen, the host's scale factor sizes it, and what a host should not pass is
// refused or ignored. The example's editor shows its menus and text fields without ever holding the
// host's idle call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
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
#include <X11/keysym.h>

namespace korv_test {
namespace {

using Clock = std::chrono::steady_clock;

// Two audio inputs and two outputs come first, then Dry, Wet and Out, then the latency output.
constexpr uint32_t kWetPort = 5, kOutPort = 6, kLatencyPort = 7;
const KorvalineKnobLayout& kWet = kKorvalineKnobs[1];
const KorvalineKnobLayout& kOutKnob = kKorvalineKnobs[2];

class LV2UITest : public ::testing::Test {
 protected:
  explicit LV2UITest(const char* bundleDir = KORV_LV2_BUNDLE_DIR, const char* module = "KORVALINE_ui.so",
                     const char* screen = "640x800x24")
      : mBundleDir(bundleDir), mModuleName(module), mServer(screen) {}

  void SetUp() override {
    ASSERT_FALSE(mServer.Name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", mServer.Name().c_str(), 1);
    mX = XOpenDisplay(mServer.Name().c_str());
    ASSERT_NE(mX, nullptr);
    mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), 10, 10, 400, 700, 0, 0, 0);
    XMapWindow(mX, mParent);
    XSync(mX, False);
    mModule = dlopen((mBundleDir + "/" + mModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
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

  // Instantiates with the host's features: parent (unless withParent is false), URID map, touch,
  // resize, and options holding mScaleFactor as mScaleType when it is set.
  LV2UI_Handle Instantiate(bool withParent = true, Window parent = 0) {
    mParentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent ? parent : mParent)};
    std::vector<const LV2_Feature*> features = {&mMapFeature, &mTouchFeature, &mResizeFeature};
    if (withParent) features.push_back(&mParentFeature);
    if (mScaleFactor) {
      mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, mUrids.Id(LV2_UI__scaleFactor), sizeof(float), mUrids.Id(mScaleType),
                     &*mScaleFactor};
      features.push_back(&mOptionsFeature);
    }
    features.push_back(nullptr);
    const std::string bundle = mBundleDir + "/";
    return mDescriptor->instantiate(mDescriptor, "urn:brightmooraudio:korvaline", bundle.c_str(), Write, this,
                                    &mWidget, features.data());
  }
  void Open() {
    mUI = Instantiate();
    ASSERT_NE(mUI, nullptr);
    Serve();
  }
  // Lets the server deliver what the fake user did and the editor redraw, with idle calls 10 ms
  // apart as a host makes them: how long the longest held the host's UI thread.
  double Serve(int rounds = 20) {
    double longest = 0;
    for (int i = 0; i < rounds; ++i) {
      XSync(mX, False);
      const Clock::time_point start = Clock::now();
      mIdleSince = start.time_since_epoch().count();
      EXPECT_EQ(mIdle->idle(mUI), 0);
      mIdleSince = 0;
      longest = std::max(longest, std::chrono::duration<double>(Clock::now() - start).count());
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return longest;
  }
  Window Widget() const { return static_cast<Window>(reinterpret_cast<uintptr_t>(mWidget)); }
  std::pair<int, int> RootOf(Window window, int x = 0, int y = 0) {
    int rootX = 0, rootY = 0;
    Window child;
    XTranslateCoordinates(mX, window, DefaultRootWindow(mX), x, y, &rootX, &rootY, &child);
    return {rootX, rootY};
  }
  void MoveTo(int x, int y) {
    const auto [rootX, rootY] = RootOf(Widget(), x, y);
    XTestFakeMotionEvent(mX, -1, rootX, rootY, 0);
    XFlush(mX);
  }
  void Key(KeySym key) {
    XTestFakeKeyEvent(mX, XKeysymToKeycode(mX, key), True, 0);
    XTestFakeKeyEvent(mX, XKeysymToKeycode(mX, key), False, 0);
    XFlush(mX);
  }
  // The popup menu on screen (a mapped override-redirect window), or 0.
  Window ShownMenu() {
    Window root, parent, *children = nullptr, menu = 0;
    unsigned int count = 0;
    if (!XQueryTree(mX, DefaultRootWindow(mX), &root, &parent, &children, &count)) return 0;
    XWindowAttributes attributes;
    for (unsigned int i = 0; i < count && !menu; ++i)
      if (XGetWindowAttributes(mX, children[i], &attributes) && attributes.override_redirect &&
          attributes.map_state == IsViewable)
        menu = children[i];
    if (children) XFree(children);
    return menu;
  }
  // The widget's pixels as 0xRRGGBB, rows top to bottom; none when the area is not all inside it.
  std::vector<unsigned long> WidgetPixels(int x, int y, int w, int h) {
    std::vector<unsigned long> pixels;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mX, Widget(), &attributes) || x + w > attributes.width || y + h > attributes.height)
      return pixels;
    XImage* shot = XGetImage(mX, Widget(), x, y, w, h, AllPlanes, ZPixmap);
    if (!shot) return pixels;
    for (int row = 0; row < h; ++row)
      for (int column = 0; column < w; ++column) pixels.push_back(XGetPixel(shot, column, row) & 0xFFFFFF);
    XDestroyImage(shot);
    return pixels;
  }
  // A knob's pixels as the editor's window shows them.
  std::vector<unsigned long> KnobPixels(const KorvalineKnobLayout& knob = kWet) {
    return WidgetPixels(knob.x, knob.y, knob.frameSide, knob.frameSide);
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

  const std::string mBundleDir, mModuleName;
  XvfbServer mServer;
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
  std::atomic<Clock::rep> mIdleSince{0};
  std::optional<float> mScaleFactor;
  const char* mScaleType = LV2_ATOM__Float;
  LV2_Options_Option mOptions[2] = {};
  LV2_Feature mOptionsFeature{LV2_OPTIONS__options, mOptions};
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


// The host's ui:scaleFactor, rounded to the editor's whole scales (1 or 2), sizes the window and draws
// every editor pixel as a square; anything but a positive float leaves the editor at its own size.
TEST_F(LV2UITest, TheHostsScaleFactorSizesAndDrawsTheEditor) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    std::optional<float> factor;
    const char* type;
    int scale;
  };
  const Case cases[] = {{std::nullopt, LV2_ATOM__Float, 1}, {2.0f, LV2_ATOM__Float, 2}, {1.4f, LV2_ATOM__Float, 1},
                        {1.6f, LV2_ATOM__Float, 2},         {3.0f, LV2_ATOM__Float, 2}, {nan, LV2_ATOM__Float, 1},
                        {-2.0f, LV2_ATOM__Float, 1},        {2.0f, LV2_ATOM__Double, 1}};
  // The part of the editor that fits the host's window at either scale.
  constexpr int kW = 200, kH = 300;
  std::vector<unsigned long> atOne;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.factor ? std::to_string(*c.factor) + " " + c.type : "no scale factor");
    mScaleFactor = c.factor;
    mScaleType = c.type;
    Open();
    const std::pair<int, int> size(kKorvalineEditorWidth * c.scale, kKorvalineEditorHeight * c.scale);
    EXPECT_EQ(mSize, size);
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(mX, Widget(), &attributes));
    ASSERT_EQ(std::make_pair(attributes.width, attributes.height), size);
    const std::vector<unsigned long> shown = WidgetPixels(0, 0, kW * c.scale, kH * c.scale);
    if (atOne.empty()) atOne = shown;
    std::vector<unsigned long> squares;
    for (int y = 0; y < kH * c.scale; ++y)
      for (int x = 0; x < kW * c.scale; ++x) squares.push_back(atOne[(y / c.scale) * kW + x / c.scale]);
    EXPECT_TRUE(shown == squares);
    mDescriptor->cleanup(mUI);
    mUI = nullptr;
  }
}

#ifdef KORV_EXAMPLE_LV2_BUNDLE_DIR
// Presses Escape on a connection of its own whenever an idle call has run for two seconds: an editor
// that holds the host's idle call inside a menu then lets go, and the test fails instead of hanging.
std::jthread EscapeWhileHeld(const std::string& display, const std::atomic<Clock::rep>& idleSince) {
  return std::jthread([display, &idleSince](std::stop_token stop) {
    for (; !stop.stop_requested(); std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      const Clock::rep since = idleSince;
      if (!since || Clock::now() - Clock::time_point(Clock::duration(since)) < std::chrono::seconds(2)) continue;
      if (::Display* d = XOpenDisplay(display.c_str())) {
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), True, 0);
        XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_Escape), False, 0);
        XCloseDisplay(d);
      }
    }
  });
}

// The example's generated editor: parameter i in a 96 x 112 cell at (2 + 98 i, 2), its value written in
// the cell's bottom rows; a click there opens Mode's menu or Tilt's text field. On a screen wide enough
// for it at scale 2.
class LV2ExampleUITest : public LV2UITest {
 protected:
  static constexpr int kTilt = 0, kMode = 3;
  static constexpr uint32_t kTiltPort = 4, kModePort = 7;

  LV2ExampleUITest() : LV2UITest(KORV_EXAMPLE_LV2_BUNDLE_DIR, "SLANTWISE_ui.so", "1280x800x24") {}
  void SetUp() override {
    LV2UITest::SetUp();
    XResizeWindow(mX, mParent, 1000, 300);
    mRescue = EscapeWhileHeld(mServer.Name(), mIdleSince);
  }

  static int CellLeft(int paramIdx) { return 2 + 98 * paramIdx; }
  void ClickValueOf(int paramIdx, int scale = 1) {
    MoveTo((CellLeft(paramIdx) + 48) * scale, (2 + 112 - 6) * scale);
    XTestFakeButtonEvent(mX, 1, True, 0);
    XTestFakeButtonEvent(mX, 1, False, 0);
    XFlush(mX);
  }
  Window AwaitMenu() {
    for (int i = 0; i < 50; ++i) {
      Serve(1);
      if (Window menu = ShownMenu()) return menu;
    }
    return 0;
  }
  // The value of the last port write when it went to port; NaN otherwise.
  float LastWriteTo(uint32_t port) const {
    const size_t at = mLog.rfind('W');
    if (at == std::string::npos || mWritten.empty() || std::stoul(mLog.substr(at + 1)) != port) return NAN;
    return mWritten.back();
  }

  std::jthread mRescue;
};

// A menu or a text field stays open across idle calls, each of which returns at once, and what is
// chosen or typed reaches the port; a host window destroyed under them takes the menu with it.
TEST_F(LV2ExampleUITest, MenusAndFieldsNeverHoldTheHostsIdle) {
  struct Case {
    const char* what;
    int param;
    std::vector<KeySym> keys;
    bool parentGoes;
    uint32_t port;
    float written;
  };
  const float none = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {{"Steep chosen from Mode's menu", kMode, {XK_Down, XK_Down, XK_Return}, false, kModePort, 1.0f},
                        {"3 typed into Tilt's field", kTilt, {XK_3, XK_Return}, false, kTiltPort, 3.0f},
                        {"Mode's menu open as the host's window goes", kMode, {XK_Down}, true, kModePort, none},
                        {"Tilt's field open as the host's window goes", kTilt, {XK_3}, true, kTiltPort, none}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Open();
    mLog.clear();
    mWritten.clear();
    ClickValueOf(c.param);
    double longest = Serve(10);
    EXPECT_EQ(ShownMenu() != 0, c.param == kMode);
    for (KeySym key : c.keys) {
      Key(key);
      longest = std::max(longest, Serve(5));
    }
    if (c.parentGoes) {
      XDestroyWindow(mX, mParent);
      longest = std::max(longest, Serve(10));
      EXPECT_EQ(ShownMenu(), 0u) << "the menu closed with the window";
    }
    EXPECT_LT(longest, 0.1) << "an idle call held the host";
    if (std::isnan(c.written)) EXPECT_TRUE(mWritten.empty()) << mLog;
    else EXPECT_EQ(LastWriteTo(c.port), c.written) << mLog;
    mDescriptor->cleanup(mUI);
    mUI = nullptr;
    if (!c.parentGoes) continue;
    mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), 10, 10, 1000, 300, 0, 0, 0);
    XMapWindow(mX, mParent);
    XSync(mX, False);
  }
}

// The menu's top left corner is at the value's left edge just under it, in the screen position the
// editor has now, after the host moved its window, and at the host's scale, where a click at the
// scaled point of Mode's value chooses Mode.
TEST_F(LV2ExampleUITest, MenusOpenAtTheirControlWhereverTheHostsWindowIs) {
  for (int scale : {1, 2}) {
    SCOPED_TRACE(scale);
    mScaleFactor = static_cast<float>(scale);
    Open();
    mLog.clear();
    const std::pair<int, int> places[] = {{10, 10}, {200, 330}};
    for (const auto& [x, y] : places) {
      SCOPED_TRACE(x);
      XMoveWindow(mX, mParent, x, y);
      // Long enough apart that the clicks do not make a double click.
      Serve(60);
      ClickValueOf(kMode, scale);
      const Window menu = AwaitMenu();
      ASSERT_NE(menu, 0u);
      XWindowAttributes attributes;
      ASSERT_TRUE(XGetWindowAttributes(mX, menu, &attributes));
      const auto [widgetX, widgetY] = RootOf(Widget());
      EXPECT_EQ(attributes.x - widgetX, (CellLeft(kMode) + 2) * scale);
      EXPECT_GT(attributes.y - widgetY, (2 + 112 - 6) * scale);
      EXPECT_LE(attributes.y - widgetY, (2 + 112 + 6) * scale);
      Key(x == 10 ? XK_Escape : XK_Down);
      Serve(5);
    }
    Key(XK_Down);
    Key(XK_Return);
    Serve(5);
    EXPECT_EQ(LastWriteTo(kModePort), 1.0f) << mLog;
    mDescriptor->cleanup(mUI);
    mUI = nullptr;
  }
}

// Tilt's field, white on the panel, holds its digits whole: dark pixels only in rows strictly inside it.
TEST_F(LV2ExampleUITest, TheFieldShowsItsDigitsWhole) {
  for (int scale : {1, 2}) {
    SCOPED_TRACE(scale);
    mScaleFactor = static_cast<float>(scale);
    Open();
    ClickValueOf(kTilt, scale);
    Serve(5);
    const int w = 96 * scale, h = 116 * scale;
    const std::vector<unsigned long> cell = WidgetPixels(CellLeft(kTilt) * scale, 0, w, h);
    ASSERT_EQ(cell.size(), static_cast<size_t>(w * h));
    auto at = [&](int x, int y) { return cell[static_cast<size_t>(y) * w + x]; };
    auto dark = [](unsigned long p) { return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 100; };
    // The field's rows are white at its left end, left of the centred text.
    const int probe = 6 * scale;
    int top = -1, bottom = -1;
    for (int y = 0; y < h; ++y) {
      if (at(probe, y) != 0xFFFFFF) continue;
      if (top < 0) top = y;
      bottom = y;
    }
    ASSERT_GE(top, 0) << "no field";
    int firstInk = -1, lastInk = -1;
    for (int y = top; y <= bottom; ++y)
      for (int x = probe; x < w - probe; ++x) {
        if (!dark(at(x, y))) continue;
        if (firstInk < 0) firstInk = y;
        lastInk = y;
      }
    ASSERT_GE(firstInk, 0) << "no digits";
    EXPECT_GT(firstInk, top);
    EXPECT_LT(lastInk, bottom);
    mDescriptor->cleanup(mUI);
    mUI = nullptr;
  }
}
#endif

}  // namespace
}  // namespace korv_test
