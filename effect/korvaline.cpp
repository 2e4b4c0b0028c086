#include "effect/korvaline.h"

#include <cmath>

#include "framework/codes_and_samples.h"
#include "framework/editor_layout.h"
#include "effect/korvaline_editor.h"
#include "effect/korvaline_generated_editor.h"
#include "effect/resample.h"
#include "gui/igraphics.h"
#include "korv_plugin_identity.h"

namespace {
// Samples up to the last non-zero one: the zeros after it add nothing to the reverb.
template <class Sample>
int SoundingLength(const Sample* samples, int length) {
  while (length > 0 && samples[length - 1] == 0) --length;
  return length;
}
}  // namespace

KORVALINE::KORVALINE(const IFxInstanceInfo& info)
    : PlugBinding(info, kNumKorvalineParams, "1-1 2-2", 0, KORV_PLUGIN_DISPLAY_NAME, "", KORV_PLUGIN_MAKER,
                  KORV_PLUGIN_VERSION, FourCC(KORV_PLUGIN_SUBTYPE), FourCC(KORV_PLUGIN_MANUFACTURER), 0, false, false,
                  false, 0) {
  GetParam(kDry)->InitDouble("Dry", 0.0, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kWet)->InitDouble("Wet", 1.0, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kOut)->InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "", "", 1.0);
  // Hosts may ask for the tail before anything has reset the effect.
  SetTailSize(ResampleLength(SoundingLength(mIR, kKorvalineIRLength), kKorvalineIRSampleRate, GetSampleRate()) +
              ToneChainRingOut(GetSampleRate()));

  if (IGraphics* editor = MakeBindingGraphics(this, kKorvalineEditorWidth, kKorvalineEditorHeight,
                                              kKorvalineEditorFPS)) {
    AttachKorvalineEditorControls(this, editor);
    AttachGraphics(editor);
  }
}

bool KORVALINE::SelectEditorLayout(int layout) {
  IMutexLock lock(this);
  const bool fixed = layout == kEditorLayoutFixed;
  const KorvalineGeneratedLayout size = KorvalineGeneratedEditorSize(layout);
  if (!fixed && size.width <= 0) return false;
  IGraphics* editor = fixed ? MakeBindingGraphics(this, kKorvalineEditorWidth, kKorvalineEditorHeight,
                                                  kKorvalineEditorFPS)
                            : MakeBindingGraphics(this, size.width, size.height, kKorvalineEditorFPS);
  if (!editor) return false;
  if (fixed) AttachKorvalineEditorControls(this, editor);
  else AttachKorvalineGeneratedEditor(this, editor, layout);
  // Replaces (and deletes) the editor attached before.
  AttachGraphics(editor);
  return true;
}

void KORVALINE::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  switch (paramIdx) {
    case kDry:
      mDryGain.store(GetParam(kDry)->Value(), std::memory_order_relaxed);
      break;
    case kWet:
      mWetGain.store(GetParam(kWet)->Value(), std::memory_order_relaxed);
      break;
    case kOut:
      mOutGain.store(std::pow(10.0, GetParam(kOut)->Value() / 20.0), std::memory_order_relaxed);
      break;
    default:
      break;
  }
}

void KORVALINE::Reset() {
  IMutexLock lock(this);
  // A reset at an unchanged rate keeps the engine's buffered signal and the filter states.
  if (GetSampleRate() == mImpulseSampleRate) return;
  mImpulseSampleRate = GetSampleRate();
  mImpulse.SetNumChannels(1);
  int length = mImpulse.SetLength(ResampleLength(kKorvalineIRLength, kKorvalineIRSampleRate, mImpulseSampleRate));
  if (length != 0) {
    Resample(mIR, kKorvalineIRLength, kKorvalineIRSampleRate, mImpulse.m_channel_data[0].Get(), length,
             mImpulseSampleRate);
  }
  mEngine.SetImpulse(&mImpulse, 0, 0, 0, 0, 0);
  // After the input stops the reverb sounds until the impulse's last non-zero sample has passed, and
  // the tone chain rings on a little longer.
  SetTailSize(SoundingLength(mImpulse.m_channel_data[0].Get(), length) + ToneChainRingOut(mImpulseSampleRate));
}

void KORVALINE::ForgetAudioHistory() { mHistoryToForget.store(true, std::memory_order_release); }

void KORVALINE::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  if (mHistoryToForget.exchange(false, std::memory_order_acquire)) {
    mEngine.Reset();
    ClearToneChain(mToneChain);
  }
  if (mToneChainSampleRate != mImpulseSampleRate) {
    ConfigureToneChain(mToneChain, mImpulseSampleRate);
    mToneChainSampleRate = mImpulseSampleRate;
  }
  const bool bothInputs = mEveryInputHeard && IsInChannelConnected(1);
  double first[kMaxChunk], second[kMaxChunk], mean[kMaxChunk];
  for (int done = 0; done < nFrames; done += kMaxChunk) {
    const int n = nFrames - done < kMaxChunk ? nFrames - done : kMaxChunk;
    for (int i = 0; i < n; ++i) first[i] = CleanSample(inputs[0][done + i]);
    if (!bothInputs) {
      ProcessChunk(first, first, first, outputs[0] + done, outputs[1] + done, n);
      continue;
    }
    // Halving the sum is exact, so equal inputs give exactly what the first alone gives.
    for (int i = 0; i < n; ++i) {
      second[i] = CleanSample(inputs[1][done + i]);
      mean[i] = 0.5 * (first[i] + second[i]);
    }
    ProcessChunk(mean, first, second, outputs[0] + done, outputs[1] + done, n);
  }
}

void KORVALINE::ProcessChunk(const double* wetIn, const double* dry0, const double* dry1, double* out0,
                             double* out1, int nFrames) {
  double* engineInput[1] = {const_cast<double*>(wetIn)};
  mEngine.Add(engineInput, nFrames, 1);
  const int avail = mEngine.Avail(nFrames);
  const int count = avail < nFrames ? avail : nFrames;

  // Samples the engine cannot cover yet carry the dry signal alone.
  const int dryOnly = nFrames - count;
  for (int i = 0; i < dryOnly; ++i) {
    const double dryGain = mDryGain.load(std::memory_order_relaxed);
    out0[i] = dryGain * dry0[i];
    out1[i] = dryGain * dry1[i];
  }
  if (count <= 0) return;

  const double* wet = mEngine.Get()[0];
  for (int k = 0; k < count; ++k) {
    const int i = dryOnly + k;
    float shaped = static_cast<float>(std::tan(wet[k]));
    double coloured = RunToneChain(mToneChain, shaped);
    const double dryGain = mDryGain.load(std::memory_order_relaxed);
    double wetMix = mWetGain.load(std::memory_order_relaxed) * coloured;
    const double outGain = mOutGain.load(std::memory_order_relaxed);
    // Full-scale input at full gain would otherwise narrow to an infinite float.
    out0[i] = HoldToFloatRange(outGain * (dryGain * dry0[i] + wetMix));
    out1[i] = HoldToFloatRange(outGain * (dryGain * dry1[i] + wetMix));
  }
  mEngine.Advance(count);
}

PlugBinding* MakePlug() { return MakeBoundPlug<KORVALINE>(KORV_PLUGIN_BUNDLE_ID, KORV_PLUGIN_VIEW_CLASS); }
