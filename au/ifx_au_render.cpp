// The render procedure of IFxAU, its notifications and input pulls, and the host transport queries.
#include <cstring>

#include "au/ifx_au.h"

namespace {

// Room for one bus's channels, laid out as the platform's variable-length buffer list.
struct InputBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[IFxAU::kMaxBusChannels];
};
static_assert(offsetof(InputBufferList, mBuffers) == offsetof(AudioBufferList, mBuffers), "buffer list layout");

}  // namespace

OSStatus IFxAU::RenderCallback(const AURenderCallbackStruct* pCB, AudioUnitRenderActionFlags* pFlags,
                               const AudioTimeStamp* pTimestamp, UInt32 busIdx, UInt32 nFrames,
                               AudioBufferList* pBufList) {
  return pCB->inputProc(pCB->inputProcRefCon, pFlags, pTimestamp, busIdx, nFrames, pBufList);
}

OSStatus IFxAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags*, const AudioTimeStamp* pTimestamp,
                           UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList) {
  IFxAU* _this = static_cast<IFxAU*>(pPlug);
  if (!_this || !pTimestamp || !pOutBufList) return kAudioUnitErr_InvalidPropertyValue;
  // Before Initialize, or after Uninitialize, nothing is prepared for the host's formats.
  if (!_this->IsInitialized()) return kAudioUnitErr_Uninitialized;
  if (!(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBusIdx >= static_cast<UInt32>(_this->NOutputBuses()) ||
      nFrames > static_cast<UInt32>(_this->GetBlockSize()))
    return kAudioUnitErr_InvalidPropertyValue;
  // A host buffer too short for the frames would be written past its end.
  for (UInt32 k = 0; k < pOutBufList->mNumberBuffers; ++k) {
    const AudioBuffer& buffer = pOutBufList->mBuffers[k];
    if (buffer.mData && buffer.mDataByteSize < nFrames * sizeof(float)) return kAudioUnitErr_InvalidPropertyValue;
  }
  _this->CallRenderNotifications(kAudioUnitRenderAction_PreRender, pTimestamp, outputBusIdx, nFrames, pOutBufList);
  OSStatus status = _this->Render(pTimestamp, outputBusIdx, nFrames, pOutBufList);
  if (status != noErr) return status;
  _this->CallRenderNotifications(kAudioUnitRenderAction_PostRender, pTimestamp, outputBusIdx, nFrames, pOutBufList);
  return noErr;
}

void IFxAU::CallRenderNotifications(AudioUnitRenderActionFlags phase, const AudioTimeStamp* pTimestamp, UInt32 busIdx,
                                    UInt32 nFrames, AudioBufferList* pBufList) {
  for (int i = 0; i < mRenderNotifyList.GetSize(); ++i) {
    const AURenderCallbackStruct notify = *mRenderNotifyList.Get(i);
    AudioUnitRenderActionFlags flags = phase;
    RenderCallback(&notify, &flags, pTimestamp, busIdx, nFrames, pBufList);
  }
}

OSStatus IFxAU::Render(const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                       AudioBufferList* pOutBufList) {
  if (pTimestamp->mSampleTime != mLastRenderSampleTime) {
    OSStatus status = PullInputs(pTimestamp, nFrames);
    if (status != noErr) return status;
    mLastRenderSampleTime = pTimestamp->mSampleTime;
  }
  AttachOutputs(outputBusIdx, nFrames, pOutBufList);

  int nConnected = 0;
  while (nConnected < NOutputBuses() && mOutputBuses.Get(nConnected)->mIsConnected) ++nConnected;
  // Earlier buses only attach their outputs; the last connected one processes them all.
  if (static_cast<int>(outputBusIdx) == nConnected - 1) {
    const int firstUnused = 2 * nConnected;
    if (nConnected < NOutputBuses()) SetOutputChannelConnections(firstUnused, 2 * NOutputBuses() - firstUnused, false);
    if (IsBypassed()) PassThroughBuffers(kFloatSamples, static_cast<int>(nFrames));
    else ProcessBuffers(kFloatSamples, static_cast<int>(nFrames));
  }
  return noErr;
}

OSStatus IFxAU::PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames) {
  for (int i = 0; i < NInputBuses(); ++i) {
    const BusChannels* pBus = mInputBuses.Get(i);
    if (!pBus->mIsConnected) continue;
    const InputBusConnection* pConn = mInputConnections.Get(i);
    const int nHostChannels = pBus->mHostChannelCount;
    // Every channel needs a plug-in channel and its region of the input scratch.
    if (nHostChannels > kMaxBusChannels || pBus->mFirstPlugChannel + nHostChannels > NInChannels())
      return kAudioUnitErr_FormatNotSupported;

    InputBufferList list;
    list.mNumberBuffers = static_cast<UInt32>(nHostChannels);
    for (int k = 0; k < nHostChannels; ++k) list.mBuffers[k] = {1, nFrames * static_cast<UInt32>(sizeof(float)), nullptr};
    AudioBufferList* pList = reinterpret_cast<AudioBufferList*>(&list);
    AudioUnitRenderActionFlags flags = 0;
    OSStatus status = noErr;
    switch (pConn->mInputType) {
      case eDirectFastProc:
        status = pConn->mUpstreamRenderProc(pConn->mUpstreamStorage, &flags, pTimestamp, pConn->mUpstreamBusIndex,
                                            nFrames, pList);
        break;
      case eDirectNoFastProc:
        status = AudioUnitRender(pConn->mUpstreamUnit, &flags, pTimestamp, pConn->mUpstreamBusIndex, nFrames, pList);
        break;
      case eRenderCallback:
        for (int k = 0; k < nHostChannels; ++k)
          list.mBuffers[k].mData = mInputScratch.Get() + (pBus->mFirstPlugChannel + k) * nFrames;
        status = RenderCallback(&pConn->mRenderCallbackStruct, &flags, pTimestamp, static_cast<UInt32>(i), nFrames,
                                pList);
        break;
      default:
        break;
    }
    if (status != noErr) return status;

    for (int k = 0; k < nHostChannels; ++k) {
      const int channel = pBus->mFirstPlugChannel + k;
      float* pData = static_cast<float*>(list.mBuffers[k].mData);
      if (!pData) {
        // An upstream that supplied no buffer is heard as silence.
        pData = mInputScratch.Get() + channel * nFrames;
        std::memset(pData, 0, nFrames * sizeof(float));
      }
      AttachInputBuffers(channel, 1, &pData, static_cast<int>(nFrames));
    }
  }
  return noErr;
}

