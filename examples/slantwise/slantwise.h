#pragma once
// Slantwise EQ: tilts the spectrum of each channel (stereo or mono) about a pivot frequency (a low
// shelf cut by half the tilt and a high shelf raised by half), then applies the output gain.
#include <array>
#include <atomic>

#include "dsp/biquad.h"
#include "framework/plug_binding.h"

enum ESlantwiseParams { kTilt = 0, kPivot, kOutput, kMode, kMono, kNumSlantwiseParams };
// Gentle spreads the two shelves an octave either side of the pivot; steep puts both on it.
enum ESlantwiseMode { kModeGentle = 0, kModeSteep, kNumSlantwiseModes };

class SLANTWISE : public PlugBinding {
 public:
  explicit SLANTWISE(const IFxInstanceInfo& info);

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  bool SelectEditorLayout(int layout) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

 private:
  static constexpr int kNumChannels = 2;
  struct Settings {
    double tiltDb, pivotHz;
    int mode;
  };
  // Redesigns the shelves from the current settings, keeping their state.
  void DesignFilters(const Settings& settings);

  // Written under the instance mutex, read by a render that may run without it; the render redesigns
  // its filters when the generation moves on.
  std::atomic<double> mTiltDb{0.0};
  std::atomic<double> mPivotHz{1000.0};
  std::atomic<int> mMode{kModeGentle};
  std::atomic<double> mOutGain{1.0};
  std::atomic<bool> mMono{false};
  std::atomic<unsigned> mGeneration{1};
  unsigned mDesignedGeneration = 0;
  double mDesignedSampleRate = 0.0;
  std::array<Biquad, kNumChannels> mLowShelf, mHighShelf;
};

PlugBinding* MakePlug();
