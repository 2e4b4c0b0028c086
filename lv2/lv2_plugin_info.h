#pragma once
// What an effect tells the LV2 binding about itself beyond its parameter list: the plug-in's and its
// editor's URIs, the units of its parameters, which the parameter model does not carry, and what a
// host's plug-in list and a package's description show: its class and its licence.
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
  // A class of the LV2 core vocabulary hosts file it under, e.g. "http://lv2plug.in/ns/lv2core#ReverbPlugin".
  const char* mClassURI;
  // The licence it is distributed under: a URI naming it, and what it says in a line.
  const char* mLicenseURI;
  const char* mLicenseText;
  // The plug-in calls SendMidiMsg or SendSysEx: it gets a MIDI event output port. (Taking MIDI follows
  // from the plug-in's own is-instrument and does-MIDI flags.)
  bool mSendsMidi = false;
};

// Defined by the effect.
extern const LV2PluginInfo kLV2PluginInfo;
