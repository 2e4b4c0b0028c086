// The property tables of IFxAU: what a host may ask and what it may change.
#include <cstring>

#include "au/ifx_au.h"
#include "au/korv_au_properties.h"
#include "framework/trace.h"

namespace {

template <class T>
void PutValue(void* pData, T value) {
  std::memcpy(pData, &value, sizeof(T));
}

template <class T>
T ReadValue(const void* pData) {
  T value;
  std::memcpy(&value, pData, sizeof(T));
  return value;
}

}  // namespace

ComponentResult IFxAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                   UInt32* pDataSize, Boolean* pWriteable, void* pData) {
  Trace(__FUNCTION__, __LINE__, "%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", static_cast<int>(propID),
        AUPropertyStr(static_cast<int>(propID)), static_cast<int>(scope), AUScopeStr(static_cast<int>(scope)),
        static_cast<int>(element));
  const UInt32 capacity = *pDataSize;
  // Sets the size; true when there is data to write and room for it.
  bool tooSmall = false;
  auto sizeAndRoom = [&](UInt32 size) {
    *pDataSize = size;
    tooSmall = pData && capacity < size;
    return pData && !tooSmall;
  };
  const bool global = scope == kAudioUnitScope_Global;

  switch (propID) {
    case kAudioUnitProperty_ClassInfo:
      *pWriteable = true;
      if (sizeAndRoom(sizeof(CFPropertyListRef))) {
        CFPropertyListRef propList = nullptr;
        ComponentResult status = GetState(&propList);
        PutValue(pData, propList);
        return status;
      }
      break;
    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      sizeAndRoom(sizeof(AudioUnitConnection));
      break;
    case kAudioUnitProperty_SampleRate:
      *pWriteable = true;
      if (sizeAndRoom(sizeof(Float64))) PutValue<Float64>(pData, GetSampleRate());
      break;
    case kAudioUnitProperty_ParameterList: {
      const int n = global ? NParams() : 0;
      if (sizeAndRoom(static_cast<UInt32>(n) * sizeof(AudioUnitParameterID)))
        for (int i = 0; i < n; ++i)
          PutValue<AudioUnitParameterID>(static_cast<AudioUnitParameterID*>(pData) + i, static_cast<UInt32>(i));
      break;
    }
    case kAudioUnitProperty_ParameterInfo:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<UInt32>(NParams())) return kAudioUnitErr_InvalidElement;
      if (sizeAndRoom(sizeof(AudioUnitParameterInfo))) {
        AudioUnitParameterInfo info;
        ComponentResult status = GetParamInfo(static_cast<int>(element), &info);
        PutValue(pData, info);
        return status;
      }
      break;
    case kAudioUnitProperty_FastDispatch:
      return GetProc(element, pDataSize, pData);
    case kAudioUnitProperty_StreamFormat:
      if (!GetBus(scope, element)) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      if (sizeAndRoom(sizeof(AudioStreamBasicDescription))) return GetStreamFormat(scope, element, pData);
      break;
    case kAudioUnitProperty_ElementCount:
      if (sizeAndRoom(sizeof(UInt32))) {
        UInt32 count = 0;
        if (scope == kAudioUnitScope_Input) count = static_cast<UInt32>(NInputBuses());
        else if (scope == kAudioUnitScope_Output) count = static_cast<UInt32>(NOutputBuses());
        else if (global) count = 1;
        PutValue(pData, count);
      }
      break;
    case kAudioUnitProperty_Latency:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (sizeAndRoom(sizeof(Float64))) PutValue<Float64>(pData, GetLatency() / GetSampleRate());
      break;
    case kAudioUnitProperty_SupportedNumChannels:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (sizeAndRoom(static_cast<UInt32>(NChannelIO()) * sizeof(AUChannelInfo))) GetSupportedNumChannels(pData);
      break;
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      if (sizeAndRoom(sizeof(UInt32))) PutValue<UInt32>(pData, static_cast<UInt32>(GetBlockSize()));
      break;
    case kAudioUnitProperty_ParameterValueStrings:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= static_cast<UInt32>(NParams())) return kAudioUnitErr_InvalidElement;
      return GetParamValueStrings(static_cast<int>(element), pDataSize, pData);
    case kAudioUnitProperty_AudioChannelLayout:
      return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_TailTime:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *pWriteable = GetTailSize() > 0;
      if (sizeAndRoom(sizeof(Float64))) PutValue<Float64>(pData, GetTailSize() / GetSampleRate());
      break;
    case kAudioUnitProperty_BypassEffect:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      if (sizeAndRoom(sizeof(UInt32))) PutValue<UInt32>(pData, IsBypassed() ? 1 : 0);
      break;
    case kAudioUnitProperty_LastRenderError:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (sizeAndRoom(sizeof(OSStatus))) PutValue<OSStatus>(pData, noErr);
      break;
    case kAudioUnitProperty_SetRenderCallback:
      if ((!global && scope != kAudioUnitScope_Input) || element >= static_cast<UInt32>(NInputBuses()))
        return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      sizeAndRoom(sizeof(AURenderCallbackStruct));
      break;
    case kAudioUnitProperty_FactoryPresets:
      if (sizeAndRoom(sizeof(CFArrayRef))) return GetFactoryPresets(pData);
      break;
    case kAudioUnitProperty_HostCallbacks:
      if (!global) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      sizeAndRoom(sizeof(HostCallbackInfo));
      break;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      *pWriteable = true;
      if (sizeAndRoom(sizeof(AUPreset))) GetPresentPreset(pData);
      break;
    case kAudioUnitProperty_ElementName:
      *pWriteable = false;
      // Only given with data: the name is a new string the host must release.
      if (!pData) return kAudioUnitErr_InvalidProperty;
      if (sizeAndRoom(sizeof(CFStringRef))) return GetElementName(scope, element, pData);
      break;
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
      if (!IsInst() || NOutputBuses() == 1) return kAudioUnitErr_InvalidProperty;
      const int nTags = GetChannelLayoutTags(scope, element, nullptr);
      if (!nTags) return kAudioUnitErr_InvalidProperty;
      *pWriteable = true;
      if (sizeAndRoom(static_cast<UInt32>(nTags) * sizeof(AudioChannelLayoutTag))) {
        AudioChannelLayoutTag tag;
        GetChannelLayoutTags(scope, element, &tag);
        PutValue(pData, tag);
      }
      break;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
      if (sizeAndRoom(sizeof(AudioUnitParameterStringFromValue)) && global) return GetParamStringFromValue(pData);
      break;
    case kAudioUnitProperty_ParameterIDName:
      if (sizeAndRoom(sizeof(AudioUnitParameterIDName)) && global) return GetParamIDName(pData);
      break;
    case kAudioUnitProperty_ParameterClumpName:
      if (sizeAndRoom(sizeof(AudioUnitParameterNameInfo)) && global) return GetParamClumpName(pData);
      break;
    case kAudioUnitProperty_ParameterValueFromString:
      if (sizeAndRoom(sizeof(AudioUnitParameterValueFromString)) && global) return GetParamValueFromString(pData);
      break;
    case kAudioUnitProperty_GetUIComponentList:
      return GetUIComponentList(pDataSize, pData);
    case kAudioUnitProperty_CocoaUI:
      return GetCocoaViewInfo(pDataSize, pData);
    case kMusicDeviceProperty_InstrumentCount:
      if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
      if (sizeAndRoom(sizeof(UInt32))) PutValue<UInt32>(pData, 1);
      break;
    default:
      return kAudioUnitErr_InvalidProperty;
  }
  return tooSmall ? kAudioUnitErr_InvalidPropertyValue : static_cast<ComponentResult>(noErr);
}

