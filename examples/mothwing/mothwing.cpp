#include "mothwing.h"

#include <algorithm>
#include <cmath>

#include "band_limited_tables.h"
#include "framework/codes_and_samples.h"
#include "framework/editor_layout.h"
#include "gui/auto_gui.h"
#include "gui/igraphics.h"
#include "korv_plugin_identity.h"

namespace {

constexpr int kNumPresets = 4;
// A voice at full velocity swings about ±0.2, so a few notes together stay below the limiter's knee.
constexpr double kVoiceGain = 0.2;
// Above this the output bends smoothly towards full scale, which it never reaches.
constexpr double kLimiterKnee = 0.5;
// The envelope's decay and release times are the times to fall by 80 dB.
constexpr double kSilenceRatio = 1e-4;
// Harmonics above this are not heard; the tables stop below it (and below the Nyquist frequency).
constexpr double kHarmonicLimitHz = 20000.0;

constexpr int kKnobCellW = 96, kKnobCellH = 112;
const IColor kPanel(255, 38, 34, 52);
const IColor kInk(255, 232, 222, 196);

double Samples(double ms, double sampleRate) { return std::max(1.0, ms * 0.001 * sampleRate); }

double SoftLimit(double x) {
  if (!std::isfinite(x)) return 0.0;
  const double magnitude = std::fabs(x);
  if (magnitude <= kLimiterKnee) return x;
  const double above = (magnitude - kLimiterKnee) / (1.0 - kLimiterKnee);
  return std::copysign(kLimiterKnee + (1.0 - kLimiterKnee) * std::tanh(above), x);
}

}  // namespace

MOTHWING::MOTHWING(const IFxInstanceInfo& info)
    : PlugBinding(info, kNumMothwingParams, "0-2", kNumPresets, KORV_PLUGIN_DISPLAY_NAME, "", KORV_PLUGIN_MAKER,
                  KORV_PLUGIN_VERSION, FourCC(KORV_PLUGIN_SUBTYPE), FourCC(KORV_PLUGIN_MANUFACTURER), 0,
                  KORV_PLUGIN_DOES_MIDI, false, KORV_PLUGIN_IS_INSTRUMENT, 0) {
  GetParam(kWave)->InitEnum("Wave", kWaveSaw, kNumWaves);
  GetParam(kWave)->SetDisplayText(kWaveSaw, "Saw");
  GetParam(kWave)->SetDisplayText(kWaveSquare, "Square");
  GetParam(kCutoff)->InitDouble("Cutoff", 6000.0, 40.0, 20000.0, 1.0, "Hz", "", 3.0);
  GetParam(kResonance)->InitDouble("Resonance", 0.7, 0.5, 8.0, 0.01);
  GetParam(kAttack)->InitDouble("Attack", 5.0, 0.0, 2000.0, 0.1, "ms", "", 3.0);
  GetParam(kDecay)->InitDouble("Decay", 400.0, 1.0, 5000.0, 1.0, "ms", "", 3.0);
  GetParam(kSustain)->InitDouble("Sustain", 70.0, 0.0, 100.0, 0.1, "%");
  GetParam(kRelease)->InitDouble("Release", 300.0, 1.0, 5000.0, 1.0, "ms", "", 3.0);
  GetParam(kVolume)->InitDouble("Volume", -6.0, -40.0, 0.0, 0.1, "dB");

  MakeDefaultPreset("Default");
  // One value per parameter, in order: wave, cutoff, resonance, attack, decay, sustain, release, volume.
  MakePreset("Soft Pad", static_cast<int>(kWaveSquare), 1800.0, 1.2, 600.0, 1500.0, 80.0, 1800.0, -9.0);
  MakePreset("Pluck", static_cast<int>(kWaveSaw), 3500.0, 2.5, 0.5, 350.0, 0.0, 250.0, -6.0);
  MakePreset("Bright Lead", static_cast<int>(kWaveSaw), 14000.0, 1.0, 4.0, 200.0, 85.0, 180.0, -8.0);

  // The wave tables are made now, never on the audio thread.
  BandLimitedTables::Shared();
  UpdateSettings();
  UpdateTail();
  SelectEditorLayout(kEditorLayoutFixed);
}

bool MOTHWING::SelectEditorLayout(int layout) {
  // Its own panel is the generated row of knobs.
  if (layout != kEditorLayoutFixed && layout != kEditorLayoutKnobs) return false;
  IMutexLock lock(this);
  IGraphics* editor = MakeBindingGraphics(this, kNumMothwingParams * (kKnobCellW + 2) + 4, kKnobCellH + 4, 0);
  if (!editor) return false;
  IText style(12, &kInk, "DejaVu Sans", IText::kStyleNormal, IText::kAlignCenter, 0, IText::kQualityAntiAliased);
  GenerateKnobGUI(editor, this, &style, &kPanel, &kInk, kKnobCellW, kKnobCellH);
  // Replaces (and deletes) the editor attached before.
  AttachGraphics(editor);
  return true;
}

void MOTHWING::OnParamChange(int paramIdx) {
  IMutexLock lock(this);
  if (paramIdx == kRelease) UpdateTail();
  mGeneration.fetch_add(1, std::memory_order_release);
}

void MOTHWING::Reset() {
  IMutexLock lock(this);
  Silence();
  UpdateTail();
  mAppliedGeneration = 0;
}

void MOTHWING::UpdateTail() {
  // Hosts that stop rendering at silence hear the release after the last note.
  SetTailSize(static_cast<int>(Samples(GetParam(kRelease)->Value(), GetSampleRate())));
}

void MOTHWING::ForgetAudioHistory() { Silence(); }

