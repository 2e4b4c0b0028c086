#pragma once
// Writes an LV2 bundle's Turtle from a plug-in on the LV2 binding: manifest.ttl and the plug-in's own
// description, its ports taken from the plug-in's parameter list.
#include <string>
#include <utility>
#include <vector>

#include "lv2/ifx_lv2.h"
#include "lv2/lv2_plugin_info.h"

// A factory preset as an LV2 host applies it: its URI (the plug-in's with a fragment made from the
// label), its label and the plain value of every parameter by port symbol.
struct LV2Preset {
  std::string uri, label;
  std::vector<std::pair<std::string, double>> values;
};

// The plug-in's factory presets, read by restoring each one in turn on it.
std::vector<LV2Preset> LV2Presets(IFxLV2& plug, const LV2PluginInfo& info);
// The manifest naming the plug-in with its shared object binaryName, its editor with uiBinaryName, and
// their description ttlName; and each preset, described in presetsName.
std::string LV2ManifestTurtle(const LV2PluginInfo& info, const std::vector<LV2Preset>& presets,
                              const char* binaryName, const char* uiBinaryName, const char* ttlName,
                              const char* presetsName);
// The presets' description: label, the plug-in they apply to and their port values.
std::string LV2PresetsTurtle(const LV2PluginInfo& info, const std::vector<LV2Preset>& presets);
// The description: identity (class, project and maker, licence), features, extensions, every port with
// name, symbol, range, default, unit (a switch marked toggled, a list of choices marked an enumeration
// with its display texts as scale points), and the editor with the features it needs and can use.
std::string LV2PluginTurtle(IFxLV2& plug, const LV2PluginInfo& info);
// A port symbol from a name: lowercase letters, digits and '_', never starting with a digit.
std::string LV2Symbol(const char* name);
