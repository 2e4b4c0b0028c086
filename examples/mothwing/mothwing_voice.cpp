#include "mothwing_voice.h"

#include <cmath>

#include "band_limited_tables.h"

namespace {

// Below this the envelope has fallen silent (-80 dB) and the voice is free again.
constexpr double kSilentLevel = 1e-4;

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

}  // namespace

void MothwingVoice::Start(int note, int velocity, double bendSemitones, long long age, const VoiceSettings& settings) {
  if (mStage == EStage::kIdle) {
    // A quarter into the cycle both waves stand away from zero, so the note sounds from its first sample.
    mPhase = 0.25;
    mLevel = 0.0;
    mFilter.clearState();
    Redesign(settings);
  }
  mNote = note;
  mAge = age;
  mGain = velocity / 127.0;
  mHeldByPedal = false;
  mStage = EStage::kAttack;
  // The table is fixed for the note: the one that stays clean however far the wheel bends it up.
  mTable = BandLimitedTables::Shared().Table(settings.wave, NoteHz(note + kBendRangeSemitones),
                                             settings.harmonicLimitHz);
  SetBend(bendSemitones, settings);
}

void MothwingVoice::KeyUp(bool pedalDown) {
  if (pedalDown) mHeldByPedal = mStage != EStage::kIdle && mStage != EStage::kRelease;
  else Release();
}

void MothwingVoice::PedalUp() {
  if (mHeldByPedal) Release();
}

void MothwingVoice::Release() {
  mHeldByPedal = false;
  if (mStage != EStage::kIdle) mStage = EStage::kRelease;
}

void MothwingVoice::Kill() {
  mStage = EStage::kIdle;
  mLevel = 0.0;
  mHeldByPedal = false;
}

void MothwingVoice::SetBend(double bendSemitones, const VoiceSettings& settings) {
  mIncrement = NoteHz(mNote + bendSemitones) / settings.sampleRate;
}

void MothwingVoice::Redesign(const VoiceSettings& settings) {
  mFilter.setBiquad(kBiquadLowPass, settings.cutoff, settings.q, 0.0);
}

double MothwingVoice::Next(const VoiceSettings& settings) {
  switch (mStage) {
    case EStage::kIdle: return 0.0;
    case EStage::kAttack:
      mLevel += settings.attackStep;
      if (mLevel >= 1.0) {
        mLevel = 1.0;
        mStage = EStage::kDecay;
      }
      break;
    case EStage::kDecay:
      mLevel = settings.sustainLevel + (mLevel - settings.sustainLevel) * settings.decayFactor;
      if (mLevel - settings.sustainLevel < kSilentLevel) mStage = EStage::kSustain;
      break;
    case EStage::kSustain: mLevel = settings.sustainLevel; break;
    case EStage::kRelease: mLevel *= settings.releaseFactor; break;
  }
  if (mLevel < kSilentLevel && mStage != EStage::kAttack) {
    Kill();
    return 0.0;
  }
  const double wave = BandLimitedTables::Read(mTable, mPhase);
  mPhase += mIncrement;
  mPhase -= std::floor(mPhase);
  return mFilter.process(static_cast<float>(wave)) * mLevel * mGain;
}
