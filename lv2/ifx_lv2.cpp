// Construction, configuration from the host's features, activation, control ports and the run of IFxLV2.
#include "lv2/ifx_lv2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/trace.h"

namespace {

// An int option of the host's (maxBlockLength, sequenceSize); 0 when it names none.
int32_t IntOption(const void* pOptions, LV2_URID_Map* pMap, const char* keyURI) {
  if (!pOptions || !pMap) return 0;
  const LV2_URID key = pMap->map(pMap->handle, keyURI);
  const LV2_URID intType = pMap->map(pMap->handle, LV2_ATOM__Int);
  for (auto* pOption = static_cast<const LV2_Options_Option*>(pOptions); pOption->key; ++pOption) {
    if (pOption->key != key || pOption->type != intType || pOption->size != sizeof(int32_t) || !pOption->value)
      continue;
    int32_t value;
    std::memcpy(&value, pOption->value, sizeof(value));
    return value;
  }
  return 0;
}

}  // namespace

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
  // Events are typed by URID: without the host's map none can be read or written.
  if ((TakesMidi() || SendsMidi()) && !pMap) return false;

  if (!SetSampleRate(sampleRate)) return false;
  const int capacity = BlockCapacityFromOptions(pOptions, pMap);
  const LV2PortLayout layout = Ports();
  // A plug-in without parameters has no control values to keep (and an empty buffer holds no memory).
  if (!mPorts.Resize(static_cast<int>(layout.NPorts())) || (NParams() && !mLastControl.Resize(NParams())) ||
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
  const LV2MidiUrids midiUrids = MapMidiUrids(pMap);
  mMidiIn = LV2MidiReader(midiUrids);
  mMidiOut = LV2MidiWriter(midiUrids);
  mSequenceCapacity = SequenceCapacityFromOptions(pOptions, pMap);
  return true;
}

IFxLV2* IFxLV2::MakeDescribedPlug(const LV2PluginInfo& info) {
  IFxLV2* pPlug = MakePlug();
  if (pPlug) pPlug->mSendsMidi = info.mSendsMidi;
  return pPlug;
}

int IFxLV2::BlockCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const {
  const int32_t frames = IntOption(pOptions, pMap, LV2_BUF_SIZE__maxBlockLength);
  // Out of range: the default, and longer runs go in pieces anyway.
  return frames >= 1 && frames <= kMaxBlockCapacity ? frames : kDefaultBlockCapacity;
}

uint32_t IFxLV2::SequenceCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const {
  // The host's own word for its event buffers; else the size the ports asked for, the most a host
  // that honours the request is sure to give.
  const int32_t bytes = IntOption(pOptions, pMap, LV2_BUF_SIZE__sequenceSize);
  return bytes >= static_cast<int32_t>(sizeof(LV2_Atom_Sequence)) ? static_cast<uint32_t>(bytes) : kMinSequenceBytes;
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
  if (layout.mMidiOut) mMidiOut.Begin(mPorts.Get()[layout.MidiOut()], mSequenceCapacity);
  if (!mActive) {
    // Run before activate: nothing is ready to process, so the outputs are silence and MIDI is dropped.
    for (uint32_t c = 0; c < static_cast<uint32_t>(layout.mNOut); ++c)
      if (float* pOut = static_cast<float*>(mPorts.Get()[layout.FirstAudioOut() + c]))
        std::memset(pOut, 0, nFrames * sizeof(float));
    return;
  }
  ApplyControlPorts();
  mInRun = true;
  mPieceStart = mPieceFrames = 0;
  if (layout.mMidiIn) {
    mMidiIn.Begin(mPorts.Get()[layout.MidiIn()], mSequenceCapacity, nFrames);
    // A run of no frames still hands its MIDI on, for the start of the next block.
    if (nFrames == 0) mMidiIn.DeliverUntil(*this, 0, 1);
  }
  const uint32_t capacity = static_cast<uint32_t>(GetBlockSize());
  for (uint32_t done = 0; done < nFrames; done += capacity) {
    const uint32_t left = nFrames - done;
    mPieceStart = done;
    mPieceFrames = left < capacity ? left : capacity;
    // The piece's MIDI reaches the plug-in before the piece is processed, timed inside it.
    if (layout.mMidiIn) mMidiIn.DeliverUntil(*this, done, done + mPieceFrames);
    RunPiece(done, static_cast<int>(mPieceFrames));
  }
  mInRun = false;
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

bool IFxLV2::WriteMidiOut(int offset, const uint8_t* pBytes, uint32_t size) {
  if (!mInRun) return false;
  const uint32_t lastOffset = mPieceFrames ? mPieceFrames - 1 : 0;
  const uint32_t inPiece = offset < 0 ? 0 : std::min(static_cast<uint32_t>(offset), lastOffset);
  return mMidiOut.Append(mPieceStart + inPiece, pBytes, size);
}

bool IFxLV2::SendMidiMsg(IMidiMsg* pMsg) {
  if (!pMsg) return false;
  const uint8_t bytes[3] = {pMsg->mStatus, pMsg->mData1, pMsg->mData2};
  const uint32_t length = MidiMessageLength(bytes, sizeof(bytes), 0);
  return length && WriteMidiOut(pMsg->mOffset, bytes, length);
}

bool IFxLV2::SendSysEx(ISysEx* pSysEx) {
  if (!pSysEx || !pSysEx->mData || pSysEx->mSize <= 0) return false;
  return WriteMidiOut(pSysEx->mOffset, pSysEx->mData, static_cast<uint32_t>(pSysEx->mSize));
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
