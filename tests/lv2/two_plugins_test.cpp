// Two plug-ins built on the framework, KORVALINE and the Slantwise EQ example, in one host process:
// each renders exactly as it does alone, a parameter of one leaves the other alone, and their
// editors (each with its own copy of the framework and the platform stand-in) open and close in
// every order, each drawing what it draws alone.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lilv_test_host.h"
#include "support/xvfb_server.h"

// Xlib's macros (None, Bool, Status ...) must come after the test framework.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace korv_test {
namespace {

struct PluginUnderTest {
  const char* bundleDir;
  const char* uri;
  const char* uiModule;
  // Where the host's window for its editor goes: side by side, so neither covers the other.
  int windowX;
  // A control port and a value away from its default; its index among the ports.
  const char* symbol;
  float changed;
  uint32_t port;
};

const PluginUnderTest kKorvaline = {KORV_LV2_BUNDLE_DIR, "urn:brightmooraudio:korvaline", "KORVALINE_ui.so", 0, "wet",
                                    0.25f, 5};
const PluginUnderTest kSlantwise = {KORV_EXAMPLE_LV2_BUNDLE_DIR, "urn:quillmereaudio:slantwise", "SLANTWISE_ui.so",
                                    300, "tilt", 4.5f, 4};

constexpr int kFrames = 24000, kBlock = 256;

std::vector<float> Half(const std::vector<float>& signal, int half) {
  const auto middle = signal.begin() + static_cast<long>(signal.size() / 2);
  return half == 0 ? std::vector<float>(signal.begin(), middle) : std::vector<float>(middle, signal.end());
}

// The plug-in alone: the first half of the signal, then the second after setting its parameter
// when change is true. Both halves' output, one after the other.
std::vector<float> RenderAlone(const PluginUnderTest& plugin, const std::vector<float>& signal, bool change) {
  LilvTestHost host(plugin.bundleDir, plugin.uri);
  TestInstance instance(host);
  EXPECT_NE(instance.Get(), nullptr) << plugin.uri;
  if (!instance.Get()) return {};
  std::vector<float> out = instance.Render(Half(signal, 0), kBlock);
  if (change) instance.Control(plugin.symbol) = plugin.changed;
  const std::vector<float> second = instance.Render(Half(signal, 1), kBlock);
  out.insert(out.end(), second.begin(), second.end());
  return out;
}

TEST(TwoPluginsTest, EachRendersAsAloneAndKeepsItsOwnParameters) {
  const std::vector<float> signal = TestSignal(kFrames);
  for (bool changeKorvaline : {false, true}) {
    SCOPED_TRACE(changeKorvaline ? "KORVALINE's parameter changed" : "Slantwise's parameter changed");
    const PluginUnderTest& changed = changeKorvaline ? kKorvaline : kSlantwise;
    const PluginUnderTest& still = changeKorvaline ? kSlantwise : kKorvaline;
    const std::vector<float> changedAlone = RenderAlone(changed, signal, true);
    const std::vector<float> stillAlone = RenderAlone(still, signal, false);
    // The change is heard: otherwise the test would prove nothing.
    ASSERT_NE(changedAlone, RenderAlone(changed, signal, false));

    LilvTestHost changedHost(changed.bundleDir, changed.uri), stillHost(still.bundleDir, still.uri);
    TestInstance a(changedHost), b(stillHost);
    ASSERT_NE(a.Get(), nullptr);
    ASSERT_NE(b.Get(), nullptr);
    std::vector<float> aOut, bOut;
    for (int half = 0; half < 2; ++half) {
      if (half == 1) a.Control(changed.symbol) = changed.changed;
      // Block by block in turn, as a host runs two plug-ins of a graph.
      const std::vector<float> part = Half(signal, half);
      for (size_t done = 0; done < part.size(); done += kBlock) {
        const std::vector<float> block(part.begin() + static_cast<long>(done),
                                       part.begin() + static_cast<long>(std::min(part.size(), done + kBlock)));
        const std::vector<float> x = a.Render(block, kBlock), y = b.Render(block, kBlock);
        aOut.insert(aOut.end(), x.begin(), x.end());
        bOut.insert(bOut.end(), y.begin(), y.end());
      }
    }
    EXPECT_EQ(aOut, changedAlone);
    EXPECT_EQ(bOut, stillAlone);
  }
}

// One plug-in's editor module in the UI host: written ports are logged per editor.
class EditorModule {
 public:
  EditorModule(const PluginUnderTest& plugin, ::Display* x) : mPlugin(plugin), mX(x) {
    const std::string path = std::string(plugin.bundleDir) + "/" + plugin.uiModule;
    mModule = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mModule) return;
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(mModule, "lv2ui_descriptor"));
    mDescriptor = entry ? entry(0) : nullptr;
    if (mDescriptor)
      mIdle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));
    mParent = XCreateSimpleWindow(mX, DefaultRootWindow(mX), plugin.windowX, 0, 700, 700, 0, 0, 0);
    XMapWindow(mX, mParent);
    XSync(mX, False);
  }
  ~EditorModule() {
    Close();
    if (mModule) dlclose(mModule);
    XDestroyWindow(mX, mParent);
    XSync(mX, False);
  }
  bool Loaded() const { return mIdle != nullptr; }
  bool Open() {
    LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(mParent)};
    const LV2_Feature* features[] = {&mMapFeature, &parent, nullptr};
    const std::string bundle = std::string(mPlugin.bundleDir) + "/";
    mUI = mDescriptor->instantiate(mDescriptor, mPlugin.uri, bundle.c_str(), Write, this, &mWidget, features);
    return mUI != nullptr;
  }
  void Close() {
    if (mUI) mDescriptor->cleanup(mUI);
    mUI = nullptr;
  }
  bool IsOpen() const { return mUI != nullptr; }
  void Idle() {
    if (!mUI) return;
    EXPECT_EQ(mIdle->idle(mUI), 0) << mPlugin.uri;
  }
  void SendPort(uint32_t port, float value) { mDescriptor->port_event(mUI, port, sizeof(float), 0, &value); }
  // The editor's window as the server shows it.
  std::vector<unsigned long> Picture() const {
    std::vector<unsigned long> pixels;
    const Window widget = static_cast<Window>(reinterpret_cast<uintptr_t>(mWidget));
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mX, widget, &attributes)) return pixels;
    XImage* shot = XGetImage(mX, widget, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!shot) return pixels;
    for (int y = 0; y < attributes.height; ++y)
      for (int x = 0; x < attributes.width; ++x) pixels.push_back(XGetPixel(shot, x, y) & 0xFFFFFF);
    XDestroyImage(shot);
    return pixels;
  }
  int Writes() const { return mWrites; }

 private:
  static void Write(LV2UI_Controller controller, uint32_t, uint32_t, uint32_t, const void*) {
    ++static_cast<EditorModule*>(controller)->mWrites;
  }

  const PluginUnderTest& mPlugin;
  ::Display* mX;
  void* mModule = nullptr;
  const LV2UI_Descriptor* mDescriptor = nullptr;
  const LV2UI_Idle_Interface* mIdle = nullptr;
  Window mParent = 0;
  LV2UI_Handle mUI = nullptr;
  LV2UI_Widget mWidget = nullptr;
  UridTable mUrids;
  LV2_Feature mMapFeature{LV2_URID__map, mUrids.Map()};
  int mWrites = 0;
};

class TwoEditorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(mServer.Name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", mServer.Name().c_str(), 1);
    mX = XOpenDisplay(mServer.Name().c_str());
    ASSERT_NE(mX, nullptr);
  }
  void TearDown() override {
    if (mX) XCloseDisplay(mX);
  }
  // Lets both editors draw what they were told.
  void Serve(EditorModule& a, EditorModule& b) {
    for (int i = 0; i < 10; ++i) {
      XSync(mX, False);
      a.Idle();
      b.Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  // The editor's picture with nothing else of the other plug-in loaded.
  std::vector<unsigned long> PictureAlone(const PluginUnderTest& plugin) {
    EditorModule editor(plugin, mX);
    EXPECT_TRUE(editor.Loaded());
    if (!editor.Loaded() || !editor.Open()) return {};
    Serve(editor, editor);
    return editor.Picture();
  }

  XvfbServer mServer{"1024x768x24"};
  ::Display* mX = nullptr;
};

TEST_F(TwoEditorsTest, OpenAndCloseInEveryOrderEachDrawingAsAlone) {
  const std::vector<unsigned long> korvalineAlone = PictureAlone(kKorvaline);
  const std::vector<unsigned long> slantwiseAlone = PictureAlone(kSlantwise);
  ASSERT_FALSE(korvalineAlone.empty());
  ASSERT_FALSE(slantwiseAlone.empty());

  EditorModule korvaline(kKorvaline, mX), slantwise(kSlantwise, mX);
  ASSERT_TRUE(korvaline.Loaded());
  ASSERT_TRUE(slantwise.Loaded());
  for (bool korvalineFirst : {true, false}) {
    for (bool firstClosesFirst : {true, false}) {
      SCOPED_TRACE(std::string(korvalineFirst ? "KORVALINE" : "Slantwise") + " opened first, " +
                   (firstClosesFirst ? "closed first" : "closed last"));
      EditorModule& first = korvalineFirst ? korvaline : slantwise;
      EditorModule& second = korvalineFirst ? slantwise : korvaline;
      ASSERT_TRUE(first.Open());
      Serve(first, second);
      ASSERT_TRUE(second.Open());
      Serve(first, second);
      EXPECT_EQ(korvaline.Picture(), korvalineAlone);
      EXPECT_EQ(slantwise.Picture(), slantwiseAlone);

      // A value sent to one editor moves its control only.
      korvaline.SendPort(kKorvaline.port, kKorvaline.changed);
      Serve(first, second);
      EXPECT_NE(korvaline.Picture(), korvalineAlone);
      EXPECT_EQ(slantwise.Picture(), slantwiseAlone);
      korvaline.SendPort(kKorvaline.port, 1.0f);
      slantwise.SendPort(kSlantwise.port, kSlantwise.changed);
      Serve(first, second);
      EXPECT_EQ(korvaline.Picture(), korvalineAlone);
      EXPECT_NE(slantwise.Picture(), slantwiseAlone);
      slantwise.SendPort(kSlantwise.port, 0.0f);
      Serve(first, second);

      // The one left open still works once the other is gone.
      EditorModule& closing = firstClosesFirst ? first : second;
      EditorModule& staying = firstClosesFirst ? second : first;
      closing.Close();
      Serve(first, second);
      const bool stayingIsKorvaline = &staying == &korvaline;
      const PluginUnderTest& stayingPlugin = stayingIsKorvaline ? kKorvaline : kSlantwise;
      EXPECT_EQ(staying.Picture(), stayingIsKorvaline ? korvalineAlone : slantwiseAlone);
      staying.SendPort(stayingPlugin.port, stayingPlugin.changed);
      Serve(first, second);
      EXPECT_NE(staying.Picture(), stayingIsKorvaline ? korvalineAlone : slantwiseAlone);
      staying.Close();
    }
  }
  // Values come from the host here: neither editor wrote a port of its own accord.
  EXPECT_EQ(korvaline.Writes(), 0);
  EXPECT_EQ(slantwise.Writes(), 0);
}

}  // namespace
}  // namespace korv_test
