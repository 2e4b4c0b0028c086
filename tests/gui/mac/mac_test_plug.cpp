#include "mac_test_plug.h"

#include "gui/knob_controls.h"

namespace mac_test {

MacTestPlug::MacTestPlug()
    : IFxAU(IFxInstanceInfo{BRM_String(kTestBundleID), BRM_String(kTestViewClassName)}, kNumParams, "1-1 2-2", 0,
            "MacViewTest", "MacViewTest", "KorvTest", 0x10000, kUniqueID, kMfrID, 0, false, false, false) {
  GetParam(kDry)->InitDouble("Dry", 0.0, 0.0, 1.0, 0.001);
  GetParam(kWet)->InitDouble("Wet", 1.0, 0.0, 1.0, 0.001);
  GetParam(kOut)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "dB");
  mEditor = new IGraphicsMac(this, kEditorW, kEditorH, 25);
  mEditor->SetBundleID(kTestBundleID);
  mEditor->AttachBackground(1, "resources/img/bg.png");
  IBitmap knob = mEditor->LoadIBitmap(2, "resources/img/knob.png", kKnobFrames);
  mEditor->AttachControl(new IKnobMultiControl(this, kDryX, kDryY, kDry, &knob));
  mEditor->AttachControl(new IKnobMultiControl(this, kWetX, kWetY, kWet, &knob));
  mEditor->AttachControl(new IKnobMultiControl(this, kOutX, kOutY, kOut, &knob));
  AttachGraphics(mEditor);
}

}  // namespace mac_test
