// Construction, the component entry, the fast-dispatch parameter procedures, listeners and the
// host notifications of IFxAU.
#include "au/ifx_au.h"

#include <cstring>

#include "au/cf_text.h"
#include "framework/trace.h"

namespace {

// 32-bit arguments sit in the low half of their word.
UInt32 Arg32(long word) { return static_cast<UInt32>(word); }

Float32 ArgFloat(long word) {
  UInt32 bits = Arg32(word);
  Float32 value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

template <class T>
T* ArgPtr(long word) {
  return reinterpret_cast<T*>(word);
}

template <class Proc>
Proc ArgProc(long word) {
  return reinterpret_cast<Proc>(word);
}

// The music-device selectors are served to a plug-in that takes MIDI; any other is better off not
// sending them.
bool CanDo(long selector, bool takesMidi) {
  return (selector >= kAudioUnitInitializeSelect && selector <= kAudioUnitSetParameterSelect) ||
         (selector >= kAudioUnitResetSelect && selector <= kAudioUnitRemovePropertyListenerSelect) ||
         (selector >= kAudioUnitRenderSelect && selector <= kAudioUnitScheduleParametersSelect) ||
         (takesMidi && selector >= kMusicDeviceMIDIEventSelect && selector <= kMusicDeviceStopNoteSelect);
}

}  // namespace

IFxAU::IFxAU(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
             int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels)
    : IFxBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID, latency,
              plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU),
      mBundleID(instanceInfo.mBundleID),
      mViewFactoryClassName(instanceInfo.mCocoaViewFactoryClassName) {
  Trace(__FUNCTION__, __LINE__, "%s", effectName);
  CreateBuses(nSideChainChannels);
  AssessInputConnections();
  SetBlockSize(1024);
}

IFxAU::~IFxAU() {
  mRenderNotifyList.Empty(true);
  mInputBuses.Empty(true);
  mOutputBuses.Empty(true);
  mInputConnections.Empty(true);
  mPropertyListeners.Empty(true);
}

ComponentResult IFxAU::IFxAUEntry(ComponentParameters* params, void* pPlug) {
  if (!params) return badComponentSelector;
  const SInt16 select = params->what;
  Trace(__FUNCTION__, __LINE__, "(%d:%s)", select, AUSelectStr(select));
  IFxAU* _this = static_cast<IFxAU*>(pPlug);

  if (select == kComponentOpenSelect) {
    _this = MakePlug();
    if (!_this) return kAudioUnitErr_FailedInitialization;
    _this->HostSpecificInit();
    _this->PruneUninitializedPresets();
    _this->mComponentInstance = ArgPtr<ComponentInstanceRecord>(params->params[1]);
    SetComponentInstanceStorage(_this->mComponentInstance, reinterpret_cast<Handle>(_this));
    return noErr;
  }
  if (select == kComponentCloseSelect) {
    // A refused open is still closed, with no plug-in behind it.
    if (_this) {
      _this->ClearConnections();
      delete _this;
    }
    return noErr;
  }
  if (!_this) return badComponentInstance;
  IMutexLock lock(_this);
  if (select == kComponentCanDoSelect) return CanDo(params->params[0], _this->IsInst() || _this->DoesMIDI()) ? 1 : 0;
  return _this->DispatchLocked(select, params->params + 1);
}

