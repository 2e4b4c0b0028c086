#include "lv2/lilv_test_host.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace korv_test {

namespace {

LV2_URID MapURI(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridTable*>(handle)->Id(uri); }

const char* UnmapURID(LV2_URID_Unmap_Handle handle, LV2_URID id) { return static_cast<UridTable*>(handle)->Uri(id); }

struct StoredValue {
  LV2_URID key;
  const void* value;
  size_t size;
  LV2_URID type;
};

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
  const StoredValue* pStored = static_cast<const StoredValue*>(handle);
  if (key != pStored->key) return nullptr;
  *size = pStored->size;
  *type = pStored->type;
  *flags = LV2_STATE_IS_POD;
  return pStored->value;
}

LV2_State_Status Store(LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t, uint32_t) {
  auto* pBytes = static_cast<std::vector<unsigned char>*>(handle);
  const auto* p = static_cast<const unsigned char*>(value);
  pBytes->assign(p, p + size);
  return LV2_STATE_SUCCESS;
}

}  // namespace

UridTable::UridTable() : mMap{this, MapURI}, mUnmap{this, UnmapURID} {}

const char* UridTable::Uri(LV2_URID id) const { return id >= 1 && id <= mURIs.size() ? mURIs[id - 1].c_str() : nullptr; }

LV2_URID UridTable::Id(const char* uri) {
  for (size_t i = 0; i < mURIs.size(); ++i)
    if (mURIs[i] == uri) return static_cast<LV2_URID>(i + 1);
  mURIs.emplace_back(uri);
  return static_cast<LV2_URID>(mURIs.size());
}

LilvTestHost::LilvTestHost(const char* bundleDir, const char* pluginURI)
    : mStateKey(std::string(pluginURI) + "#state-chunk") {
  mWorld = lilv_world_new();
  LilvNode* bundle = lilv_new_file_uri(mWorld, nullptr, (std::string(bundleDir) + "/").c_str());
  lilv_world_load_bundle(mWorld, bundle);
  lilv_node_free(bundle);
  LilvNode* uri = lilv_new_uri(mWorld, pluginURI);
  mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uri);
  lilv_node_free(uri);

  mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, mUrids.Id(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                 mUrids.Id(LV2_ATOM__Int), &mMaxBlock};
  mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  mMapFeature = {LV2_URID__map, mUrids.Map()};
  mUnmapFeature = {LV2_URID__unmap, mUrids.Unmap()};
  mOptionsFeature = {LV2_OPTIONS__options, mOptions};
  mFeatures[0] = &mMapFeature;
  mFeatures[1] = &mUnmapFeature;
  mFeatures[2] = &mOptionsFeature;
  mFeatures[3] = nullptr;
}

LilvTestHost::~LilvTestHost() { lilv_world_free(mWorld); }

TestInstance::TestInstance(LilvTestHost& host, double sampleRate, const LV2_Feature* const* features)
    : mHost(host) {
  if (!host.Plugin()) return;
  mInstance = lilv_plugin_instantiate(host.Plugin(), sampleRate, features ? features : host.Features());
  if (!mInstance) return;
  const uint32_t nPorts = lilv_plugin_get_num_ports(host.Plugin());
  mControls.assign(nPorts, 0.0f);
  for (auto& buffer : mIn) buffer.assign(LilvTestHost::kMaxBlock * 8, 0.0f);
  for (auto& buffer : mOut) buffer.assign(LilvTestHost::kMaxBlock * 8, 0.0f);
  float* defaults = mControls.data();
  lilv_plugin_get_port_ranges_float(host.Plugin(), nullptr, nullptr, defaults);
  for (uint32_t i = 0; i < nPorts; ++i) {
    if (std::isnan(mControls[i])) mControls[i] = 0.0f;
    lilv_instance_connect_port(mInstance, i, &mControls[i]);
  }
  lilv_instance_activate(mInstance);
}

TestInstance::~TestInstance() {
  if (!mInstance) return;
  lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

float& TestInstance::Control(const char* symbol) {
  LilvNode* node = lilv_new_string(mHost.World(), symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(mHost.Plugin(), node);
  lilv_node_free(node);
  return mControls.at(lilv_port_get_index(mHost.Plugin(), port));
}

std::vector<float> TestInstance::Render(const std::vector<float>& input, int block, bool inPlace,
                                       const std::vector<float>* right, std::vector<float>* rightOutput) {
  std::vector<float> output(input.size());
  if (rightOutput) rightOutput->resize(input.size());
  for (size_t done = 0; done < input.size(); done += static_cast<size_t>(block)) {
    const size_t n = std::min(input.size() - done, static_cast<size_t>(block));
    for (int c = 0; c < 2; ++c) {
      const std::vector<float>& source = c == 1 && right ? *right : input;
      std::copy(source.begin() + done, source.begin() + done + n, mIn[c].begin());
      lilv_instance_connect_port(mInstance, c, mIn[c].data());
      lilv_instance_connect_port(mInstance, 2 + c, inPlace ? mIn[c].data() : mOut[c].data());
    }
    lilv_instance_run(mInstance, static_cast<uint32_t>(n));
    const std::vector<float>& left = inPlace ? mIn[0] : mOut[0];
    std::copy(left.begin(), left.begin() + n, output.begin() + done);
    const std::vector<float>& rightOut = inPlace ? mIn[1] : mOut[1];
    if (rightOutput) std::copy(rightOut.begin(), rightOut.begin() + n, rightOutput->begin() + done);
  }
  return output;
}

const LV2_State_Interface* TestInstance::StateInterface() const {
  return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(mInstance, LV2_STATE__interface));
}

std::vector<unsigned char> TestInstance::Chunk() {
  std::vector<unsigned char> bytes;
  const LV2_State_Interface* pState = StateInterface();
  if (!pState || pState->save(lilv_instance_get_handle(mInstance), Store, &bytes, LV2_STATE_IS_POD, nullptr) !=
                     LV2_STATE_SUCCESS)
    bytes.clear();
  return bytes;
}

LV2_State_Status TestInstance::RestoreChunk(const void* value, size_t size, LV2_URID type, bool offerKey) {
  const LV2_URID key = offerKey ? mHost.Urids().Id(mHost.StateKey().c_str()) : 0;
  StoredValue stored = {key, value, size, type};
  return StateInterface()->restore(lilv_instance_get_handle(mInstance), Retrieve, &stored, 0, nullptr);
}

std::vector<float> TestSignal(int frames) {
  std::vector<float> signal(static_cast<size_t>(frames));
  uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    noise = noise * 1664525u + 1013904223u;
    const float click = (i % 9000) < 40 ? 0.5f : 0.0f;
    signal[static_cast<size_t>(i)] =
        click + 0.2f * std::sin(0.03f * static_cast<float>(i)) + 0.05f * (static_cast<float>(noise >> 8) / 8388608.0f - 1.0f);
  }
  return signal;
}

}  // namespace korv_test