ComponentResult IFxAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                   UInt32 dataSize, const void* pData) {
  Trace(__FUNCTION__, __LINE__, "(%d:%s):(%d:%s):%d", static_cast<int>(propID), AUPropertyStr(static_cast<int>(propID)),
        static_cast<int>(scope), AUScopeStr(static_cast<int>(scope)), static_cast<int>(element));
  InformListeners(propID, scope);
  auto missing = [&](UInt32 size) { return !pData || dataSize < size; };

  switch (propID) {
    case kKorvAUProperty_EditorLayout:
      if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidScope;
      if (missing(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      return SelectEditorLayout(static_cast<int>(ReadValue<UInt32>(pData))) ? static_cast<ComponentResult>(noErr)
                                                                           : kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_ClassInfo:
      if (missing(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
      return SetState(ReadValue<CFPropertyListRef>(pData));
    case kAudioUnitProperty_MakeConnection: {
      if (missing(sizeof(AudioUnitConnection))) return kAudioUnitErr_InvalidPropertyValue;
      const AudioUnitConnection connection = ReadValue<AudioUnitConnection>(pData);
      return MakeConnection(scope, &connection);
    }
    case kAudioUnitProperty_SampleRate: {
      if (missing(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
      if (!SetSampleRate(ReadValue<Float64>(pData))) return kAudioUnitErr_InvalidPropertyValue;
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat: {
      if (missing(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
      const AudioStreamBasicDescription format = ReadValue<AudioStreamBasicDescription>(pData);
      return SetStreamFormat(scope, element, &format);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      if (missing(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      const UInt32 maxFrames = ReadValue<UInt32>(pData);
      // No slice could be rendered with a maximum of 0 frames.
      if (maxFrames == 0 || maxFrames > kMaxFramesPerSliceLimit) return kAudioUnitErr_InvalidPropertyValue;
      SetBlockSize(static_cast<int>(maxFrames));
      Reset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
      if (missing(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      mIsBypassed = ReadValue<UInt32>(pData) != 0;
      OnActivate(!mIsBypassed);
      Reset();
      return noErr;
    case kAudioUnitProperty_SetRenderCallback: {
      if (missing(sizeof(AURenderCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
      const AURenderCallbackStruct callback = ReadValue<AURenderCallbackStruct>(pData);
      return SetRenderCallback(scope, element, &callback);
    }
    case kAudioUnitProperty_HostCallbacks: {
      if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
      if (missing(sizeof(void*))) return kAudioUnitErr_InvalidPropertyValue;
      // Older hosts send a shorter record; the procedures it lacks stay unset.
      HostCallbackInfo info = {nullptr, nullptr, nullptr, nullptr};
      const UInt32 nBytes = (dataSize < sizeof(info) ? dataSize : sizeof(info)) / sizeof(void*) * sizeof(void*);
      std::memcpy(&info, pData, nBytes);
      mHostCallbackInfo = info;
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      if (missing(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
      RestorePreset(static_cast<int>(ReadValue<AUPreset>(pData).presetNumber));
      return noErr;
    case kAudioUnitProperty_OfflineRender:
      if (missing(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
      mRenderingOffline = ReadValue<UInt32>(pData) != 0;
      return noErr;
    case kAudioUnitProperty_AUHostIdentifier: {
      if (missing(sizeof(AUHostIdentifier))) return kAudioUnitErr_InvalidPropertyValue;
      const AUHostIdentifier hostID = ReadValue<AUHostIdentifier>(pData);
      SetHostIdentifier(&hostID);
      return noErr;
    }
    default:
      return kAudioUnitErr_InvalidProperty;
  }
}
