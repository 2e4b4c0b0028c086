// Channel configuration, connections, labels and the block-processing routes of IFxBase.
#include <cstring>

#include "base/denormal_guard.h"
#include "framework/fx_base.h"
#include "framework/trace.h"

namespace {
// One past the last channel that a range starting at idx with n channels reaches.
int RangeEnd(int idx, int n, int nChannels) {
  long long end = static_cast<long long>(idx) + n;
  return end < nChannels ? static_cast<int>(end) : nChannels;
}

void ReplaceLabel(BRM_PtrList<BRM_String>* pLabels, int idx, const char* label) {
  pLabels->Delete(idx, true);
  BRM_String* pLabel = new BRM_String(label);
  if (!pLabels->Insert(idx, pLabel)) delete pLabel;
}
}  // namespace

bool IFxBase::LegalIO(int nIn, int nOut) {
  bool legal = false;
  for (int i = 0; i < NChannelIO() && !legal; ++i) {
    const ChannelIO* pIO = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == pIO->mIn) && (nOut < 0 || nOut == pIO->mOut);
  }
  Trace(__FUNCTION__, __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IFxBase::SetInputChannelConnections(int idx, int n, bool connected) {
  int end = RangeEnd(idx, n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* pInChannel = mInChannels.Get(i);
    pInChannel->mConnected = connected;
    if (!connected) *pInChannel->mSrc = pInChannel->mScratchBuf.Get();
  }
}

void IFxBase::SetOutputChannelConnections(int idx, int n, bool connected) {
  int end = RangeEnd(idx, n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* pOutChannel = mOutChannels.Get(i);
    pOutChannel->mConnected = connected;
    if (!connected) *pOutChannel->mDest = pOutChannel->mScratchBuf.Get();
  }
}

bool IFxBase::IsInChannelConnected(int chIdx) const {
  const InChannel* pInChannel = mInChannels.Get(chIdx);
  return pInChannel && pInChannel->mConnected;
}

bool IFxBase::IsOutChannelConnected(int chIdx) const {
  const OutChannel* pOutChannel = mOutChannels.Get(chIdx);
  return pOutChannel && pOutChannel->mConnected;
}

void IFxBase::SetInputLabel(int idx, const char* label) {
  if (InChannel* pInChannel = mInChannels.Get(idx)) pInChannel->mLabel.Set(label);
}

void IFxBase::SetOutputLabel(int idx, const char* label) {
  if (OutChannel* pOutChannel = mOutChannels.Get(idx)) pOutChannel->mLabel.Set(label);
}

void IFxBase::SetInputBusLabel(int idx, const char* label) {
  if (idx == 0 || idx == 1) ReplaceLabel(&mInputBusLabels, idx, label);
}

void IFxBase::SetOutputBusLabel(int idx, const char* label) {
  if (idx >= 0) ReplaceLabel(&mOutputBusLabels, idx, label);
}

const char* IFxBase::GetInputLabel(int idx) const {
  const InChannel* pInChannel = mInChannels.Get(idx);
  return pInChannel ? pInChannel->mLabel.Get() : "";
}

const char* IFxBase::GetOutputLabel(int idx) const {
  const OutChannel* pOutChannel = mOutChannels.Get(idx);
  return pOutChannel ? pOutChannel->mLabel.Get() : "";
}

const char* IFxBase::GetInputBusLabel(int idx) const {
  const BRM_String* pLabel = mInputBusLabels.Get(idx);
  return pLabel ? pLabel->Get() : "";
}

const char* IFxBase::GetOutputBusLabel(int idx) const {
  const BRM_String* pLabel = mOutputBusLabels.Get(idx);
  return pLabel ? pLabel->Get() : "";
}

int IFxBase::ClampedFrames(int nFrames) const {
  if (nFrames < 0) return 0;
  return nFrames < mBlockSize ? nFrames : mBlockSize;
}

void IFxBase::AttachInputBuffers(int idx, int n, double** ppData, int) {
  int end = RangeEnd(idx, n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* pInChannel = mInChannels.Get(i);
    if (pInChannel->mConnected) *pInChannel->mSrc = *ppData++;
  }
}

void IFxBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames) {
  nFrames = ClampedFrames(nFrames);
  int end = RangeEnd(idx, n, NInChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    InChannel* pInChannel = mInChannels.Get(i);
    if (!pInChannel->mConnected) continue;
    const float* pSrc = *ppData++;
    double* pScratch = pInChannel->mScratchBuf.Get();
    for (int s = 0; s < nFrames; ++s) pScratch[s] = pSrc[s];
    *pInChannel->mSrc = pScratch;
  }
}

void IFxBase::AttachOutputBuffers(int idx, int n, double** ppData) {
  int end = RangeEnd(idx, n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* pOutChannel = mOutChannels.Get(i);
    if (pOutChannel->mConnected) *pOutChannel->mDest = *ppData++;
  }
}

void IFxBase::AttachOutputBuffers(int idx, int n, float** ppData) {
  int end = RangeEnd(idx, n, NOutChannels());
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) {
    OutChannel* pOutChannel = mOutChannels.Get(i);
    if (!pOutChannel->mConnected) continue;
    *pOutChannel->mDest = pOutChannel->mScratchBuf.Get();
    pOutChannel->mFDest = *ppData++;
  }
}

void IFxBase::ProcessBuffers(double, int nFrames) {
  BRM_DenormalGuard flush;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampedFrames(nFrames));
}

void IFxBase::ProcessBuffers(float, int nFrames) {
  BRM_DenormalGuard flush;
  nFrames = ClampedFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IFxBase::ProcessBuffersAccumulating(float, int nFrames) {
  BRM_DenormalGuard flush;
  nFrames = ClampedFrames(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, true);
}

void IFxBase::PassThroughBuffers(double, int nFrames) {
  nFrames = ClampedFrames(nFrames);
  if (mLatency && mLatencyDelay)
    mLatencyDelay->ProcessBlock(mInData.Get(), mOutData.Get(), nFrames);
  else
    IFxBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IFxBase::PassThroughBuffers(float, int nFrames) {
  nFrames = ClampedFrames(nFrames);
  PassThroughBuffers(kDoubleSamples, nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IFxBase::ConvertOutputsToFloat(int nFrames, bool accumulate) {
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* pOutChannel = mOutChannels.Get(i);
    float* pDest = pOutChannel->mFDest;
    if (!pOutChannel->mConnected || !pDest) continue;
    const double* pSrc = *pOutChannel->mDest;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s) pDest[s] += static_cast<float>(pSrc[s]);
    else
      for (int s = 0; s < nFrames; ++s) pDest[s] = static_cast<float>(pSrc[s]);
  }
}

void IFxBase::ZeroScratchBuffers() {
  for (int i = 0; i < NInChannels(); ++i) mInChannels.Get(i)->mScratchBuf.Zero();
  for (int i = 0; i < NOutChannels(); ++i) mOutChannels.Get(i)->mScratchBuf.Zero();
}
