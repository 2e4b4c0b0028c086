#pragma once
// What an effect tells the LV2 binding about itself beyond its parameter list: the plug-in's and its
// editor's URIs and the units of its parameters, which the parameter model does not carry.
struct LV2ParamUnit {
  int mParamIdx;
  // A unit from the LV2 units vocabulary, e.g. "http://lv2plug.in/ns/extensions/units#db".
  const char* mUnitURI;
};

struct LV2PluginInfo {
  const char* mURI;
  const LV2ParamUnit* mUnits;
  int mNUnits;
  // The URI of its X11 editor.
  const char* mUIURI;
};

// Defined by the effect.
extern const LV2PluginInfo kLV2PluginInfo;
