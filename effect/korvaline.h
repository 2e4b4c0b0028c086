#pragma once
// KORVAL-Q34: convolves its input with the built-in impulse response at zero latency, bends the
// result through tan(), colours it with the six-stage tone chain and mixes it under "Dry", "Wet"
// and "Out".
#include <array>
#include <atomic>

#include "dsp/biquad.h"
#include "dsp/convolution_engine_div.h"
#include "dsp/impulse_buffer.h"
#include "effect/tone_chain.h"
#include "effect/impulse_response.h"
#include "framework/plug_binding.h"

enum EKorvalineParams { kDry = 0, kWet, kOut, kNumKorvalineParams };

class KORVALINE : public PlugBinding {
 public:
  static constexpr const float* mIR = kKorvalineIR;

  explicit KORVALINE(const IFxInstanceInfo& info);
  ~KORVALINE() override = default;

  void Reset() override;
  // Asks the audio thread to clear the engine's buffered signal and the tone chain at the start of
  // its next block, so a host thread never touches them while a render may run.
  void ForgetAudioHistory() override;
  void OnParamChange(int paramIdx) override;
  // The front panel or one of the generated editors (EEditorLayout).
  bool SelectEditorLayout(int layout) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // On, with both inputs connected, the convolution hears their mean and each output keeps its own
  // input's dry signal; off, the first input alone is heard, on both outputs. Set before the host
  // runs the plug-in; the binding decides (kBindingHearsEveryInput).
  void SetEveryInputHeard(bool on) { mEveryInputHeard = on; }

 private:
  // Input is taken in pieces of at most this many samples, cleaned on the stack.
  static constexpr int kMaxChunk = 256;
  // wetIn feeds the convolution; dry0 and dry1 are mixed into out0 and out1.
  void ProcessChunk(const double* wetIn, const double* dry0, const double* dry1, double* out0, double* out1,
                    int nFrames);

  // Declared in reverse order of destruction: tone chain, engine, impulse.
  BRM_ImpulseBuffer mImpulse;
  BRM_ConvolutionEngine_Div mEngine;
  // Start at the parameters' defaults until the host's first parameter reset sets them. Written under
  // the instance mutex, read by a render that may run without it.
  std::atomic<double> mDryGain{0.0};
  std::atomic<double> mWetGain{1.0};
  std::atomic<double> mOutGain{1.0};
  double mImpulseSampleRate = 0.0;
  std::atomic<bool> mHistoryToForget{false};
  std::array<Biquad, kToneChainLength> mToneChain;
  // The rate the tone chain's coefficients were computed for: the render recomputes them only when
  // the rate has changed, as six pow() and tan() calls per block cost more than the chain itself.
  double mToneChainSampleRate = 0.0;
  bool mEveryInputHeard = kBindingHearsEveryInput;
};

// The factory the host binding calls when the host opens the component; instances are built one
// at a time under a process-wide mutex.
PlugBinding* MakePlug();
