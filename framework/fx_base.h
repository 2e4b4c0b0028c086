#pragma once
// The host-neutral plug-in object. A host binding derives from it and supplies the operations
// that talk to the host; the effect derives from the binding and overrides the processing and
// parameter hooks. The base owns parameters, presets, channel bookkeeping, the instance mutex,
// the editor and the plug-in's identity, and routes audio between host buffers and the effect.
#include <atomic>

#include "base/brm_string.h"
#include "base/heap_buf.h"
#include "base/mutex.h"
#include "base/ptr_list.h"
#include "framework/byte_chunk.h"
#include "framework/delay_line.h"
#include "framework/host_table.h"
#include "framework/editor_link.h"
#include "framework/iparam.h"
#include "framework/ipreset.h"
#include "framework/midi_msg.h"
#include "framework/time_info.h"

enum EAPI { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIRTAS, kAPIAAX, kAPIStandalone, kAPILV2 };

constexpr int kFxNameLen = 128;

class IFxBase {
 public:
  struct ChannelIO {
    int mIn, mOut;
    ChannelIO(int nIn, int nOut) : mIn(nIn), mOut(nOut) {}
  };

  struct InChannel {
    bool mConnected = false;
    // This channel's entry in the input pointer array: what the effect reads.
    double** mSrc;
    BRM_TypedBuf<double> mScratchBuf;
    BRM_String mLabel;
    explicit InChannel(double** pSrc) : mSrc(pSrc) {}
  };

  struct OutChannel {
    bool mConnected = false;
    // This channel's entry in the output pointer array: where the effect writes.
    double** mDest;
    float* mFDest = nullptr;
    BRM_TypedBuf<double> mScratchBuf;
    BRM_String mLabel;
    explicit OutChannel(double** pDest) : mDest(pDest) {}
  };

  // Holds the plug-in's recursive instance mutex for its lifetime; a null plug-in locks nothing, and
  // neither does a plug-in the calling thread holds in an ExclusiveUse scope.
  class IMutexLock {
   public:
    explicit IMutexLock(IFxBase* pPlug) : mLock(pPlug && !pPlug->IsUsedExclusivelyHere() ? &pPlug->mMutex : nullptr) {}

   private:
    BRM_MutexLock mLock;
  };

  // For a binding whose host's rules already keep every writer of the instance off other threads
  // while a call runs: the instance's own locks on this thread lock nothing for the scope's
  // lifetime, so an audio call can change parameters without waiting. Scopes do not nest.
  class ExclusiveUse {
   public:
    explicit ExclusiveUse(const IFxBase* pPlug);
    ~ExclusiveUse();
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;
  };
  bool IsUsedExclusivelyHere() const;

  // channelIOStr lists the legal configurations as "in-out" pairs separated by spaces ("1-1 2-2").
  // Names longer than 127 bytes are cut.
  IFxBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
          const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
          int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  virtual ~IFxBase();
  IFxBase(const IFxBase&) = delete;
  IFxBase& operator=(const IFxBase&) = delete;

