#pragma once
// The Audio Unit host binding: one component entry decodes the host's selectors and drives the
// plug-in base; properties, parameters, buses, rendering and the saved state are answered here.
#include <AudioToolbox/AudioUnitUtilities.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

#include <atomic>

#include "framework/fx_base.h"
#include "framework/instance_info.h"


class IFxAU : public IFxBase {
 public:
  enum EAUInputType { eNotConnected = 0, eDirectFastProc, eDirectNoFastProc, eRenderCallback };

  struct BusChannels {
    bool mIsConnected = false;
    int mHostChannelCount = -1;
    int mPlugChannelCount = 0;
    int mFirstPlugChannel = 0;
  };

  struct InputBusConnection {
    void* mUpstreamStorage = nullptr;
    AudioUnit mUpstreamUnit = nullptr;
    UInt32 mUpstreamBusIndex = 0;
    AudioUnitRenderProc mUpstreamRenderProc = nullptr;
    AURenderCallbackStruct mRenderCallbackStruct = {nullptr, nullptr};
    EAUInputType mInputType = eNotConnected;
  };

  struct PropertyListener {
    AudioUnitPropertyID mPropertyID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mListenerData;
  };

  // The input pull's buffer list lives on the stack, so one bus carries at most this many channels.
  static constexpr int kMaxBusChannels = 128;
  // Largest maximum-frames-per-slice a host may set; the scratch audio is sized from it.
  static constexpr UInt32 kMaxFramesPerSliceLimit = 1u << 20;

  IFxAU(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
        const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
        int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels = 0);
  ~IFxAU() override;

  // ---- Host entry points ----
  static ComponentResult IFxAUEntry(ComponentParameters* params, void* pPlug);
  static OSStatus GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* pValue);
  static OSStatus SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 offsetFrames);
  static OSStatus RenderProc(void* pPlug, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                             UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList);
  // The Carbon view component's entry; pView is its CarbonViewRecord (null at open).
  static ComponentResult IFxAUCarbonViewEntry(ComponentParameters* params, void* pView);

  // ---- IFxBase hooks ----
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override { return mRenderingOffline; }
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void SetBlockSize(int blockSize) override;

  // ---- Properties (the dispatcher holds the instance mutex) ----
  // On entry *pDataSize is the room at pData; on return the property's size.
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, Boolean* pWriteable, void* pData);
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32 dataSize, const void* pData);
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);

  // ---- State ----
  ComponentResult GetState(CFPropertyListRef* ppPropList);
  ComponentResult SetState(CFPropertyListRef pPropList);

  // ---- Buses and formats ----
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement element);
  int NInputBuses() const { return mInputBuses.GetSize(); }
  int NOutputBuses() const { return mOutputBuses.GetSize(); }
  bool IsInitialized() const { return mIsInitialized.load(std::memory_order_acquire); }
  const InputBusConnection* GetInputConnection(int busIdx) const { return mInputConnections.Get(busIdx); }
  // Where audio fed by a render callback lands: channel c at c x frame count floats.
  const float* GetInputScratch() const { return mInputScratch.Get(); }
  static void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved);
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  bool CheckLegalIO();
  static int NHostChannelsConnected(const BRM_PtrList<BusChannels>* pBuses, int excludeIdx);
  void AssessInputConnections();
  void ClearConnections();
  int GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags);
  static AudioChannelLayoutTag GetTagForNumChannels(int nChannels);

 private:
  static OSStatus GetProc(AudioUnitElement element, UInt32* pDataSize, void* pData);
  static OSStatus RenderCallback(const AURenderCallbackStruct* pCB, AudioUnitRenderActionFlags* pFlags,
                                 const AudioTimeStamp* pTimestamp, UInt32 busIdx, UInt32 nFrames,
                                 AudioBufferList* pBufList);
  ComponentResult DispatchLocked(SInt16 select, const long* args);
  ComponentResult ScheduleParameters(const AudioUnitParameterEvent* pEvents, UInt32 nEvents);
  void SendAUEvent(AudioUnitEventType type, int paramIdx);
  void CallRenderNotifications(AudioUnitRenderActionFlags phase, const AudioTimeStamp* pTimestamp, UInt32 busIdx,
                               UInt32 nFrames, AudioBufferList* pBufList);
  OSStatus Render(const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                  AudioBufferList* pOutBufList);
  OSStatus PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames);
  void AttachOutputs(UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList);

  // Parameter properties.
  ComponentResult GetParamInfo(int paramIdx, AudioUnitParameterInfo* pInfo);
  ComponentResult GetParamValueStrings(int paramIdx, UInt32* pDataSize, void* pData);
  ComponentResult GetParamStringFromValue(void* pData);
  ComponentResult GetParamIDName(void* pData);
  ComponentResult GetParamClumpName(void* pData);
  ComponentResult GetParamValueFromString(void* pData);
  ComponentResult GetElementName(AudioUnitScope scope, AudioUnitElement element, void* pData);
  void SetHostIdentifier(const AUHostIdentifier* pHostID);

  // I/O properties.
  void CreateBuses(int nSideChainChannels);
  ComponentResult GetStreamFormat(AudioUnitScope scope, AudioUnitElement element, void* pData);
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element, const AudioStreamBasicDescription* pASBD);
  ComponentResult MakeConnection(AudioUnitScope scope, const AudioUnitConnection* pConnection);
  ComponentResult SetRenderCallback(AudioUnitScope scope, AudioUnitElement element, const AURenderCallbackStruct* pCB);
  void GetSupportedNumChannels(void* pData);

  // Editor views.
  ComponentResult GetCocoaViewInfo(UInt32* pDataSize, void* pData);
  ComponentResult GetUIComponentList(UInt32* pDataSize, void* pData);

  // State and presets.
  ComponentResult GetFactoryPresets(void* pData);
  void GetPresentPreset(void* pData);

  BRM_String mBundleID;
  BRM_String mViewFactoryClassName;
  char mParamDisplayBuffer[kParamDisplayLen] = {};
  ComponentInstance mComponentInstance = nullptr;
  // Read by a render that may run without the instance mutex.
  std::atomic<bool> mIsInitialized{false};
  bool mRenderingOffline = false;
  double mLastRenderSampleTime = -1.0;
  double mLastTempo = 120.0;
  HostCallbackInfo mHostCallbackInfo = {nullptr, nullptr, nullptr, nullptr};
  BRM_TypedBuf<float> mInputScratch, mOutputScratch;
  BRM_PtrList<AURenderCallbackStruct> mRenderNotifyList;
  BRM_PtrList<BusChannels> mInputBuses, mOutputBuses;
  BRM_PtrList<InputBusConnection> mInputConnections;
  BRM_PtrList<PropertyListener> mPropertyListeners;
};

// Defined by the effect: constructs the plug-in when the host opens the component.
IFxAU* MakePlug();