ComponentResult IFxAU::DispatchLocked(SInt16 select, const long* args) {
  switch (select) {
    case kComponentVersionSelect:
      return GetEffectVersion(false);
    case kAudioUnitInitializeSelect:
      if (!CheckLegalIO()) return badComponentSelector;
      // A host need not have set the rate, the block size or reset the unit before this: the
      // effect must leave here ready for the rate it will run at, as render may not allocate.
      Reset();
      OnParamReset();
      OnActivate(true);
      // Last, so a render that does not wait for the mutex finds everything prepared.
      mIsInitialized = true;
      return noErr;
    case kAudioUnitUninitializeSelect:
      mIsInitialized = false;
      OnActivate(false);
      return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
      UInt32 localSize = 0;
      Boolean localWriteable = false;
      UInt32* pDataSize = ArgPtr<UInt32>(args[3]);
      Boolean* pWriteable = ArgPtr<Boolean>(args[4]);
      if (!pDataSize) pDataSize = &localSize;
      if (!pWriteable) pWriteable = &localWriteable;
      *pWriteable = false;
      return GetProperty(Arg32(args[0]), Arg32(args[1]), Arg32(args[2]), pDataSize, pWriteable, nullptr);
    }
    case kAudioUnitGetPropertySelect: {
      void* pData = ArgPtr<void>(args[3]);
      UInt32* pDataSize = ArgPtr<UInt32>(args[4]);
      // Without a size there is no telling how much the host's buffer holds.
      if (pData && !pDataSize) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 localSize = 0;
      Boolean localWriteable = false;
      if (!pDataSize) pDataSize = &localSize;
      return GetProperty(Arg32(args[0]), Arg32(args[1]), Arg32(args[2]), pDataSize, &localWriteable, pData);
    }
    case kAudioUnitSetPropertySelect:
      return SetProperty(Arg32(args[0]), Arg32(args[1]), Arg32(args[2]), Arg32(args[4]), ArgPtr<const void>(args[3]));
    case kAudioUnitGetParameterSelect:
      return GetParamProc(this, Arg32(args[0]), Arg32(args[1]), Arg32(args[2]),
                          ArgPtr<AudioUnitParameterValue>(args[3]));
    case kAudioUnitSetParameterSelect:
      return SetParamProc(this, Arg32(args[0]), Arg32(args[1]), Arg32(args[2]), ArgFloat(args[3]), Arg32(args[4]));
    case kAudioUnitResetSelect:
      // Hosts reset when the transport stops or jumps: the old reverb tail must not follow.
      Reset();
      ForgetAudioHistory();
      return noErr;
    case kAudioUnitAddPropertyListenerSelect: {
      PropertyListener listener = {Arg32(args[0]), ArgProc<AudioUnitPropertyListenerProc>(args[1]),
                                   ArgPtr<void>(args[2])};
      // A null procedure would be called on the next change of its property.
      if (!listener.mListenerProc) return kAudioUnitErr_InvalidPropertyValue;
      for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        const PropertyListener* pListener = mPropertyListeners.Get(i);
        if (pListener->mPropertyID == listener.mPropertyID && pListener->mListenerProc == listener.mListenerProc)
          return noErr;
      }
      mPropertyListeners.Add(new PropertyListener(listener));
      return noErr;
    }
    case kAudioUnitRemovePropertyListenerSelect:
    case kAudioUnitRemovePropertyListenerWithUserDataSelect: {
      const bool matchData = select == kAudioUnitRemovePropertyListenerWithUserDataSelect;
      for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        const PropertyListener* pListener = mPropertyListeners.Get(i);
        if (pListener->mPropertyID == Arg32(args[0]) &&
            pListener->mListenerProc == ArgProc<AudioUnitPropertyListenerProc>(args[1]) &&
            (!matchData || pListener->mListenerData == ArgPtr<void>(args[2]))) {
          mPropertyListeners.Delete(i, true);
          break;
        }
      }
      return noErr;
    }
    case kAudioUnitRenderSelect:
      return RenderProc(this, ArgPtr<AudioUnitRenderActionFlags>(args[0]), ArgPtr<const AudioTimeStamp>(args[1]),
                        Arg32(args[2]), Arg32(args[3]), ArgPtr<AudioBufferList>(args[4]));
    case kAudioUnitAddRenderNotifySelect: {
      AURenderCallbackStruct notify = {ArgProc<AURenderCallback>(args[0]), ArgPtr<void>(args[1])};
      if (!notify.inputProc) return kAudioUnitErr_InvalidPropertyValue;
      mRenderNotifyList.Add(new AURenderCallbackStruct(notify));
      return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect:
      for (int i = 0; i < mRenderNotifyList.GetSize(); ++i) {
        if (mRenderNotifyList.Get(i)->inputProc == ArgProc<AURenderCallback>(args[0])) {
          mRenderNotifyList.Delete(i, true);
          break;
        }
      }
      return noErr;
    case kAudioUnitScheduleParametersSelect:
      return ScheduleParameters(ArgPtr<const AudioUnitParameterEvent>(args[0]), Arg32(args[1]));
    case kMusicDeviceMIDIEventSelect: {
      IMidiMsg msg(static_cast<int>(Arg32(args[3])), static_cast<unsigned char>(args[0]),
                   static_cast<unsigned char>(args[1]), static_cast<unsigned char>(args[2]));
      ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDeviceSysExSelect: {
      ISysEx sysEx(0, ArgPtr<const unsigned char>(args[0]), static_cast<int>(Arg32(args[1])));
      ProcessSysEx(&sysEx);
      return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
      return noErr;
    case kMusicDeviceStartNoteSelect: {
      const MusicDeviceNoteParams* pNoteParams = ArgPtr<const MusicDeviceNoteParams>(args[4]);
      if (!pNoteParams) return kAudioUnitErr_InvalidPropertyValue;
      int note = TruncToInt(pNoteParams->mPitch);
      if (NoteInstanceID* pNoteID = ArgPtr<NoteInstanceID>(args[2])) *pNoteID = static_cast<NoteInstanceID>(note);
      IMidiMsg msg;
      msg.MakeNoteOnMsg(note, TruncToInt(pNoteParams->mVelocity), static_cast<int>(Arg32(args[3])), 0);
      ProcessMidiMsg(&msg);
      return noErr;
    }
    case kMusicDeviceStopNoteSelect: {
      IMidiMsg msg;
      msg.MakeNoteOffMsg(static_cast<int>(Arg32(args[1])), static_cast<int>(Arg32(args[2])), 0);
      ProcessMidiMsg(&msg);
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

ComponentResult IFxAU::ScheduleParameters(const AudioUnitParameterEvent* pEvents, UInt32 nEvents) {
  if (!pEvents && nEvents) return kAudioUnitErr_InvalidPropertyValue;
  for (UInt32 i = 0; i < nEvents; ++i) {
    const AudioUnitParameterEvent& event = pEvents[i];
    if (event.eventType != kParameterEvent_Immediate) continue;
    OSStatus status = SetParamProc(this, event.parameter, event.scope, event.element,
                                   event.eventValues.immediate.value, event.eventValues.immediate.bufferOffset);
    if (status != noErr) return status;
  }
  return noErr;
}

OSStatus IFxAU::GetProc(AudioUnitElement element, UInt32* pDataSize, void* pData) {
  Trace(__FUNCTION__, __LINE__, "%s:(%d:%s)", pData ? "" : "Info", static_cast<int>(element),
        AUSelectStr(static_cast<int>(element)));
  void* proc;
  switch (element) {
    case kAudioUnitGetParameterSelect:
      proc = reinterpret_cast<void*>(&IFxAU::GetParamProc);
      break;
    case kAudioUnitSetParameterSelect:
      proc = reinterpret_cast<void*>(&IFxAU::SetParamProc);
      break;
    case kAudioUnitRenderSelect:
      proc = reinterpret_cast<void*>(&IFxAU::RenderProc);
      break;
    default:
      return kAudioUnitErr_InvalidElement;
  }
  const UInt32 capacity = *pDataSize;
  *pDataSize = sizeof(proc);
  if (pData) {
    if (capacity < sizeof(proc)) return kAudioUnitErr_InvalidPropertyValue;
    std::memcpy(pData, &proc, sizeof(proc));
  }
  return noErr;
}

OSStatus IFxAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                             AudioUnitParameterValue* pValue) {
  Trace(__FUNCTION__, __LINE__, "%d:(%d:%s):%d", static_cast<int>(paramID), static_cast<int>(scope),
        AUScopeStr(static_cast<int>(scope)), static_cast<int>(element));
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  IFxAU* _this = static_cast<IFxAU*>(pPlug);
  if (!_this || !pValue) return kAudioUnitErr_InvalidPropertyValue;
  IMutexLock lock(_this);
  IParam* pParam = paramID < static_cast<UInt32>(_this->NParams()) ? _this->GetParam(static_cast<int>(paramID)) : nullptr;
  if (!pParam) return kAudioUnitErr_InvalidParameter;
  *pValue = static_cast<AudioUnitParameterValue>(pParam->Value());
  return noErr;
}

OSStatus IFxAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                             AudioUnitParameterValue value, UInt32) {
  Trace(__FUNCTION__, __LINE__, "%d:(%d:%s):%d", static_cast<int>(paramID), static_cast<int>(scope),
        AUScopeStr(static_cast<int>(scope)), static_cast<int>(element));
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  IFxAU* _this = static_cast<IFxAU*>(pPlug);
  if (!_this) return kAudioUnitErr_InvalidPropertyValue;
  if (paramID >= static_cast<UInt32>(_this->NParams())) return kAudioUnitErr_InvalidParameter;
  _this->SetParameterFromHost(static_cast<int>(paramID), static_cast<double>(value));
  return noErr;
}

void IFxAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope) {
  // A listener may remove itself through the entry: it is copied before the call, and the walk
  // stays at the same position when the record there has gone.
  for (int i = 0; i < mPropertyListeners.GetSize();) {
    const PropertyListener* pListener = mPropertyListeners.Get(i);
    const PropertyListener listener = *pListener;
    if (listener.mPropertyID == propID)
      listener.mListenerProc(listener.mListenerData, mComponentInstance, propID, scope, 0);
    if (mPropertyListeners.Get(i) == pListener) ++i;
  }
}

void IFxAU::SendAUEvent(AudioUnitEventType type, int paramIdx) {
  AudioUnitEvent event;
  std::memset(&event, 0, sizeof(event));
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = mComponentInstance;
  event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(paramIdx);
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IFxAU::BeginInformHostOfParamChange(int paramIdx) {
  Trace(__FUNCTION__, __LINE__, "%d", paramIdx);
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, paramIdx);
}

void IFxAU::InformHostOfParamChange(int paramIdx, double normalizedValue) {
  Trace(__FUNCTION__, __LINE__, "%d:%f", paramIdx, normalizedValue);
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, paramIdx);
}

