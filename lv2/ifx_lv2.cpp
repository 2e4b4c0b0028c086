// Construction, configuration from the host's features, activation, control ports and the run of IFxLV2.
#include "lv2/ifx_lv2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/trace.h"

IFxLV2::IFxLV2(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
               const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
               int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels)
    : IFxQuietBase(instanceInfo, nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                   uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, nSideChainChannels),
      mPorts(kSmallAllocationStepBytes),
      mLastControl(kSmallAllocationStepBytes) {
  Trace(__FUNCTION__, __LINE__, "%s", effectName);
}

bool IFxLV2::Configure(double sampleRate, const LV2_Feature* const* features, const char* stateKeyURI) {
  if (!SampleRateIsUsable(sampleRate) || NInChannels() > kMaxLV2Channels || NOutChannels() > kMaxLV2Channels)
    return false;
  LV2_URID_Map* pMap = nullptr;
  const void* pOptions = nullptr;
  for (const LV2_Feature* const* f = features; f && *f; ++f) {
    const LV2_Feature* pFeature = *f;
    if (!pFeature->URI) continue;
    const bool isMap = !std::strcmp(pFeature->URI, LV2_URID__map);
    const bool isOptions = !std::strcmp(pFeature->URI, LV2_OPTIONS__options);
    // A feature offered without its data cannot be used, and the host should hear so.
    if ((isMap || isOptions) && !pFeature->data) return false;
    if (isMap) pMap = static_cast<LV2_URID_Map*>(pFeature->data);
    if (isOptions) pOptions = pFeature->data;
  }
  if (pMap && (!pMap->map)) return false;

  if (!SetSampleRate(sampleRate)) return false;
  const int capacity = BlockCapacityFromOptions(pOptions, pMap);
  const LV2PortLayout layout = Ports();
  if (!mPorts.Resize(static_cast<int>(layout.NPorts())) || !mLastControl.Resize(NParams()) ||
      !mSilence.Resize(capacity) || !mDiscard.Resize(capacity))
    return false;
  mPorts.Zero();
  mSilence.Zero();
  for (int i = 0; i < NParams(); ++i) mLastControl.Get()[i] = static_cast<float>(GetParam(i)->Value());
  SetBlockSize(capacity);
  if (GetBlockSize() != capacity) return false;
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  if (pMap) {
    mStateKey = pMap->map(pMap->handle, stateKeyURI);
    mChunkType = pMap->map(pMap->handle, LV2_ATOM__Chunk);
  }
  return true;
}

