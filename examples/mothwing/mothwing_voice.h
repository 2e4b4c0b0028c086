#pragma once
// One voice of Mothwing Poly: a band-limited oscillator, a resonant low-pass filter and an envelope
// (linear attack, then exponential decay to the sustain level and, once released, to silence).
#include "dsp/biquad.h"

// What every voice plays with, worked out from the parameters and the sample rate.
struct VoiceSettings {
  int wave = 0;
  // Per sample: the attack's rise, the decay's and the release's factor towards their targets.
  double attackStep = 1.0, decayFactor = 0.0, releaseFactor = 0.0;
  double sustainLevel = 1.0;
  // The filter's corner as a fraction of the sample rate, and its Q.
  double cutoff = 0.45, q = 0.707;
  // The highest harmonic frequency a table may hold, in hertz.
  double harmonicLimitHz = 20000.0;
  double sampleRate = 48000.0;
};

class MothwingVoice {
 public:
  enum class EStage { kIdle, kAttack, kDecay, kSustain, kRelease };
  static constexpr double kBendRangeSemitones = 2.0;

  // Starts note at velocity (1..127). An idle voice starts afresh; a sounding one (retriggered or
  // stolen) glides on from where its envelope and filter are, without a click.
  void Start(int note, int velocity, double bendSemitones, long long age, const VoiceSettings& settings);
  // The key is let go: the release starts, or waits while the sustain pedal is down.
  void KeyUp(bool pedalDown);
  // The pedal is let go: a note whose key is up starts its release.
  void PedalUp();
  // Releases whatever holds the note.
  void Release();
  // Silent at once.
  void Kill();
  void SetBend(double bendSemitones, const VoiceSettings& settings);
  // After the settings changed: the filter takes the new design, keeping its state.
  void Redesign(const VoiceSettings& settings);
  double Next(const VoiceSettings& settings);

  bool IsActive() const { return mStage != EStage::kIdle; }
  bool IsReleased() const { return mStage == EStage::kRelease; }
  int Note() const { return mNote; }
  long long Age() const { return mAge; }

 private:
  EStage mStage = EStage::kIdle;
  int mNote = 0;
  long long mAge = 0;
  bool mHeldByPedal = false;
  double mGain = 0.0, mLevel = 0.0;
  double mPhase = 0.0, mIncrement = 0.0;
  const float* mTable = nullptr;
  Biquad mFilter;
};
