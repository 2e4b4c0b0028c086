#include "lv2/lilv_test_host.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/resize-port/resize-port.h>
#include <dlfcn.h>

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
  // lilv unloads the plug-in's module with its last instance, and the leak checker of a sanitizer build
  // then trips over the thread-local block the module leaves in this thread: the module stays loaded.
  if (mPlugin) {
    char* path = lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(mPlugin)), nullptr);
    if (path) dlopen(path, RTLD_NOW | RTLD_NODELETE);
    lilv_free(path);
  }

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
  LilvWorld* world = host.World();
  LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
  LilvNode* atomClass = lilv_new_uri(world, LV2_ATOM__AtomPort);
  LilvNode* inputClass = lilv_new_uri(world, LV2_CORE__InputPort);
  LilvNode* minimumSize = lilv_new_uri(world, LV2_RESIZE_PORT__minimumSize);
  int nAudioIn = 0;
  for (uint32_t i = 0; i < nPorts; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(host.Plugin(), i);
    const bool input = lilv_port_is_a(host.Plugin(), port, inputClass);
    void* pData = &mControls[i];
    if (lilv_port_is_a(host.Plugin(), port, audioClass)) {
      if (!input) mAudioOutPorts.push_back(i);
      const size_t n = input ? nAudioIn++ : mAudioOutPorts.size() - 1;
      pData = n < 2 ? (input ? mIn[n] : mOut[n]).data() : nullptr;
    } else if (lilv_port_is_a(host.Plugin(), port, atomClass)) {
      LilvNodes* sizes = lilv_port_get_value(host.Plugin(), port, minimumSize);
      const size_t bytes = sizes ? static_cast<size_t>(lilv_node_as_int(lilv_nodes_get_first(sizes))) : 8192;
      lilv_nodes_free(sizes);
      std::vector<uint64_t>& buffer = input ? mMidiIn : mMidiOut;
      buffer.assign((bytes + 7) / 8, 0);
      pData = buffer.data();
    } else if (std::isnan(mControls[i])) {
      mControls[i] = 0.0f;
    }
    lilv_instance_connect_port(mInstance, i, pData);
  }
  for (LilvNode* node : {audioClass, atomClass, inputClass, minimumSize}) lilv_node_free(node);
  FeedMidi({}, 0, 0);
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

void TestInstance::FeedMidi(const std::vector<MidiEvent>& events, int64_t start, int frames) {
  const LV2_URID sequence = mHost.Urids().Id(LV2_ATOM__Sequence);
  const LV2_URID midiEvent = mHost.Urids().Id(LV2_MIDI__MidiEvent);
  if (!mMidiIn.empty()) {
    auto* pIn = reinterpret_cast<LV2_Atom_Sequence*>(mMidiIn.data());
    *pIn = {{sizeof(LV2_Atom_Sequence_Body), sequence}, {0, 0}};
    const uint32_t room = static_cast<uint32_t>(mMidiIn.size() * 8 - sizeof(LV2_Atom));
    for (const MidiEvent& event : events) {
      if (event.frame < start || event.frame >= start + frames) continue;
      // Appended in place, as a host's forge does.
      const uint32_t size = static_cast<uint32_t>(event.bytes.size());
      const uint32_t needed = static_cast<uint32_t>(sizeof(LV2_Atom_Event)) + lv2_atom_pad_size(size);
      if (room - pIn->atom.size < needed) continue;
      LV2_Atom_Event* pEvent = lv2_atom_sequence_end(&pIn->body, pIn->atom.size);
      pEvent->time.frames = event.frame - start;
      pEvent->body = {size, midiEvent};
      std::copy(event.bytes.begin(), event.bytes.end(), reinterpret_cast<uint8_t*>(pEvent + 1));
      pIn->atom.size += needed;
    }
  }
  if (!mMidiOut.empty()) {
    // A host tells the plug-in the room an output has in its atom's size.
    auto* pOut = reinterpret_cast<LV2_Atom*>(mMidiOut.data());
    *pOut = {static_cast<uint32_t>(mMidiOut.size() * 8 - sizeof(LV2_Atom)), 0};
  }
}

void TestInstance::FeedRawSequence(const std::vector<uint8_t>& bytes) {
  std::memcpy(mMidiIn.data(), bytes.data(), std::min(bytes.size(), mMidiIn.size() * 8));
}

std::vector<MidiEvent> TestInstance::SentMidi() const {
  std::vector<MidiEvent> sent;
  if (mMidiOut.empty()) return sent;
  const auto* pOut = reinterpret_cast<const LV2_Atom_Sequence*>(mMidiOut.data());
  if (pOut->atom.type != mHost.Urids().Id(LV2_ATOM__Sequence)) return sent;
  LV2_ATOM_SEQUENCE_FOREACH(pOut, event) {
    const auto* pBytes = static_cast<const uint8_t*>(LV2_ATOM_BODY_CONST(&event->body));
    sent.push_back({event->time.frames, std::vector<uint8_t>(pBytes, pBytes + event->body.size)});
  }
  return sent;
}

std::vector<std::vector<float>> TestInstance::RunOnce(int frames) {
  lilv_instance_run(mInstance, static_cast<uint32_t>(frames));
  std::vector<std::vector<float>> outputs;
  for (size_t c = 0; c < mAudioOutPorts.size() && c < 2; ++c) outputs.emplace_back(mOut[c].begin(), mOut[c].begin() + frames);
  return outputs;
}

std::vector<std::vector<float>> TestInstance::Play(const std::vector<MidiEvent>& events, int frames, int block) {
  std::vector<std::vector<float>> outputs(std::min<size_t>(mAudioOutPorts.size(), 2));
  for (auto& buffer : mIn) std::fill(buffer.begin(), buffer.end(), 0.0f);
  for (int done = 0; done < frames; done += block) {
    const int n = std::min(block, frames - done);
    FeedMidi(events, done, n);
    const std::vector<std::vector<float>> run = RunOnce(n);
    for (size_t c = 0; c < outputs.size(); ++c) outputs[c].insert(outputs[c].end(), run[c].begin(), run[c].end());
  }
  return outputs;
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
