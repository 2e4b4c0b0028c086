#include "test_au_plug.h"

TestAUPlug::TestAUPlug(const TestPlugOptions& options)
    : IFxAU(IFxInstanceInfo{BRM_String("com.korvaline.test.auplug"), BRM_String("TestAUPlug_View")}, kNumTestParams,
            options.channelIO, options.nPresets, "TestAU", "TestAU", "KorvTest", 0x10000, kTestAUUniqueID, kTestAUMfrID,
            0, false, false, options.isInstrument, options.nSideChain) {
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.001, "x", "Main");
  GetParam(kInvert)->InitBool("Invert", false, "", "Flags");
  GetParam(kOut)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001);
  GetParam(kSaturation)->InitDouble("Saturation", 0.5, 0.0, 1.0, 0.001, "", "Main");
  for (int i = 0; i < options.nPresets; ++i) {
    const char name[2] = {static_cast<char>('A' + i), 0};
    MakePreset(name, 0.5 + 0.25 * i, 0, 0.0, 0.5);
  }
  if (options.withEditor) {
    mEditor = new RecordingEditor;
    AttachGraphics(mEditor);
  }
}

void TestAUPlug::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  mParamChanges.push_back(paramIdx);
  if (paramIdx == kGain) mGain = GetParam(kGain)->Value();
}

void TestAUPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  ++mProcessCalls;
  for (int c = 0; c < NOutChannels(); ++c) {
    const double* in = inputs[c < NInChannels() ? c : 0];
    for (int s = 0; s < nFrames; ++s) outputs[c][s] = in[s] * mGain.load(std::memory_order_relaxed);
  }
}
