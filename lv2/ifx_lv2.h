#pragma once
// The LV2 host binding: the plug-in's descriptor callbacks drive the plug-in base. Control ports
// carry the parameters' plain values, the state extension carries the base's state chunk, and the
// event ports of a plug-in that takes or sends MIDI carry its MIDI.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "base/brm_string.h"
#include "base/heap_buf.h"
#include "framework/fx_quiet_base.h"
#include "framework/instance_info.h"
#include "lv2/lv2_editor_host.h"
#include "lv2/lv2_midi_events.h"
#include "lv2/lv2_plugin_info.h"
#include "lv2/lv2_ports.h"

class IFxLV2 : public IFxQuietBase {
 public:
  // Frames the scratch audio holds when the host names no maximum block length; longer runs are
  // processed in pieces of this many.
  static constexpr int kDefaultBlockCapacity = 4096;
  static constexpr int kMaxBlockCapacity = 16384;
  // Audio channels a plug-in on this binding may have on each side.
  static constexpr int kMaxLV2Channels = 8;
  // The room the event ports ask their host for (the Turtle's minimum size), and what the binding reads
  // or writes of a sequence when the host names no sequence size.
  static constexpr uint32_t kMinSequenceBytes = 8192;

  IFxLV2(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
         const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
         int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels = 0);
  ~IFxLV2() override = default;

  // The descriptor for index 0 (null for any other), of the plug-in that info describes.
  static const LV2_Descriptor* GetDescriptor(uint32_t index, const LV2PluginInfo& info);
  // MakePlug's plug-in with what its LV2 info adds; null when it cannot be made.
  static IFxLV2* MakeDescribedPlug(const LV2PluginInfo& info);

  // An instrument or a plug-in that does MIDI takes it through an event input port.
  bool TakesMidi() const { return IsInst() || DoesMIDI(); }
  bool SendsMidi() const { return mSendsMidi; }
  LV2PortLayout Ports() const { return {NInChannels(), NOutChannels(), NParams(), TakesMidi(), SendsMidi()}; }

  // ---- Descriptor callbacks, called on the plug-in object ----
  // From instantiate, after construction: the rate, the host's features (null-terminated, may be
  // null). False when a feature the plug-in reads carries no data, or when a plug-in with event ports
  // is offered no URID map.
  bool Configure(double sampleRate, const LV2_Feature* const* features, const char* stateKeyURI);
  // Ports past the layout are ignored.
  void ConnectPort(uint32_t port, void* pData);
  void Activate();
  void Deactivate();
  void Run(uint32_t nFrames);
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  // A switch's port is declared toggled: any value above 0 is on, as hosts and their widgets read it.
  double PlainValueFromHost(int paramIdx, double value) const override;

  // The host hears of changes through its control ports alone, and no transport reaches the plug-in:
  // those hooks stay the host-less binding's, except in an editor's parameter model.
  EAPI GetAPI() override { return kAPILV2; }

  // Makes this object an editor's parameter model: its editor is made by pHost, and changes from the
  // editor go to pHost. Set before the editor is made; null (the running instance) makes none.
  void SetEditorHost(LV2EditorHost* pHost) { mEditorHost = pHost; }
  IGraphics* MakeEditorGraphics(int w, int h, int fps);
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;

  // During a run, into the event output port at the message's offset in the piece being processed;
  // false at any other time, without the port, or when the host's buffer is full.
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  bool SendSysEx(ISysEx* pSysEx) override;

 private:
  void ApplyControlPorts();
  // The parameters take the ports' values without the effect hearing of them; the next run tells it.
  void TakeControlPortValues();
  // The port's value, or NaN while the host has connected none.
  float ControlPortValue(int paramIdx) const;
  void MarkControlsUnapplied();
  void RunPiece(uint32_t offset, int nFrames);
  int BlockCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const;
  uint32_t SequenceCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const;
  // A whole message the plug-in sends, at its offset held inside the piece being processed.
  bool WriteMidiOut(int offset, const uint8_t* pBytes, uint32_t size);

  // The per-port buffers grow in steps of this many bytes; the audio buffers keep the default step.
  static constexpr int kSmallAllocationStepBytes = 64;
  bool mActive = false;
  LV2_URID mStateKey = 0, mChunkType = 0;
  // Where each port's data lives, null while the host has connected none.
  BRM_TypedBuf<void*> mPorts;
  // The control values last taken from the ports: only a change reaches the effect. NaN after a
  // state restore, so the next run takes every port again: the ports, not the chunk, are the truth.
  BRM_TypedBuf<float> mLastControl;
  LV2EditorHost* mEditorHost = nullptr;
  // Read in place of an unconnected audio input, written in place of an unconnected output.
  BRM_TypedBuf<float> mSilence, mDiscard;
  bool mSendsMidi = false;
  uint32_t mSequenceCapacity = kMinSequenceBytes;
  LV2MidiReader mMidiIn;
  LV2MidiWriter mMidiOut;
  // The piece of the run being processed, for what the plug-in sends; mInRun only inside run().
  bool mInRun = false;
  uint32_t mPieceStart = 0, mPieceFrames = 0;
};

// Defined by the effect: constructs the plug-in for instantiate.
IFxLV2* MakePlug();
