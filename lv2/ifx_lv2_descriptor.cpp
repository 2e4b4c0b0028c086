// The LV2 descriptor of a plug-in on IFxLV2: plain C callbacks that find the plug-in object in the
// handle and refuse what a host should not have passed.
#include <cstring>

#include "lv2/ifx_lv2.h"

namespace {

IFxLV2* Plug(LV2_Handle handle) { return static_cast<IFxLV2*>(handle); }

// The module describes one plug-in; its info is set with the descriptor.
const LV2PluginInfo* s_pluginInfo = nullptr;

// The key the state chunk is stored under, made from the plug-in's URI.
BRM_String StateKeyURI(const char* uri) {
  BRM_String key(uri);
  key.Append("#state-chunk");
  return key;
}

LV2_Handle CallInstantiate(const LV2_Descriptor* pDescriptor, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
  if (!pDescriptor || !s_pluginInfo || !IFxLV2::SampleRateIsUsable(sampleRate)) return nullptr;
  IFxLV2* pPlug = IFxLV2::MakeDescribedPlug(*s_pluginInfo);
  if (!pPlug) return nullptr;
  if (!pPlug->Configure(sampleRate, features, StateKeyURI(pDescriptor->URI).Get())) {
    delete pPlug;
    return nullptr;
  }
  pPlug->PruneUninitializedPresets();
  return pPlug;
}

void CallConnectPort(LV2_Handle handle, uint32_t port, void* pData) {
  if (handle) Plug(handle)->ConnectPort(port, pData);
}

void CallActivate(LV2_Handle handle) {
  if (handle) Plug(handle)->Activate();
}

void CallRun(LV2_Handle handle, uint32_t nFrames) {
  if (handle) Plug(handle)->Run(nFrames);
}

void CallDeactivate(LV2_Handle handle) {
  if (handle) Plug(handle)->Deactivate();
}

void CallCleanup(LV2_Handle handle) { delete Plug(handle); }

LV2_State_Status CallSave(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle stateHandle, uint32_t,
                      const LV2_Feature* const*) {
  return handle ? Plug(handle)->SaveState(store, stateHandle) : LV2_STATE_ERR_UNKNOWN;
}

LV2_State_Status CallRestore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle stateHandle,
                         uint32_t, const LV2_Feature* const*) {
  return handle ? Plug(handle)->RestoreState(retrieve, stateHandle) : LV2_STATE_ERR_UNKNOWN;
}

const void* CallExtensionData(const char* uri) {
  static const LV2_State_Interface kState = {CallSave, CallRestore};
  return uri && !std::strcmp(uri, LV2_STATE__interface) ? &kState : nullptr;
}

}  // namespace

const LV2_Descriptor* IFxLV2::GetDescriptor(uint32_t index, const LV2PluginInfo& info) {
  s_pluginInfo = &info;
  static const LV2_Descriptor kDescriptor = {info.mURI, CallInstantiate, CallConnectPort, CallActivate,
                                             CallRun,   CallDeactivate,  CallCleanup,     CallExtensionData};
  return index == 0 ? &kDescriptor : nullptr;
}
