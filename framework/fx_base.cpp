#include "framework/fx_base.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/fx_assert.h"
#include "framework/fx_version.h"
#include "framework/text_copy.h"
#include "framework/trace.h"

IFxBase::IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                 const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                 int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mDoesMIDI(plugDoesMidi),
      mLatency(latency),
      mInData(64),
      mOutData(64) {
  Trace(__FUNCTION__, __LINE__, "%s:%s", effectName, CurrentTime());

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset(i));

  CopyTextCut(mEffectName, effectName);
  CopyTextCut(mProductName, productName);
  CopyTextCut(mMfrName, mfrName);

  int nInputs = 0, nOutputs = 0;
  ParseChannelIO(channelIOStr, &nInputs, &nOutputs);

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  // Until a block size is set the scratch buffers are empty; the entries then stay null.
  for (int i = 0; i < nInputs; ++i) {
    InChannel* pInChannel = mInChannels.Add(new InChannel(mInData.Get() + i));
    *pInChannel->mSrc = pInChannel->mScratchBuf.Get();
  }
  for (int i = 0; i < nOutputs; ++i) {
    OutChannel* pOutChannel = mOutChannels.Add(new OutChannel(mOutData.Get() + i));
    *pOutChannel->mDest = pOutChannel->mScratchBuf.Get();
  }
}

void IFxBase::ParseChannelIO(const char* channelIOStr, int* pNIn, int* pNOut) {
  const char* ioStr = channelIOStr;
  while (ioStr) {
    int nIn = 0, nOut = 0;
    bool channelIOStrValid = std::sscanf(ioStr, "%d-%d", &nIn, &nOut) == 2 && nIn >= 0 && nOut >= 0;
    FX_ASSERT(channelIOStrValid);
    if (nIn > *pNIn) *pNIn = nIn;
    if (nOut > *pNOut) *pNOut = nOut;
    mChannelIO.Add(new ChannelIO(nIn, nOut));
    ioStr = std::strchr(ioStr, ' ');
    if (ioStr) ++ioStr;
  }
}

IFxBase::~IFxBase() {
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  delete mLatencyDelay;
}

namespace {
// The instance the calling thread is in an ExclusiveUse scope of, if any.
thread_local const IFxBase* t_exclusivelyUsed = nullptr;
}  // namespace

IFxBase::ExclusiveUse::ExclusiveUse(const IFxBase* pPlug) { t_exclusivelyUsed = pPlug; }

IFxBase::ExclusiveUse::~ExclusiveUse() { t_exclusivelyUsed = nullptr; }

bool IFxBase::IsUsedExclusivelyHere() const { return t_exclusivelyUsed == this; }

void IFxBase::Reset() { IMutexLock lock(this); }

void IFxBase::OnParamChange(int) { IMutexLock lock(this); }

void IFxBase::OnActivate(bool) { IMutexLock lock(this); }

void IFxBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  int nIn = NInChannels(), nOut = NOutChannels();
  int i = 0;
  for (; i < nIn && i < nOut; ++i)
    if (outputs[i] != inputs[i]) std::memmove(outputs[i], inputs[i], sizeof(double) * nFrames);
  for (; i < nOut; ++i) std::memset(outputs[i], 0, sizeof(double) * nFrames);
}

bool IFxBase::MidiNoteName(int, char* noteName) {
  noteName[0] = 0;
  return false;
}

bool IFxBase::CompareState(const unsigned char* data, int startPos) {
  const double* values = reinterpret_cast<const double*>(data) + startPos;
  for (int i = 0; i < NParams(); ++i) {
    double stored;
    std::memcpy(&stored, values + i, sizeof(stored));
    float difference = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(stored);
    if (!(static_cast<double>(difference < 0 ? -difference : difference) < 1e-5)) return false;
  }
  return true;
}

void IFxBase::SetParameterFromGUI(int paramIdx, double normalizedValue) {
  Trace(__FUNCTION__, __LINE__, "%d:%f", paramIdx, normalizedValue);
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return;
  IMutexLock lock(this);
  pParam->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IFxBase::SetParameterFromHost(int paramIdx, double value) {
  IParam* pParam = GetParam(paramIdx);
  if (!pParam || std::isnan(value)) return;
  IMutexLock lock(this);
  pParam->Set(PlainValueFromHost(paramIdx, value));
  if (mGraphics) mGraphics->SetParameterFromPlug(paramIdx, pParam->Value(), false);
  OnParamChange(paramIdx);
}

void IFxBase::AttachGraphics(IEditorLink* pGraphics) {
  if (!pGraphics) return;
  IMutexLock lock(this);
  for (int i = 0; i < NParams(); ++i) pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  pGraphics->PrepDraw();
  // Attaching a second editor replaces the first, which would otherwise leak.
  if (mGraphics != pGraphics) delete mGraphics;
  mGraphics = pGraphics;
}

void IFxBase::SetLatency(int samples) {
  mLatency = samples;
  if (mLatencyDelay) mLatencyDelay->SetDelayTime(samples);
}

void IFxBase::RedrawParamControls() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IFxBase::SetBlockSize(int blockSize) {
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  // A resized scratch buffer may move: every slot that pointed at the old one follows it.
  for (int i = 0; i < NInChannels(); ++i) {
    InChannel* pInChannel = mInChannels.Get(i);
    double* oldScratch = pInChannel->mScratchBuf.Get();
    pInChannel->mScratchBuf.Resize(blockSize);
    pInChannel->mScratchBuf.Zero();
    if (!pInChannel->mConnected || *pInChannel->mSrc == oldScratch) *pInChannel->mSrc = pInChannel->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels(); ++i) {
    OutChannel* pOutChannel = mOutChannels.Get(i);
    double* oldScratch = pOutChannel->mScratchBuf.Get();
    pOutChannel->mScratchBuf.Resize(blockSize);
    pOutChannel->mScratchBuf.Zero();
    if (!pOutChannel->mConnected || *pOutChannel->mDest == oldScratch)
      *pOutChannel->mDest = pOutChannel->mScratchBuf.Get();
  }
  mBlockSize = blockSize;
}

int IFxBase::GetEffectVersion(bool decimal) const { return decimal ? GetDecimalVersion(mVersion) : mVersion; }

void IFxBase::GetEffectVersionStr(char* str) const {
  GetVersionStr(mVersion, str);
  std::strcat(str, "D");
}

const char* IFxBase::GetAPIString() {
  static const char* const kAPINames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone", "LV2"};
  int api = GetAPI();
  return api >= 0 && api < static_cast<int>(sizeof(kAPINames) / sizeof(kAPINames[0])) ? kAPINames[api] : "";
}

void IFxBase::SetHost(const char* host, int version) {
  mHost = LookUpHost(host);
  mHostVersion = version;
  char versionStr[kVersionStrLen];
  GetVersionStr(version, versionStr);
  Trace(__FUNCTION__, __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", host ? host : "",
        versionStr);
}

int IFxBase::GetHostVersion(bool decimal) {
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IFxBase::GetHostVersionStr(char* str) {
  GetHost();
  GetVersionStr(mHostVersion, str);
}

void IFxBase::OnParamReset() {
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IFxBase::DirtyParameters() {
  IMutexLock lock(this);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

double IFxBase::GetSamplesPerBeat() {
  double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

bool IFxBase::SendMidiMsgs(BRM_TypedBuf<IMidiMsg>* pMsgs) {
  bool rc = true;
  IMidiMsg* msgs = pMsgs->Get();
  for (int i = 0; i < pMsgs->GetSize(); ++i) rc &= SendMidiMsg(&msgs[i]);
  return rc;
}
