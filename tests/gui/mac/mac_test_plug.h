#pragma once
// A plug-in on the Audio Unit binding with a Mac editor: a background and three film-strip knobs
// ("Dry", "Wet", "Out") whose pictures come from the test bundle.
#include "au/ifx_au.h"
#include "gui/mac/igraphics_mac.h"
#include "test_pictures.h"

namespace mac_test {

enum EMacTestParam { kDry = 0, kWet, kOut, kNumParams };

constexpr const char* kTestBundleID = "com.korvaline.test.macview";
constexpr const char* kTestViewClassName = "MacViewTest_View";
constexpr int kUniqueID = 0x4D765431;  // 'MvT1'
constexpr int kMfrID = 0x4B727654;     // 'KrvT'

// Knob positions in the editor.
constexpr int kDryX = 20, kDryY = 20;
constexpr int kWetX = 130, kWetY = 20;
constexpr int kOutX = 77, kOutY = 300;

class MacTestPlug : public IFxAU {
 public:
  MacTestPlug();
  void OnGUIOpen() override { ++mGUIOpens; }
  void OnGUIClose() override { ++mGUICloses; }
  IGraphicsMac* Editor() const { return mEditor; }

  int mGUIOpens = 0;
  int mGUICloses = 0;

 private:
  IGraphicsMac* mEditor;
};

}  // namespace mac_test
