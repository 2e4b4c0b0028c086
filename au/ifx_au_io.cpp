// Buses, stream formats, channel legality and input connections of IFxAU.
#include <cstdio>
#include <cstring>

#include "au/ifx_au.h"
#include "framework/trace.h"

namespace {

const char* AUInputTypeStr(int type) {
  switch (type) {
    case IFxAU::eDirectFastProc:
      return "DirectFastProc";
    case IFxAU::eDirectNoFastProc:
      return "DirectNoFastProc";
    case IFxAU::eRenderCallback:
      return "RenderCallback";
    default:
      return "NotConnected";
  }
}

IFxAU::BusChannels* NewBus(int firstChannel, int nChannels) {
  IFxAU::BusChannels* pBus = new IFxAU::BusChannels;
  pBus->mFirstPlugChannel = firstChannel;
  pBus->mPlugChannelCount = nChannels;
  return pBus;
}

}  // namespace

void IFxAU::CreateBuses(int nSideChainChannels) {
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nSideChainChannels > 0 && nIn > 0) {
    const int nSideChain = nSideChainChannels < nIn ? nSideChainChannels : nIn;
    mInputBuses.Add(NewBus(0, nIn - nSideChain));
    mInputBuses.Add(NewBus(nIn - nSideChain, nSideChain));
    SetInputBusLabel(0, "main input");
    SetInputBusLabel(1, "aux input");
  } else if (nIn > 0) {
    mInputBuses.Add(NewBus(0, nIn));
    SetInputBusLabel(0, "input");
    SetInputBusLabel(1, "aux input");
  }
  for (int i = 0; i < NInputBuses(); ++i) mInputConnections.Add(new InputBusConnection);

  if (IsInst()) {
    for (int i = 0; 2 * i < nOut; ++i) {
      mOutputBuses.Add(NewBus(2 * i, nOut - 2 * i < 2 ? nOut - 2 * i : 2));
      char label[32];
      std::snprintf(label, sizeof(label), "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  } else {
    mOutputBuses.Add(NewBus(0, nOut));
    SetOutputBusLabel(0, "output");
  }
}

IFxAU::BusChannels* IFxAU::GetBus(AudioUnitScope scope, AudioUnitElement element) {
  const int idx = element < 0x7fffffffu ? static_cast<int>(element) : -1;
  if (scope == kAudioUnitScope_Input) return mInputBuses.Get(idx);
  if (scope == kAudioUnitScope_Output || scope == kAudioUnitScope_Global) return mOutputBuses.Get(idx);
  return nullptr;
}

void IFxAU::MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved) {
  std::memset(pASBD, 0, sizeof(*pASBD));
  pASBD->mSampleRate = sampleRate;
  pASBD->mFormatID = kAudioFormatLinearPCM;
  pASBD->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  pASBD->mBitsPerChannel = 32;
  pASBD->mChannelsPerFrame = static_cast<UInt32>(nChannels);
  pASBD->mFramesPerPacket = 1;
  UInt32 nBytes = sizeof(float);
  if (interleaved) nBytes *= static_cast<UInt32>(nChannels);
  else pASBD->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = nBytes;
}

ComponentResult IFxAU::GetStreamFormat(AudioUnitScope scope, AudioUnitElement element, void* pData) {
  const BusChannels* pBus = GetBus(scope, element);
  const int nChannels = pBus->mHostChannelCount >= 0 ? pBus->mHostChannelCount : pBus->mPlugChannelCount;
  AudioStreamBasicDescription format;
  MakeDefaultASBD(&format, GetSampleRate(), nChannels, false);
  std::memcpy(pData, &format, sizeof(format));
  return noErr;
}

