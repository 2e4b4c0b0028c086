// Parameter descriptions, names, value texts, clump and bus names, and host identification.
#include <cstdlib>
#include <cstring>

#include "au/cf_text.h"
#include "au/ifx_au.h"

namespace {

// The parameter a host record names, or null for an ID outside the list.
IParam* ParamForID(const IFxAU* pPlug, AudioUnitParameterID paramID) {
  return paramID < static_cast<UInt32>(pPlug->NParams()) ? pPlug->GetParam(static_cast<int>(paramID)) : nullptr;
}

}  // namespace

ComponentResult IFxAU::GetParamInfo(int paramIdx, AudioUnitParameterInfo* pInfo) {
  std::memset(pInfo, 0, sizeof(*pInfo));
  IParam* pParam = GetParam(paramIdx);
  pInfo->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                 kAudioUnitParameterFlag_CFNameRelease;
  if (pParam->GetCanAutomate()) pInfo->flags |= kAudioUnitParameterFlag_IsWritable;
  if (pParam->GetIsMeta()) pInfo->flags |= kAudioUnitParameterFlag_IsElementMeta;

  const char* name = pParam->GetNameForHost();
  pInfo->cfNameString = MakeCFString(name);
  std::memcpy(pInfo->name, name, strnlen(name, IParam::kTextLen - 1));

  switch (pParam->Type()) {
    case IParam::kTypeBool:
      pInfo->unit = kAudioUnitParameterUnit_Boolean;
      break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      pInfo->unit = kAudioUnitParameterUnit_Indexed;
      break;
    default: {
      const char* label = pParam->GetLabelForHost();
      if (label[0]) {
        pInfo->unit = kAudioUnitParameterUnit_CustomUnit;
        pInfo->unitName = MakeCFString(label);
      } else {
        pInfo->unit = kAudioUnitParameterUnit_Generic;
      }
    }
  }

  double minValue, maxValue;
  pParam->GetBounds(&minValue, &maxValue);
  pInfo->minValue = static_cast<AudioUnitParameterValue>(minValue);
  pInfo->maxValue = static_cast<AudioUnitParameterValue>(maxValue);
  pInfo->defaultValue = static_cast<AudioUnitParameterValue>(pParam->Value());

  const char* group = pParam->GetParamGroupForHost();
  if (group[0]) {
    int clumpID = 0;
    for (int i = 0; i < mParamGroups.GetSize(); ++i)
      if (std::strcmp(group, mParamGroups.Get(i)) == 0) clumpID = i + 1;
    if (!clumpID) {
      mParamGroups.Add(group);
      clumpID = mParamGroups.GetSize();
    }
    pInfo->flags |= kAudioUnitParameterFlag_HasClump;
    pInfo->clumpID = static_cast<UInt32>(clumpID);
  }
  return noErr;
}

ComponentResult IFxAU::GetParamValueStrings(int paramIdx, UInt32* pDataSize, void* pData) {
  const IParam* pParam = GetParam(paramIdx);
  const int n = pParam->GetNDisplayTexts();
  if (!n) {
    *pDataSize = 0;
    return kAudioUnitErr_InvalidProperty;
  }
  const UInt32 capacity = *pDataSize;
  *pDataSize = sizeof(CFArrayRef);
  if (!pData) return noErr;
  if (capacity < sizeof(CFArrayRef)) return kAudioUnitErr_InvalidPropertyValue;
  CFMutableArrayRef texts = CFArrayCreateMutable(nullptr, n, &kCFTypeArrayCallBacks);
  if (!texts) return coreFoundationUnknownErr;
  for (int v = 0; v < n; ++v) {
    CFStrLocal text(pParam->GetDisplayText(v));
    CFArrayAppendValue(texts, text.Get());
  }
  CFArrayRef result = texts;
  std::memcpy(pData, &result, sizeof(result));
  return noErr;
}

