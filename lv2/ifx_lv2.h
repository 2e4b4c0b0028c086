#pragma once
// The LV2 host binding: the plug-in's descriptor callbacks drive the plug-in base. Control ports
// carry the parameters' plain values, the state extension carries the base's state chunk.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "base/brm_string.h"
#include "base/heap_buf.h"
#include "framework/fx_quiet_base.h"
#include "framework/instance_info.h"
#include "lv2/lv2_editor_host.h"
#include "lv2/lv2_ports.h"

class IFxLV2 : public IFxQuietBase {
 public:
  // Frames the scratch audio holds when the host names no maximum block length; longer runs are
  // processed in pieces of this many.
  static constexpr int kDefaultBlockCapacity = 4096;
  static constexpr int kMaxBlockCapacity = 16384;
  // Audio channels a plug-in on this binding may have on each side.
  static constexpr int kMaxLV2Channels = 8;

  IFxLV2(const IFxInstanceInfo& instanceInfo, int nParams, const char* channelIOStr, int nPresets,
         const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
         int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int nSideChainChannels = 0);
  ~IFxLV2() override = default;

  // The descriptor for index 0 (null for any other), carrying uri.
  static const LV2_Descriptor* GetDescriptor(uint32_t index, const char* uri);

  LV2PortLayout Ports() const { return {NInChannels(), NOutChannels(), NParams()}; }

  // ---- Descriptor callbacks, called on the plug-in object ----
  // From instantiate, after construction: the rate, the host's features (null-terminated, may be
  // null). False when a feature the plug-in reads carries no data.
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

 private:
  void ApplyControlPorts();
  // The parameters take the ports' values without the effect hearing of them; the next run tells it.
  void TakeControlPortValues();
  // The port's value, or NaN while the host has connected none.
  float ControlPortValue(int paramIdx) const;
  void MarkControlsUnapplied();
  void RunPiece(uint32_t offset, int nFrames);
  int BlockCapacityFromOptions(const void* pOptions, LV2_URID_Map* pMap) const;

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
};

// Defined by the effect: constructs the plug-in for instantiate.
IFxLV2* MakePlug();