int IFxLV2::BlockCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const {
  if (!pOptions || !pMap) return kDefaultBlockCapacity;
  const LV2_URID maxBlock = pMap->map(pMap->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID intType = pMap->map(pMap->handle, LV2_ATOM__Int);
  for (auto* pOption = static_cast<const LV2_Options_Option*>(pOptions); pOption->key; ++pOption) {
    if (pOption->key != maxBlock || pOption->type != intType || pOption->size != sizeof(int32_t) || !pOption->value)
      continue;
    int32_t frames;
    std::memcpy(&frames, pOption->value, sizeof(frames));
    // Out of range: the default, and longer runs go in pieces anyway.
    if (frames >= 1 && frames <= kMaxBlockCapacity) return frames;
  }
  return kDefaultBlockCapacity;
}

void IFxLV2::ConnectPort(uint32_t port, void* pData) {
  if (port < static_cast<uint32_t>(mPorts.GetSize())) mPorts.Get()[port] = pData;
}

void IFxLV2::Activate() {
  IMutexLock lock(this);
  // As a host's initialise: ready for the rate the plug-in will run at, gains set from the parameters.
  // Activation after a deactivation starts afresh: what was heard before must not ring on.
  Reset();
  ForgetAudioHistory();
  OnParamReset();
  OnActivate(true);
  mActive = true;
}

void IFxLV2::Deactivate() {
  IMutexLock lock(this);
  mActive = false;
  OnActivate(false);
}

double IFxLV2::PlainValueFromHost(int paramIdx, double value) const {
  return GetParam(paramIdx)->Type() == IParam::kTypeBool ? (value > 0.0 ? 1.0 : 0.0) : value;
}

float IFxLV2::ControlPortValue(int paramIdx) const {
  float* pValue = static_cast<float*>(mPorts.Get()[Ports().FirstParam() + static_cast<uint32_t>(paramIdx)]);
  // A state save may read while the host writes the port for its next run.
  return pValue ? std::atomic_ref<float>(*pValue).load(std::memory_order_relaxed)
                : std::numeric_limits<float>::quiet_NaN();
}

void IFxLV2::ApplyControlPorts() {
  for (int i = 0; i < NParams(); ++i) {
    const float value = ControlPortValue(i);
    // NaN names no value: it is not remembered, so the next real value is applied.
    if (std::isnan(value) || value == mLastControl.Get()[i]) continue;
    mLastControl.Get()[i] = value;
    SetParameterFromHost(i, static_cast<double>(value));
  }
}

void IFxLV2::TakeControlPortValues() {
  for (int i = 0; i < NParams(); ++i) {
    const float value = ControlPortValue(i);
    if (!std::isnan(value)) GetParam(i)->Set(PlainValueFromHost(i, static_cast<double>(value)));
  }
}

void IFxLV2::MarkControlsUnapplied() {
  for (int i = 0; i < mLastControl.GetSize(); ++i) mLastControl.Get()[i] = std::numeric_limits<float>::quiet_NaN();
}

void IFxLV2::Run(uint32_t nFrames) {
  // The host's rules keep every other call that changes the instance (instantiation, activation,
  // state restore) off other threads while run runs; a state save may read it meanwhile. So the
  // effect's own locks, in OnParamChange above all, need not wait here.
  ExclusiveUse exclusive(this);
  const LV2PortLayout layout = Ports();
  if (float* pLatency = static_cast<float*>(mPorts.Get()[layout.Latency()])) *pLatency = static_cast<float>(GetLatency());
  if (!mActive) {
    // Run before activate: nothing is ready to process, so the outputs are silence.
    for (uint32_t c = 0; c < static_cast<uint32_t>(layout.mNOut); ++c)
      if (float* pOut = static_cast<float*>(mPorts.Get()[layout.FirstAudioOut() + c]))
        std::memset(pOut, 0, nFrames * sizeof(float));
    return;
  }
  ApplyControlPorts();
  const uint32_t capacity = static_cast<uint32_t>(GetBlockSize());
  for (uint32_t done = 0; done < nFrames; done += capacity) {
    const uint32_t left = nFrames - done;
    RunPiece(done, static_cast<int>(left < capacity ? left : capacity));
  }
}

void IFxLV2::RunPiece(uint32_t offset, int nFrames) {
  const LV2PortLayout layout = Ports();
  float* inputs[kMaxLV2Channels];
  float* outputs[kMaxLV2Channels];
  for (int c = 0; c < layout.mNIn; ++c) {
    float* pIn = static_cast<float*>(mPorts.Get()[c]);
    inputs[c] = pIn ? pIn + offset : mSilence.Get();
  }
  for (int c = 0; c < layout.mNOut; ++c) {
    float* pOut = static_cast<float*>(mPorts.Get()[layout.FirstAudioOut() + c]);
    outputs[c] = pOut ? pOut + offset : mDiscard.Get();
  }
  AttachInputBuffers(0, layout.mNIn, inputs, nFrames);
  AttachOutputBuffers(0, layout.mNOut, outputs);
  if (IsBypassed()) PassThroughBuffers(kFloatSamples, nFrames);
  else ProcessBuffers(kFloatSamples, nFrames);
}

IGraphics* IFxLV2::MakeEditorGraphics(int w, int h, int fps) {
  return mEditorHost ? mEditorHost->MakeEditor(this, w, h, fps) : nullptr;
}

void IFxLV2::BeginInformHostOfParamChange(int paramIdx) {
  if (mEditorHost) mEditorHost->BeginGesture(paramIdx);
}

void IFxLV2::InformHostOfParamChange(int paramIdx, double) {
  // The parameter holds the value already; the port carries it plain.
  if (mEditorHost && GetParam(paramIdx)) mEditorHost->ParamChanged(paramIdx, GetParam(paramIdx)->Value());
}

void IFxLV2::EndInformHostOfParamChange(int paramIdx) {
  if (mEditorHost) mEditorHost->EndGesture(paramIdx);
}