ComponentResult IFxAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                       const AudioStreamBasicDescription* pASBD) {
  const UInt32 nChannels = pASBD->mChannelsPerFrame;
  BusChannels* pBus = GetBus(scope, element);
  if (!pBus) return kAudioUnitErr_InvalidProperty;
  // The rate must be one the rate property accepts too: a format at a rate of 0 describes no stream,
  // and taking it as "unchanged" would report success for audio the unit cannot run at.
  const Float64 sampleRate = pASBD->mSampleRate;
  if (!SampleRateIsUsable(sampleRate)) return kAudioUnitErr_InvalidPropertyValue;
  pBus->mHostChannelCount = 0;
  bool connectionOK = nChannels > 0 && nChannels <= kMaxBusChannels &&
                      CheckLegalIO(scope, static_cast<int>(element), static_cast<int>(nChannels));
  const bool linearPCM = pASBD->mFormatID == kAudioFormatLinearPCM;
  const bool canonical = (pASBD->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
  Trace(__FUNCTION__, __LINE__, "%d:%d:%s:%s:%s", static_cast<int>(nChannels), pBus->mPlugChannelCount,
        linearPCM ? "linearPCM" : "notLinearPCM", canonical ? "canonicalFormat" : "notCanonicalFormat",
        connectionOK ? "connectionOK" : "connectionNotOK");
  const bool ok = connectionOK && linearPCM && canonical;
  if (ok) {
    pBus->mHostChannelCount = static_cast<int>(nChannels);
    if (sampleRate != GetSampleRate()) {
      SetSampleRate(sampleRate);
      Reset();
    }
  }
  AssessInputConnections();
  return ok ? static_cast<ComponentResult>(noErr) : kAudioUnitErr_InvalidProperty;
}

int IFxAU::NHostChannelsConnected(const BRM_PtrList<BusChannels>* pBuses, int excludeIdx) {
  bool found = false;
  int sum = 0;
  for (int i = 0; i < pBuses->GetSize(); ++i) {
    const BusChannels* pBus = pBuses->Get(i);
    if (i != excludeIdx && pBus->mHostChannelCount >= 0) {
      sum += pBus->mHostChannelCount;
      found = true;
    }
  }
  return found ? sum : -1;
}

bool IFxAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels) {
  int nIn, nOut;
  if (scope == kAudioUnitScope_Input) {
    const int others = NHostChannelsConnected(&mInputBuses, busIdx);
    nIn = (others > 0 ? others : 0) + nChannels;
    nOut = mIsInitialized ? NHostChannelsConnected(&mOutputBuses, -1) : -1;
  } else {
    const int others = NHostChannelsConnected(&mOutputBuses, busIdx);
    nIn = mIsInitialized ? NHostChannelsConnected(&mInputBuses, -1) : -1;
    nOut = (others > 0 ? others : 0) + nChannels;
  }
  return LegalIO(nIn, nOut);
}

bool IFxAU::CheckLegalIO() {
  const int nIn = NHostChannelsConnected(&mInputBuses, -1);
  const int nOut = NHostChannelsConnected(&mOutputBuses, -1);
  return (!nIn && !nOut) || LegalIO(nIn, nOut);
}

void IFxAU::AssessInputConnections() {
  IMutexLock lock(this);
  SetInputChannelConnections(0, NInChannels(), false);
  for (int i = 0; i < NInputBuses(); ++i) {
    BusChannels* pBus = mInputBuses.Get(i);
    InputBusConnection* pConn = mInputConnections.Get(i);
    if (pConn->mUpstreamRenderProc && pConn->mUpstreamStorage) pConn->mInputType = eDirectFastProc;
    else if (pConn->mUpstreamUnit) pConn->mInputType = eDirectNoFastProc;
    else if (pConn->mRenderCallbackStruct.inputProc) pConn->mInputType = eRenderCallback;
    else pConn->mInputType = eNotConnected;
    pBus->mIsConnected = pConn->mInputType != eNotConnected;

    if (pBus->mIsConnected) {
      if (pBus->mHostChannelCount < 0) {
        Trace(__FUNCTION__, __LINE__, "AssumeChannels:%d", pBus->mPlugChannelCount);
        pBus->mHostChannelCount = pBus->mPlugChannelCount;
      }
      const int nConnected = pBus->mHostChannelCount;
      const int nUnconnected = pBus->mPlugChannelCount - nConnected;
      SetInputChannelConnections(pBus->mFirstPlugChannel, nConnected, true);
      SetInputChannelConnections(pBus->mFirstPlugChannel + nConnected, nUnconnected > 0 ? nUnconnected : 0, false);
    }
    Trace(__FUNCTION__, __LINE__, "%d:%s:%d:%d:%d", i, AUInputTypeStr(pConn->mInputType), pBus->mFirstPlugChannel,
          pBus->mHostChannelCount, pBus->mPlugChannelCount);
  }
  // An unconnected channel reads its scratch buffer, which still holds the last block pulled.
  for (int c = 0; c < NInChannels(); ++c)
    if (!IsInChannelConnected(c)) mInChannels.Get(c)->mScratchBuf.Zero();
}

