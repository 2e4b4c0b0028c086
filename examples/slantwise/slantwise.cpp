#include "slantwise.h"

#include <algorithm>
#include <cmath>

#include "framework/codes_and_samples.h"
#include "framework/editor_layout.h"
#include "slantwise_editor.h"
#include "gui/igraphics.h"
#include "korv_plugin_identity.h"

namespace {

constexpr int kNumPresets = 3;

// A corner as a fraction of the rate, kept below Nyquist where the bilinear design breaks down.
double CornerFraction(double hz, double sampleRate) {
  return std::clamp(hz / sampleRate, 1e-5, 0.45);
}

}  // namespace

SLANTWISE::SLANTWISE(const IFxInstanceInfo& info)
    : PlugBinding(info, kNumSlantwiseParams, "1-1 2-2", kNumPresets, KORV_PLUGIN_DISPLAY_NAME, "", KORV_PLUGIN_MAKER,
                       KORV_PLUGIN_VERSION, FourCC(KORV_PLUGIN_SUBTYPE), FourCC(KORV_PLUGIN_MANUFACTURER), 0, false,
                       false, false, 0) {
  GetParam(kTilt)->InitDouble("Tilt", 0.0, -6.0, 6.0, 0.1, "dB");
  // Shaped so that the knob spends more of its travel on the lower, busier octaves.
  GetParam(kPivot)->InitDouble("Pivot", 1000.0, 200.0, 5000.0, 1.0, "Hz", "", 2.0);
  GetParam(kOutput)->InitDouble("Output", 0.0, -12.0, 12.0, 0.1, "dB");
  GetParam(kMode)->InitEnum("Mode", kModeGentle, kNumSlantwiseModes);
  GetParam(kMode)->SetDisplayText(kModeGentle, "Gentle");
  GetParam(kMode)->SetDisplayText(kModeSteep, "Steep");
  GetParam(kMono)->InitBool("Mono", false);

  // A fresh instance holds the defaults, and its present preset (the first) must say so rather than
  // name a factory sound it does not hold.
  MakeDefaultPreset("Default");
  // One value per parameter, in order: tilt, pivot, output, mode, mono.
  MakePreset("Warm", -3.0, 800.0, 1.0, static_cast<int>(kModeGentle), 0);
  MakePreset("Bright", 4.0, 2500.0, -2.0, static_cast<int>(kModeSteep), 0);

  const SlantwiseEditorSize size = SlantwiseEditorSizeFor(kEditorLayoutKnobs);
  if (IGraphics* editor = MakeBindingGraphics(this, size.width, size.height, 0)) {
    AttachSlantwiseEditor(this, editor, kEditorLayoutKnobs);
    AttachGraphics(editor);
  }
}

bool SLANTWISE::SelectEditorLayout(int layout) {
  IMutexLock lock(this);
  const SlantwiseEditorSize size = SlantwiseEditorSizeFor(layout);
  if (size.width <= 0) return false;
  IGraphics* editor = MakeBindingGraphics(this, size.width, size.height, 0);
  if (!editor) return false;
  AttachSlantwiseEditor(this, editor, layout);
  // Replaces (and deletes) the editor attached before.
  AttachGraphics(editor);
  return true;
}

void SLANTWISE::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  switch (paramIdx) {
    case kTilt: mTiltDb.store(GetParam(kTilt)->Value(), std::memory_order_relaxed); break;
    case kPivot: mPivotHz.store(GetParam(kPivot)->Value(), std::memory_order_relaxed); break;
    case kMode: mMode.store(GetParam(kMode)->Int(), std::memory_order_relaxed); break;
    case kOutput:
      mOutGain.store(std::pow(10.0, GetParam(kOutput)->Value() / 20.0), std::memory_order_relaxed);
      return;
    case kMono: mMono.store(GetParam(kMono)->Bool(), std::memory_order_relaxed); return;
    default: return;
  }
  mGeneration.fetch_add(1, std::memory_order_release);
}

void SLANTWISE::Reset() {
  IMutexLock lock(this);
  // A reset forgets what the filters heard; they are designed afresh at the next render's rate.
  mLowShelf = {};
  mHighShelf = {};
  mDesignedGeneration = 0;
}

void SLANTWISE::DesignFilters(const Settings& settings) {
  const double rate = GetSampleRate();
  const double spread = settings.mode == kModeSteep ? 1.0 : 2.0;
  const double low = CornerFraction(settings.pivotHz / spread, rate);
  const double high = CornerFraction(settings.pivotHz * spread, rate);
  for (int c = 0; c < kNumChannels; ++c) {
    mLowShelf[c].setBiquad(kBiquadLowShelf, low, 0.707, -0.5 * settings.tiltDb);
    mHighShelf[c].setBiquad(kBiquadHighShelf, high, 0.707, 0.5 * settings.tiltDb);
  }
}

void SLANTWISE::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
  const unsigned generation = mGeneration.load(std::memory_order_acquire);
  if (generation != mDesignedGeneration || GetSampleRate() != mDesignedSampleRate) {
    mDesignedGeneration = generation;
    mDesignedSampleRate = GetSampleRate();
    DesignFilters({mTiltDb.load(std::memory_order_relaxed), mPivotHz.load(std::memory_order_relaxed),
                   mMode.load(std::memory_order_relaxed)});
  }
  const double gain = mOutGain.load(std::memory_order_relaxed);
  // On a mono bus the second channel is the binding's silent scratch buffer, which must not halve the signal.
  const bool mono = mMono.load(std::memory_order_relaxed) && IsInChannelConnected(1);
  for (int i = 0; i < nFrames; ++i) {
    double x[kNumChannels] = {CleanSample(inputs[0][i]), CleanSample(inputs[1][i])};
    if (mono) x[0] = x[1] = 0.5 * (x[0] + x[1]);
    for (int c = 0; c < kNumChannels; ++c) {
      const float shelved = mHighShelf[c].process(mLowShelf[c].process(static_cast<float>(x[c])));
      // Full-scale input at full gain would otherwise narrow to an infinite float.
      outputs[c][i] = HoldToFloatRange(gain * shelved);
    }
  }
}

PlugBinding* MakePlug() { return MakeBoundPlug<SLANTWISE>(KORV_PLUGIN_BUNDLE_ID, KORV_PLUGIN_VIEW_CLASS); }
