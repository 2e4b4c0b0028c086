// Writes manifest.ttl, the plug-in's description and its factory presets into an LV2 bundle directory
// at build time, from the plug-in it is linked with, so the Turtle always matches the parameters and
// presets the code declares.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "korv_plugin_identity.h"
#include "lv2/ttl_writer.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (!pFile) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), pFile) == text.size();
  return std::fclose(pFile) == 0 && written;
}

// A plug-in without presets leaves no presets file from an earlier build behind.
bool WritePresets(const std::string& path, const std::vector<LV2Preset>& presets) {
  if (!presets.empty()) return WriteFile(path, LV2PresetsTurtle(kLV2PluginInfo, presets));
  std::error_code error;
  std::filesystem::remove(path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s BUNDLE_DIR BINARY_NAME UI_BINARY_NAME TTL_NAME PRESETS_TTL_NAME\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  std::unique_ptr<IFxLV2> pPlug(IFxLV2::MakeDescribedPlug(kLV2PluginInfo));
  if (!pPlug) {
    std::fprintf(stderr, "the plug-in could not be constructed\n");
    return 1;
  }
  // The component's type comes from the same build call: a description that disagrees with it would
  // show the plug-in as something else to LV2 hosts.
  if (pPlug->IsInst() != KORV_PLUGIN_IS_INSTRUMENT || pPlug->DoesMIDI() != KORV_PLUGIN_DOES_MIDI) {
    std::fprintf(stderr, "the plug-in's constructor gives is-instrument %d, does-MIDI %d; its build call's KIND makes "
                 "them %d, %d: pass KORV_PLUGIN_IS_INSTRUMENT and KORV_PLUGIN_DOES_MIDI\n", pPlug->IsInst(),
                 pPlug->DoesMIDI(), KORV_PLUGIN_IS_INSTRUMENT, KORV_PLUGIN_DOES_MIDI);
    return 1;
  }
  // Hosts see the presets an instance keeps once the binding has made it.
  pPlug->PruneUninitializedPresets();
  // The description comes first: the presets are read by restoring each on the plug-in.
  const std::string description = LV2PluginTurtle(*pPlug, kLV2PluginInfo);
  const std::vector<LV2Preset> presets = LV2Presets(*pPlug, kLV2PluginInfo);
  if (!WriteFile(dir + "/manifest.ttl",
                 LV2ManifestTurtle(kLV2PluginInfo, presets, argv[2], argv[3], argv[4], argv[5])) ||
      !WriteFile(dir + "/" + argv[4], description) || !WritePresets(dir + "/" + argv[5], presets)) {
    std::fprintf(stderr, "cannot write the Turtle into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
