#pragma once
// Mothwing Poly: an eight-voice instrument. Each voice plays a band-limited sawtooth or square wave
// through a resonant low-pass filter under an envelope; notes answer velocity, the pitch wheel (two
// semitones either way), the sustain pedal (CC 64), all sound off (CC 120), reset all controllers
// (CC 121) and all notes off (CC 123) on every channel. A ninth note steals the voice that matters
// least: a released one before a held one, the oldest first.
#include <array>
#include <atomic>

#include "framework/plug_binding.h"
#include "mothwing_voice.h"

enum EMothwingParams { kWave = 0, kCutoff, kResonance, kAttack, kDecay, kSustain, kRelease, kVolume, kNumMothwingParams };

class MOTHWING : public PlugBinding {
 public:
  static constexpr int kNumVoices = 8;

  explicit MOTHWING(const IFxInstanceInfo& info);

  void Reset() override;
  void ForgetAudioHistory() override;
  void OnParamChange(int paramIdx) override;
  bool SelectEditorLayout(int layout) override;
  // The bindings hand a block's messages over before the block is processed; each is played at its
  // offset in the block (an offset outside the block at its nearest end).
  void ProcessMidiMsg(IMidiMsg* pMsg) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

 private:
  // Messages a block can hold; more are dropped.
  static constexpr int kMaxQueuedMsgs = 1024;

  void Silence();
  void UpdateTail();
  // Takes the parameters and the sample rate into the voices' settings.
  void UpdateSettings();
  void Apply(const IMidiMsg& msg);
  void NoteOn(int note, int velocity);
  void NoteOff(int note);
  void ControlChange(int controller, int value);
  void SetBend(double semitones);
  MothwingVoice& VoiceFor(int note);
  void Render(double** outputs, int from, int to);

  // Moved on under the instance mutex when a parameter changes; the render takes the parameters again
  // when it moves.
  std::atomic<unsigned> mGeneration{1};
  unsigned mAppliedGeneration = 0;
  double mAppliedRate = 0.0;
  VoiceSettings mSettings;
  double mOutputGain = 1.0;
  std::array<MothwingVoice, kNumVoices> mVoices;
  std::array<IMidiMsg, kMaxQueuedMsgs> mQueue;
  int mNQueued = 0;
  bool mPedalDown = false;
  double mBendSemitones = 0.0;
  long long mNotesStarted = 0;
};

PlugBinding* MakePlug();