void IFxAU::EndInformHostOfParamChange(int paramIdx) {
  Trace(__FUNCTION__, __LINE__, "%d", paramIdx);
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, paramIdx);
}

void IFxAU::InformHostOfProgramChange() { InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global); }

void IFxAU::SetLatency(int samples) {
  // Listeners run first, so one that reads the latency during its call still sees the old value.
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
  IFxBase::SetLatency(samples);
}

EHost IFxAU::GetHost() {
  if (mHost == kHostUninit) {
    CFBundleRef mainBundle = CFBundleGetMainBundle();
    CFStringRef identifier = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
    if (identifier) {
      CStrLocal hostID(identifier);
      SetHost(hostID.Get(), 0);
    }
    if (mHost == kHostUninit) SetHost("", 0);
  }
  return mHost;
}

void IFxAU::HostSpecificInit() {
  GetHost();
  OnHostIdentified();
}

void IFxAU::SetBlockSize(int blockSize) {
  const int n = blockSize > 0 ? blockSize : 0;
  mInputScratch.Resize(n * NInChannels());
  mOutputScratch.Resize(n * NOutChannels());
  mInputScratch.Zero();
  mOutputScratch.Zero();
  IFxBase::SetBlockSize(blockSize);
}

void IFxAU::ResizeGraphics(int, int) {
  if (GetGUI()) OnWindowResize();
}
