#pragma once
// A plug-in base that tells its host nothing: host notifications go nowhere, and the transport
// reports a stopped 4/4 at 120 beats per minute. The binding for running without any host (offline
// processing, tests), and the base of bindings whose host hears of changes by other means (LV2 ports).
#include "framework/fx_base.h"
#include "framework/instance_info.h"
#include "framework/time_info.h"

class IFxQuietBase : public IFxBase {
 public:
  // The same arguments as a host binding takes, so a plug-in can be built on either.
  IFxQuietBase(const IFxInstanceInfo&, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
               const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
               bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, [[maybe_unused]] int nSideChainChannels = 0)
      : IFxBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIStandalone) {}

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* pNum, int* pDenom) override {
    if (pNum) *pNum = 4;
    if (pDenom) *pDenom = 4;
  }
  void GetTime(ITimeInfo* pTimeInfo) override {
    if (pTimeInfo) *pTimeInfo = ITimeInfo();
  }
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};
