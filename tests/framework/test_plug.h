#pragma once
// A minimal host binding and effect over IFxBase for tests: it records what the base tells the
// host and the effect, and a fake editor records what the base pushes into it.
#include <string>
#include <vector>

#include "framework/fx_base.h"

constexpr int kTestUniqueID = 0x4B6F7251;  // 'KorQ'
constexpr int kTestMfrID = 0x42726D41;     // 'BrmA'

class FakeEditor : public IEditorLink {
 public:
  struct Push {
    int paramIdx;
    double value;
    bool normalized;
  };
  explicit FakeEditor(int* pDestroyed = nullptr) : mDestroyed(pDestroyed) {}
  ~FakeEditor() override {
    if (mDestroyed) ++*mDestroyed;
  }
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
    mPushes.push_back({paramIdx, value, normalized});
  }
  void PrepDraw() override { mPrepDrawAfterPushes = static_cast<int>(mPushes.size()); }

  std::vector<Push> mPushes;
  int mPrepDrawAfterPushes = -1;
  int* mDestroyed;
};

class TestPlug : public IFxBase {
 public:
  explicit TestPlug(int nPresets = 0, bool stateChunks = true, const char* channelIO = "1-1 2-2")
      : IFxBase(3, channelIO, nPresets, "KORVAL-Q34", "KORVAL-Q34", "BrightmoorAudio", 0x10000, kTestUniqueID,
                kTestMfrID, 0, false, stateChunks, false, kAPIAU) {
    GetParam(0)->InitDouble("Dry", 0.0, 0.0, 1.0, 0.01);
    GetParam(1)->InitDouble("Wet", 1.0, 0.0, 1.0, 0.01);
    GetParam(2)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "dB");
  }

  void OnParamChange(int paramIdx) override { mParamChanges.push_back(paramIdx); }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override {
    mInformed.push_back({paramIdx, normalizedValue});
    mMutexHeldWhenInformed = mMutex.GetEnterCount() > 0;
  }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override { ++mProgramChanges; }
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int* pNum, int* pDenom) override { *pNum = *pDenom = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* pMsg) override {
    mSent.push_back(*pMsg);
    return pMsg->mData1 != 0;
  }

  void SetValues(double dry, double wet, double out) {
    GetParam(0)->Set(dry);
    GetParam(1)->Set(wet);
    GetParam(2)->Set(out);
  }
  std::vector<double> Values() const {
    return {GetParam(0)->Value(), GetParam(1)->Value(), GetParam(2)->Value()};
  }
  void UseLatencyDelay(int samples) {
    mLatencyDelay = new NChanDelayLine(NInChannels(), NOutChannels());
    SetLatency(samples);
  }

  struct Inform {
    int paramIdx;
    double value;
  };
  std::vector<int> mParamChanges;
  std::vector<Inform> mInformed;
  std::vector<IMidiMsg> mSent;
  bool mMutexHeldWhenInformed = false;
  int mProgramChanges = 0;
  double mTempo = 0.0;
};