ComponentResult IFxAU::GetParamStringFromValue(void* pData) {
  AudioUnitParameterStringFromValue request;
  std::memcpy(&request, pData, sizeof(request));
  const IParam* pParam = ParamForID(this, request.inParamID);
  if (!pParam) return kAudioUnitErr_InvalidParameter;
  if (!request.inValue) return kAudioUnitErr_InvalidPropertyValue;
  pParam->GetDisplayForHost(static_cast<double>(*request.inValue), false, mParamDisplayBuffer, true);
  request.outString = MakeCFString(mParamDisplayBuffer);
  std::memcpy(pData, &request, sizeof(request));
  return noErr;
}

ComponentResult IFxAU::GetParamIDName(void* pData) {
  AudioUnitParameterIDName request;
  std::memcpy(&request, pData, sizeof(request));
  const IParam* pParam = ParamForID(this, request.inID);
  if (!pParam) return kAudioUnitErr_InvalidParameter;
  if (request.inDesiredLength < kAudioUnitParameterName_Full) return kAudioUnitErr_InvalidPropertyValue;
  char name[IParam::kTextLen] = {};
  std::memcpy(name, pParam->GetNameForHost(), strnlen(pParam->GetNameForHost(), sizeof(name) - 1));
  if (request.inDesiredLength != kAudioUnitParameterName_Full) {
    const int cut = request.inDesiredLength < IParam::kTextLen - 1 ? request.inDesiredLength : IParam::kTextLen - 1;
    name[cut] = 0;
  }
  request.outName = MakeCFString(name);
  std::memcpy(pData, &request, sizeof(request));
  return noErr;
}

ComponentResult IFxAU::GetParamClumpName(void* pData) {
  AudioUnitParameterNameInfo request;
  std::memcpy(&request, pData, sizeof(request));
  // Clump IDs are handed out from 1 as the host first asks about each group.
  if (request.inID < 1 || request.inID > static_cast<UInt32>(mParamGroups.GetSize()))
    return kAudioUnitErr_PropertyNotInUse;
  request.outName = MakeCFString(mParamGroups.Get(static_cast<int>(request.inID) - 1));
  std::memcpy(pData, &request, sizeof(request));
  return noErr;
}

ComponentResult IFxAU::GetParamValueFromString(void* pData) {
  AudioUnitParameterValueFromString request;
  std::memcpy(&request, pData, sizeof(request));
  const IParam* pParam = ParamForID(this, request.inParamID);
  if (!pParam) return kAudioUnitErr_InvalidParameter;
  if (!request.inString) return kAudioUnitErr_InvalidPropertyValue;
  CStrLocal text(request.inString);
  if (pParam->GetNDisplayTexts()) {
    int value;
    if (pParam->MapDisplayText(text.Get(), &value)) request.outValue = static_cast<AudioUnitParameterValue>(value);
  } else {
    double value = std::atof(text.Get());
    if (pParam->DisplayIsNegated()) value = -value;
    request.outValue = static_cast<AudioUnitParameterValue>(value);
  }
  std::memcpy(pData, &request, sizeof(request));
  return noErr;
}

ComponentResult IFxAU::GetElementName(AudioUnitScope scope, AudioUnitElement element, void* pData) {
  const char* name;
  if (scope == kAudioUnitScope_Input) {
    if (element > 1) return kAudioUnitErr_InvalidElement;
    name = GetInputBusLabel(static_cast<int>(element));
  } else if (scope == kAudioUnitScope_Output) {
    if (element >= static_cast<UInt32>(mOutputBusLabels.GetSize())) return kAudioUnitErr_InvalidElement;
    name = GetOutputBusLabel(static_cast<int>(element));
  } else {
    return kAudioUnitErr_InvalidScope;
  }
  CFStringRef string = MakeCFString(name);
  std::memcpy(pData, &string, sizeof(string));
  return noErr;
}

void IFxAU::SetHostIdentifier(const AUHostIdentifier* pHostID) {
  CStrLocal hostName(pHostID->hostName);
  const NumVersion& v = pHostID->hostVersion;
  const int version = (v.majorRev << 16) | ((v.minorAndBugRev & 0xF0) << 4) | (v.minorAndBugRev & 0x0F);
  SetHost(hostName.Get(), version);
  OnHostIdentified();
}