void IFxAU::ClearConnections() {
  for (int i = 0; i < NInputBuses(); ++i) {
    BusChannels* pBus = mInputBuses.Get(i);
    pBus->mIsConnected = false;
    pBus->mHostChannelCount = -1;
    *mInputConnections.Get(i) = InputBusConnection();
  }
  for (int i = 0; i < NOutputBuses(); ++i) {
    BusChannels* pBus = mOutputBuses.Get(i);
    pBus->mIsConnected = false;
    pBus->mHostChannelCount = -1;
  }
}

AudioChannelLayoutTag IFxAU::GetTagForNumChannels(int nChannels) {
  switch (nChannels) {
    case 1:
      return kAudioChannelLayoutTag_Mono;
    case 2:
      return kAudioChannelLayoutTag_Stereo;
    default:
      return kAudioChannelLayoutTag_Unknown;
  }
}

int IFxAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags) {
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return 0;
  if (scope == kAudioUnitScope_Input && !NInputBuses()) return 0;
  // Both scopes describe the output bus of the same index.
  const BusChannels* pBus = GetBus(kAudioUnitScope_Output, element);
  if (!pBus) return 0;
  if (pTags) *pTags = GetTagForNumChannels(pBus->mPlugChannelCount);
  return 1;
}

void IFxAU::GetSupportedNumChannels(void* pData) {
  for (int i = 0; i < NChannelIO(); ++i) {
    const ChannelIO* pIO = GetChannelIO(i);
    Trace(__FUNCTION__, __LINE__, "IO:%d:%d", pIO->mIn, pIO->mOut);
    AUChannelInfo info = {static_cast<SInt16>(pIO->mIn), static_cast<SInt16>(pIO->mOut)};
    std::memcpy(static_cast<AUChannelInfo*>(pData) + i, &info, sizeof(info));
  }
}

ComponentResult IFxAU::MakeConnection(AudioUnitScope scope, const AudioUnitConnection* pConnection) {
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  InputBusConnection* pConn = mInputConnections.Get(
      pConnection->destInputNumber < 0x7fffffffu ? static_cast<int>(pConnection->destInputNumber) : -1);
  if (!pConn) return kAudioUnitErr_InvalidProperty;
  *pConn = InputBusConnection();
  bool ok = true;
  if (AudioUnit source = pConnection->sourceAudioUnit) {
    AudioStreamBasicDescription format;
    UInt32 size = sizeof(format);
    ok = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                              pConnection->sourceOutputNumber, &format, &size) == noErr &&
         size >= sizeof(format);
    if (ok) {
      ok = SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, pConnection->destInputNumber,
                       sizeof(format), &format) == noErr;
    }
    if (ok) {
      pConn->mUpstreamUnit = source;
      pConn->mUpstreamBusIndex = pConnection->sourceOutputNumber;
      AudioUnitRenderProc renderProc = nullptr;
      size = sizeof(renderProc);
      if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &renderProc, &size) == noErr) {
        pConn->mUpstreamRenderProc = renderProc;
        pConn->mUpstreamStorage = GetComponentInstanceStorage(source);
      }
    }
  }
  AssessInputConnections();
  return ok ? static_cast<ComponentResult>(noErr) : kAudioUnitErr_InvalidProperty;
}

ComponentResult IFxAU::SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                         const AURenderCallbackStruct* pCB) {
  InputBusConnection* pConn = mInputConnections.Get(element < 0x7fffffffu ? static_cast<int>(element) : -1);
  if (scope != kAudioUnitScope_Input || !pConn) return kAudioUnitErr_InvalidProperty;
  *pConn = InputBusConnection();
  if (pCB->inputProc) pConn->mRenderCallbackStruct = *pCB;
  AssessInputConnections();
  return noErr;
}
