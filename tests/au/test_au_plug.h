#pragma once
// A small plug-in on the Audio Unit binding for tests: four parameters in two groups, "1-1 2-2",
// a gain as its processing, and counters for every hook the binding calls.
#include <atomic>
#include <vector>

#include "au/ifx_au.h"

constexpr int kTestAUUniqueID = 0x54737441;  // 'TstA'
constexpr int kTestAUMfrID = 0x4B727654;     // 'KrvT'

enum ETestParam { kGain = 0, kInvert, kOut, kSaturation, kNumTestParams };

class RecordingEditor : public IEditorLink {
 public:
  struct Push {
    int paramIdx;
    double value;
    bool normalized;
  };
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override {
    mPushes.push_back({paramIdx, value, normalized});
  }
  void PrepDraw() override {}
  std::vector<Push> mPushes;
};

// Options for the next plug-in MakePlug builds in the test program.
struct TestPlugOptions {
  const char* channelIO = "1-1 2-2";
  int nPresets = 0;
  bool withEditor = false;
  bool isInstrument = false;
  int nSideChain = 0;
};
extern TestPlugOptions g_testPlugOptions;

class TestAUPlug : public IFxAU {
 public:
  explicit TestAUPlug(const TestPlugOptions& options = TestPlugOptions());

  void Reset() override {
    ++mResets;
    mLastResetRate = GetSampleRate();
  }
  void ForgetAudioHistory() override { ++mHistoryForgotten; }
  void OnParamChange(int paramIdx) override;
  void OnActivate(bool active) override { mActivations.push_back(active); }
  void OnHostIdentified() override { ++mHostIdentified; }
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(IMidiMsg* pMsg) override { mMidi.push_back(*pMsg); }

  int mResets = 0;
  double mLastResetRate = 0.0;
  int mHistoryForgotten = 0;
  int mHostIdentified = 0;
  std::vector<int> mParamChanges;
  std::vector<bool> mActivations;
  std::vector<IMidiMsg> mMidi;
  std::atomic<int> mProcessCalls{0};
  RecordingEditor* mEditor = nullptr;

 private:
  std::atomic<double> mGain{1.0};
};