void IFxAU::AttachOutputs(UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList) {
  BusChannels* pBus = mOutputBuses.Get(static_cast<int>(outputBusIdx));
  const UInt32 nBuffers = pOutBufList->mNumberBuffers;
  // Buffers beyond the bus's channels have no plug-in channel to come from.
  const UInt32 nPlugChannels = static_cast<UInt32>(pBus->mPlugChannelCount);
  const UInt32 nUsed = nBuffers < nPlugChannels ? nBuffers : nPlugChannels;
  if (!pBus->mIsConnected || pBus->mHostChannelCount != static_cast<int>(nBuffers)) {
    const UInt32 hostCount = static_cast<UInt32>(pBus->mHostChannelCount);
    UInt32 n = hostCount < nBuffers ? hostCount : nBuffers;
    if (n > nPlugChannels) n = nPlugChannels;
    SetOutputChannelConnections(pBus->mFirstPlugChannel, static_cast<int>(n), true);
    SetOutputChannelConnections(pBus->mFirstPlugChannel + static_cast<int>(n), static_cast<int>(nPlugChannels - n),
                                false);
    pBus->mIsConnected = true;
  }
  for (UInt32 k = 0; k < nUsed; ++k) {
    AudioBuffer& buffer = pOutBufList->mBuffers[k];
    const int channel = pBus->mFirstPlugChannel + static_cast<int>(k);
    if (!buffer.mData) {
      buffer.mData = mOutputScratch.Get() + channel * nFrames;
      buffer.mDataByteSize = nFrames * static_cast<UInt32>(sizeof(float));
    }
    float* pData = static_cast<float*>(buffer.mData);
    AttachOutputBuffers(channel, 1, &pData);
  }
  for (UInt32 k = nUsed; k < nBuffers; ++k) {
    AudioBuffer& buffer = pOutBufList->mBuffers[k];
    if (buffer.mData) std::memset(buffer.mData, 0, nFrames * sizeof(float));
  }
}

int IFxAU::GetSamplePos() {
  if (!mHostCallbackInfo.transportStateProc) return 0;
  Boolean playing = false, changed = false, cycling = false;
  Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
  mHostCallbackInfo.transportStateProc(mHostCallbackInfo.hostUserData, &playing, &changed, &samplePos, &cycling,
                                       &cycleStart, &cycleEnd);
  return TruncToInt(samplePos + 0.5);
}

double IFxAU::GetTempo() {
  if (mHostCallbackInfo.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbackInfo.beatAndTempoProc(mHostCallbackInfo.hostUserData, &beat, &tempo);
    if (tempo > 0.0) mLastTempo = tempo;
  }
  return mLastTempo;
}

void IFxAU::GetTimeSig(int* pNum, int* pDenom) {
  if (!mHostCallbackInfo.musicalTimeLocationProc) return;
  UInt32 deltaToNextBeat = 0, denominator = 0;
  Float32 numerator = 0.0f;
  Float64 downBeat = 0.0;
  mHostCallbackInfo.musicalTimeLocationProc(mHostCallbackInfo.hostUserData, &deltaToNextBeat, &numerator,
                                            &denominator, &downBeat);
  *pNum = TruncToInt(numerator);
  *pDenom = static_cast<int>(denominator);
}

void IFxAU::GetTime(ITimeInfo* pTimeInfo) {
  if (mHostCallbackInfo.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbackInfo.beatAndTempoProc(mHostCallbackInfo.hostUserData, &beat, &tempo);
    if (tempo > 0.0) pTimeInfo->mTempo = tempo;
    if (beat > 0.0) pTimeInfo->mPPQPos = beat;
  }
  if (mHostCallbackInfo.transportStateProc) {
    Boolean playing = false, changed = false, cycling = false;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbackInfo.transportStateProc(mHostCallbackInfo.hostUserData, &playing, &changed, &samplePos, &cycling,
                                         &cycleStart, &cycleEnd);
    if (samplePos > 0.0) pTimeInfo->mSamplePos = samplePos;
    if (cycleStart > 0.0) pTimeInfo->mCycleStart = cycleStart;
    if (cycleEnd > 0.0) pTimeInfo->mCycleEnd = cycleEnd;
    pTimeInfo->mTransportIsRunning = playing;
    pTimeInfo->mTransportLoopEnabled = cycling;
  }
  if (mHostCallbackInfo.musicalTimeLocationProc) {
    UInt32 deltaToNextBeat = 0, denominator = 0;
    Float32 numerator = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbackInfo.musicalTimeLocationProc(mHostCallbackInfo.hostUserData, &deltaToNextBeat, &numerator,
                                              &denominator, &downBeat);
    pTimeInfo->mNumerator = TruncToInt(numerator);
    pTimeInfo->mDenominator = static_cast<int>(denominator);
    if (downBeat > 0.0) pTimeInfo->mLastBar = downBeat;
  }
}