  // ---- Hooks, in slot order. Those without a base behaviour belong to the host binding. ----
  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // Copies input i to output i below both channel counts and silences the remaining outputs.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // Plug-ins that offer more than one editor build the one asked for (see EEditorLayout) and attach
  // it in place of the current one; false when they have no such layout or no editor at all.
  virtual bool SelectEditorLayout(int /*layout*/) { return false; }
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMsg(IMidiMsg* pMsg) { SendMidiMsg(pMsg); }
  virtual void ProcessSysEx(ISysEx*) {}
  virtual bool MidiNoteName(int noteNumber, char* noteName);
  virtual bool SerializeState(ByteChunk* pChunk) { return SerializeParams(pChunk); }
  // Returns the position after the state, or -1 when the chunk is too short.
  virtual int UnserializeState(ByteChunk* pChunk, int startPos) { return UnserializeParams(pChunk, startPos); }
  // data holds one double per parameter from element startPos on.
  virtual bool CompareState(const unsigned char* data, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // The editor's path for a knob movement.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Every binding's path for a plain value from the host: an unknown index or NaN is ignored, any
  // other value is read as the binding's host means it (PlainValueFromHost) and held to the
  // parameter's range and steps, and the editor and the effect hear of the value the parameter took.
  void SetParameterFromHost(int paramIdx, double value);
  // What a host's value for the parameter means in its plain units, for hosts whose conventions
  // differ from the parameter model's; by default the value itself. paramIdx is valid, value not NaN.
  virtual double PlainValueFromHost(int /*paramIdx*/, double value) const { return value; }
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // Takes ownership; pushes every parameter into the editor first. Null is ignored.
  virtual void AttachGraphics(IEditorLink* pGraphics);
  virtual void SetLatency(int samples);
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  virtual bool SendSysEx(ISysEx*) { return false; }
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Sizes the scratch buffers (allocates: never on the audio path).
  virtual void SetBlockSize(int blockSize);
  // The host starts afresh (its transport stopped or jumped, or it re-activated the plug-in): the
  // audio heard so far must no longer sound, so buffered signal and filter states are forgotten.
  // Nothing else changes and nothing is rebuilt. Plug-ins without audio history keep the default.
  virtual void ForgetAudioHistory() {}

  // ---- Identity and host ----
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  // str must hold kVersionStrLen bytes.
  void GetEffectVersionStr(char* str) const;
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  const char* GetArchString() const { return "x64"; }
  // Text for GetAPI(), "" for an unknown value.
  const char* GetAPIString();
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  void SetHost(const char* host, int version);
  int GetHostVersion(bool decimal);
  // str must hold kVersionStrLen bytes.
  void GetHostVersionStr(char* str);
  bool IsBypassed() const { return mIsBypassed.load(std::memory_order_relaxed); }

  // ---- Parameters ----
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  void OnParamReset();
  void DirtyParameters();
  IEditorLink* GetGUI() const { return mGraphics; }

  // ---- Timing ----
  // The rates every host route accepts. Below 8 kHz no host runs, and effects that scale with the rate
  // (an impulse resampled with the rate ratio as its gain) would grow dangerously loud; above 768 kHz
  // rate-sized buffers no longer fit sensibly in memory.
  static constexpr double kMinSampleRate = 8000.0;
  static constexpr double kMaxSampleRate = 768000.0;
  // False for NaN and infinities too.
  static bool SampleRateIsUsable(double sampleRate) {
    return sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate;
  }
  double GetSampleRate() const { return mSampleRate; }
  // A rate that is not usable is refused (false) and the rate stays as it was.
  bool SetSampleRate(double sampleRate) {
    if (!SampleRateIsUsable(sampleRate)) return false;
    mSampleRate = sampleRate;
    return true;
  }
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }
  // Samples of output that follow the end of the input, for hosts that stop rendering at silence.
  void SetTailSize(int samples) { mTailSize = samples > 0 ? samples : 0; }
  double GetSamplesPerBeat();

  // ---- Channels ----
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIO* GetChannelIO(int idx) const { return mChannelIO.Get(idx); }
  // A negative count matches any count.
  bool LegalIO(int nIn, int nOut);
  // Channels beyond the channel count are ignored. An unconnected channel is routed to its
  // scratch buffer, so the effect always has somewhere to read and write.
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  // Input buses are 0 (main) and 1 (auxiliary).
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  const char* GetInputBusLabel(int idx) const;
  const char* GetOutputBusLabel(int idx) const;

  // ---- Block processing (audio path: no allocation, no lock) ----
  // Each pointer in ppData goes to the next connected channel from idx on; unconnected channels
  // take none. Frames beyond the block size are never read or written: the scratch buffers hold
  // only that many.
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  // The sample-type overloads (ProcessBuffers, PassThroughBuffers) are chosen by the type of their
  // first argument alone; these tags name the choice.
  static constexpr double kDoubleSamples = 0.0;
  static constexpr float kFloatSamples = 0.0f;
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // Sends every message, never stopping early; true only if every send succeeded.
  bool SendMidiMsgs(BRM_TypedBuf<IMidiMsg>* pMsgs);