void MOTHWING::Silence() {
  for (MothwingVoice& voice : mVoices) voice.Kill();
  mNQueued = 0;
  mPedalDown = false;
  mBendSemitones = 0.0;
}

void MOTHWING::UpdateSettings() {
  const double rate = GetSampleRate();
  mSettings.sampleRate = rate;
  mSettings.wave = GetParam(kWave)->Int();
  mSettings.attackStep = 1.0 / Samples(GetParam(kAttack)->Value(), rate);
  mSettings.decayFactor = std::pow(kSilenceRatio, 1.0 / Samples(GetParam(kDecay)->Value(), rate));
  mSettings.releaseFactor = std::pow(kSilenceRatio, 1.0 / Samples(GetParam(kRelease)->Value(), rate));
  mSettings.sustainLevel = GetParam(kSustain)->Value() / 100.0;
  mSettings.cutoff = std::clamp(GetParam(kCutoff)->Value() / rate, 1e-4, 0.45);
  mSettings.q = GetParam(kResonance)->Value();
  mSettings.harmonicLimitHz = std::min(kHarmonicLimitHz, 0.45 * rate);
  mOutputGain = kVoiceGain * DBToAmp(GetParam(kVolume)->Value());
  for (MothwingVoice& voice : mVoices) {
    voice.Redesign(mSettings);
    voice.SetBend(mBendSemitones, mSettings);
  }
  mAppliedRate = rate;
}

void MOTHWING::ProcessMidiMsg(IMidiMsg* pMsg) {
  if (pMsg && mNQueued < kMaxQueuedMsgs) mQueue[mNQueued++] = *pMsg;
}

void MOTHWING::ProcessDoubleReplacing(double**, double** outputs, int nFrames) {
  if (nFrames <= 0) return;
  const unsigned generation = mGeneration.load(std::memory_order_acquire);
  if (generation != mAppliedGeneration || GetSampleRate() != mAppliedRate) {
    mAppliedGeneration = generation;
    UpdateSettings();
  }
  // In time order; messages at the same offset keep the order they came in. (An insertion sort: the
  // library's stable sort may allocate, and the messages mostly come in order anyway.)
  for (int i = 1; i < mNQueued; ++i) {
    const IMidiMsg msg = mQueue[i];
    int j = i;
    for (; j > 0 && mQueue[j - 1].mOffset > msg.mOffset; --j) mQueue[j] = mQueue[j - 1];
    mQueue[j] = msg;
  }
  int done = 0;
  for (int i = 0; i < mNQueued; ++i) {
    const int offset = std::clamp(mQueue[i].mOffset, done, nFrames - 1);
    Render(outputs, done, offset);
    Apply(mQueue[i]);
    done = offset;
  }
  mNQueued = 0;
  Render(outputs, done, nFrames);
}

void MOTHWING::Render(double** outputs, int from, int to) {
  for (int i = from; i < to; ++i) {
    double sum = 0.0;
    for (MothwingVoice& voice : mVoices) sum += voice.Next(mSettings);
    outputs[0][i] = outputs[1][i] = SoftLimit(sum * mOutputGain);
  }
}

void MOTHWING::Apply(const IMidiMsg& msg) {
  // Bytes from a host are taken as MIDI data bytes, whatever their top bit says.
  const int data1 = msg.mData1 & 0x7F, data2 = msg.mData2 & 0x7F;
  switch (msg.StatusMsg()) {
    case IMidiMsg::kNoteOn:
      if (data2 > 0) NoteOn(data1, data2);
      else NoteOff(data1);
      break;
    case IMidiMsg::kNoteOff: NoteOff(data1); break;
    case IMidiMsg::kControlChange: ControlChange(data1, data2); break;
    case IMidiMsg::kPitchWheel:
      SetBend((data2 * 128 + data1 - 8192) / 8192.0 * MothwingVoice::kBendRangeSemitones);
      break;
    default: break;
  }
}

void MOTHWING::NoteOn(int note, int velocity) {
  VoiceFor(note).Start(note, velocity, mBendSemitones, ++mNotesStarted, mSettings);
}

void MOTHWING::NoteOff(int note) {
  for (MothwingVoice& voice : mVoices)
    if (voice.IsActive() && voice.Note() == note) voice.KeyUp(mPedalDown);
}

void MOTHWING::ControlChange(int controller, int value) {
  switch (controller) {
    case 64:
      mPedalDown = value >= 64;
      if (!mPedalDown)
        for (MothwingVoice& voice : mVoices) voice.PedalUp();
      break;
    case 120:
      for (MothwingVoice& voice : mVoices) voice.Kill();
      break;
    case 121:
      SetBend(0.0);
      ControlChange(64, 0);
      break;
    case 123:
      for (MothwingVoice& voice : mVoices) voice.Release();
      break;
    default: break;
  }
}

void MOTHWING::SetBend(double semitones) {
  mBendSemitones = semitones;
  for (MothwingVoice& voice : mVoices) voice.SetBend(semitones, mSettings);
}

MothwingVoice& MOTHWING::VoiceFor(int note) {
  // The same key again retriggers its voice; otherwise a free voice, else the one that matters least.
  for (MothwingVoice& voice : mVoices)
    if (voice.IsActive() && voice.Note() == note && !voice.IsReleased()) return voice;
  for (MothwingVoice& voice : mVoices)
    if (!voice.IsActive()) return voice;
  return *std::min_element(mVoices.begin(), mVoices.end(), [](const MothwingVoice& a, const MothwingVoice& b) {
    if (a.IsReleased() != b.IsReleased()) return a.IsReleased();
    return a.Age() < b.Age();
  });
}

PlugBinding* MakePlug() { return MakeBoundPlug<MOTHWING>(KORV_PLUGIN_BUNDLE_ID, KORV_PLUGIN_VIEW_CLASS); }