  // ---- Presets and state ----
  int NPresets() const { return mPresets.GetSize(); }
  const char* GetPresetName(int idx) const;
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  void ModifyCurrentPreset(const char* name = nullptr);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // One value per parameter: int for boolean, integer and enumerated parameters, else double.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs of (int index, value), the value typed as in MakePreset.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();

  bool SerializeParams(ByteChunk* pChunk);
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  bool SerializePresets(ByteChunk* pChunk);
  int UnserializePresets(ByteChunk* pChunk, int startPos);
  // What a restore reads besides the live state.
  enum class ERestoreScope { kState, kPresetsAndState };
  // Reads a state (or the preset list and the state it leaves) from pChunk at startPos. A chunk that
  // turns out to be damaged puts everything back as it was, the current preset and the editor
  // included, and gives false. presetName, when given, is the preset the state belongs to: it becomes
  // the current one first.
  bool RestoreOrRollBack(ByteChunk* pChunk, int startPos, ERestoreScope scope, const char* presetName = nullptr);
  void InitChunkWithFxVer(ByteChunk* pChunk);
  int GetFxVerFromChunk(ByteChunk* pChunk, int* pPos);

  bool SaveProgramAsFXP(const BRM_String* pFileName);
  bool SaveBankAsFXB(const BRM_String* pFileName);
  bool LoadProgramFromFXP(const BRM_String* pFileName);
  bool LoadBankFromFXB(const BRM_String* pFileName);

  // Developer dumps of presets as source lines; paramEnumNames has one text per parameter.
  void DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[]);
  void DumpPresetBlob(const char* fileName);
  void DumpBankBlob(const char* fileName);

 protected:
  BRM_PtrList<ChannelIO> mChannelIO;
  BRM_Mutex mMutex;
  char mEffectName[kFxNameLen], mProductName[kFxNameLen], mMfrName[kFxNameLen];
  int mUniqueID, mMfrID;
  int mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks, mIsInst, mDoesMIDI;
  // Set by the host thread, read by a render that may run without the instance mutex.
  std::atomic<bool> mIsBypassed{false};
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  int mTailSize = 0;
  // Created only by a binding that reports latency and wants bypass to stay aligned.
  NChanDelayLine* mLatencyDelay = nullptr;
  // Borrowed group texts, added by the binding on demand.
  BRM_PtrList<const char> mParamGroups;
  IEditorLink* mGraphics = nullptr;
  BRM_PtrList<IParam> mParams;
  BRM_PtrList<IPreset> mPresets;
  BRM_TypedBuf<double*> mInData, mOutData;
  BRM_PtrList<InChannel> mInChannels;
  BRM_PtrList<OutChannel> mOutChannels;
  BRM_PtrList<BRM_String> mInputBusLabels, mOutputBusLabels;

 private:
  // File bodies after their headers have been checked.
  bool ApplyProgramChunk(ByteChunk* pFile, int pos, const char* name);
  bool ApplyProgramValues(ByteChunk* pFile, int pos, const char* name);
  // After a program's values are in the parameters: keeps them as the current preset and makes the
  // effect, the editor and the host follow.
  void FinishProgramLoad(const char* name);
  void ApplyParamsToEffectAndEditor();
  bool ApplyBankChunk(ByteChunk* pFile, int pos);
  bool ApplyBankPrograms(ByteChunk* pFile, int pos, int nPrograms, int currentPgm);
  void PutProgramHeader(ByteChunk* pChunk, int byteSize, int programMagic, const char* name);
  void ParseChannelIO(const char* channelIOStr, int* pNIn, int* pNOut);
  int ClampedFrames(int nFrames) const;
  void ConvertOutputsToFloat(int nFrames, bool accumulate);
};
