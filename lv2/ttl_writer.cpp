#include "lv2/ttl_writer.h"

#include <charconv>
#include <cstdint>
#include <set>
#include <vector>

namespace {

const char* const kPrefixes =
    "@prefix dcterms: <http://purl.org/dc/terms/> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// Only descriptions with scale points name rdf:, and only bundles with presets pset:, so the others
// read as they always have.
const char* const kRdfPrefix = "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n";
const char* const kPsetPrefix = "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n";
// And only descriptions with event ports the vocabularies those need.
const char* const kAtomPrefix = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n";
const char* const kMidiPrefix = "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n";
const char* const kResizePrefix = "@prefix rsz: <http://lv2plug.in/ns/ext/resize-port#> .\n";
const char* const kInstrumentClass = "http://lv2plug.in/ns/lv2core#InstrumentPlugin";

// A list of choices: hosts show a menu of its display texts.
bool IsEnumeration(const IParam& param) {
  return param.Type() == IParam::kTypeEnum && param.GetNDisplayTexts() > 0;
}

std::string Prefixes(bool withRdf, bool withPset = false, bool withEvents = false) {
  std::string prefixes = kPrefixes;
  if (withRdf) prefixes.insert(prefixes.find("@prefix rdfs:"), kRdfPrefix);
  if (withPset) prefixes.insert(prefixes.find("@prefix rdf"), kPsetPrefix);
  if (withEvents) {
    prefixes.insert(prefixes.find("@prefix dcterms:"), kAtomPrefix);
    prefixes.insert(prefixes.find("@prefix opts:"), kMidiPrefix);
    prefixes.insert(prefixes.find("@prefix state:"), kResizePrefix);
  }
  return prefixes;
}

std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p; ++p) {
    if (*p == '"' || *p == '\\') out += '\\';
    out += *p;
  }
  return out + "\"";
}

// A Turtle decimal: the shortest text that reads back as the same double, always with a point.
std::string Decimal(double value) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof(buf), value);
  std::string text(buf, result.ptr);
  if (text.find_first_of(".en") == std::string::npos) text += ".0";
  return text;
}

std::string UniqueSymbol(const char* name, std::set<std::string>* pTaken) {
  std::string symbol = LV2Symbol(name);
  std::string candidate = symbol;
  for (int n = 2; pTaken->count(candidate); ++n) candidate = symbol + "_" + std::to_string(n);
  pTaken->insert(candidate);
  return candidate;
}

std::string AudioPortName(bool input, int channel) {
  return std::string(input ? "In " : "Out ") + std::to_string(channel + 1);
}

// Every port's symbol, made unique in port order: audio inputs, audio outputs, parameters, latency,
// MIDI in and out.
struct PortSymbols {
  std::vector<std::string> audioIn, audioOut, params;
  std::string latency, midiIn, midiOut;
};

PortSymbols SymbolsOf(IFxLV2& plug) {
  const LV2PortLayout layout = plug.Ports();
  std::set<std::string> taken;
  PortSymbols symbols;
  for (int c = 0; c < layout.mNIn; ++c) symbols.audioIn.push_back(UniqueSymbol(AudioPortName(true, c).c_str(), &taken));
  for (int c = 0; c < layout.mNOut; ++c)
    symbols.audioOut.push_back(UniqueSymbol(AudioPortName(false, c).c_str(), &taken));
  for (int i = 0; i < layout.mNParams; ++i)
    symbols.params.push_back(UniqueSymbol(plug.GetParam(i)->GetNameForHost(), &taken));
  symbols.latency = UniqueSymbol("latency", &taken);
  symbols.midiIn = UniqueSymbol("midi_in", &taken);
  symbols.midiOut = UniqueSymbol("midi_out", &taken);
  return symbols;
}

std::string AudioPort(uint32_t index, bool input, int channel, const std::string& symbol) {
  return std::string("  [\n    a lv2:AudioPort , ") + (input ? "lv2:InputPort" : "lv2:OutputPort") +
         " ;\n    lv2:index " + std::to_string(index) + " ;\n    lv2:symbol " + Quoted(symbol.c_str()) +
         " ;\n    lv2:name " + Quoted(AudioPortName(input, channel).c_str()) + " ;\n  ]";
}

// A sequence of MIDI events; the input is the plug-in's control input, as instruments' hosts expect.
std::string MidiPort(uint32_t index, bool input, const std::string& symbol) {
  return std::string("  [\n    a atom:AtomPort , ") + (input ? "lv2:InputPort" : "lv2:OutputPort") +
         " ;\n    atom:bufferType atom:Sequence ;\n    atom:supports midi:MidiEvent ;\n" +
         (input ? "    lv2:designation lv2:control ;\n" : "") + "    lv2:index " + std::to_string(index) +
         " ;\n    lv2:symbol " + Quoted(symbol.c_str()) + " ;\n    lv2:name " + (input ? "\"MIDI In\"" : "\"MIDI Out\"") +
         " ;\n    rsz:minimumSize " + std::to_string(IFxLV2::kMinSequenceBytes) + " ;\n  ]";
}

const char* UnitOf(const LV2PluginInfo& info, int paramIdx) {
  for (int i = 0; i < info.mNUnits; ++i)
    if (info.mUnits[i].mParamIdx == paramIdx) return info.mUnits[i].mUnitURI;
  return nullptr;
}

std::string ControlPort(uint32_t index, const IParam& param, const char* unitURI, const std::string& symbol) {
  double min = 0.0, max = 1.0;
  param.GetBounds(&min, &max);
  std::string port = "  [\n    a lv2:ControlPort , lv2:InputPort ;\n    lv2:index " + std::to_string(index) +
                     " ;\n    lv2:symbol " + Quoted(symbol.c_str()) +
                     " ;\n    lv2:name " + Quoted(param.GetNameForHost()) + " ;\n    lv2:default " +
                     Decimal(param.GetDefault()) + " ;\n    lv2:minimum " + Decimal(min) + " ;\n    lv2:maximum " +
                     Decimal(max) + " ;\n";
  if (param.Type() == IParam::kTypeBool) port += "    lv2:portProperty lv2:toggled ;\n";
  if (IsEnumeration(param)) {
    port += "    lv2:portProperty lv2:integer , lv2:enumeration ;\n    lv2:scalePoint";
    for (int i = 0; i < param.GetNDisplayTexts(); ++i) {
      int value = 0;
      const char* text = param.GetDisplayTextAtIdx(i, &value);
      port += std::string(i ? " ,\n      " : " ") + "[ rdfs:label " + Quoted(text ? text : "") + " ; rdf:value " +
              std::to_string(value) + " ]";
    }
    port += " ;\n";
  } else if (param.Type() == IParam::kTypeInt || param.Type() == IParam::kTypeEnum) {
    port += "    lv2:portProperty lv2:integer ;\n";
  }
  if (unitURI) port += "    units:unit <" + std::string(unitURI) + "> ;\n";
  return port + "  ]";
}

}  // namespace

std::string LV2Symbol(const char* name) {
  std::string symbol;
  for (const char* p = name; *p; ++p) {
    const char c = *p;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) symbol += c;
    else if (c >= 'A' && c <= 'Z') symbol += static_cast<char>(c - 'A' + 'a');
    else if (symbol.empty() || symbol.back() != '_') symbol += '_';
  }
  if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol = "p" + symbol;
  return symbol;
}

std::vector<LV2Preset> LV2Presets(IFxLV2& plug, const LV2PluginInfo& info) {
  const PortSymbols symbols = SymbolsOf(plug);
  std::set<std::string> taken;
  std::vector<LV2Preset> presets;
  for (int p = 0; p < plug.NPresets(); ++p) {
    // A preset that does not restore has no values to give; hosts would apply nothing.
    if (!plug.RestorePreset(p)) continue;
    LV2Preset preset;
    preset.label = plug.GetPresetName(p);
    preset.uri = std::string(info.mURI) + "#preset-" + UniqueSymbol(preset.label.c_str(), &taken);
    for (int i = 0; i < plug.NParams(); ++i) preset.values.push_back({symbols.params[i], plug.GetParam(i)->Value()});
    presets.push_back(std::move(preset));
  }
  return presets;
}

std::string LV2ManifestTurtle(const LV2PluginInfo& info, const std::vector<LV2Preset>& presets,
                              const char* binaryName, const char* uiBinaryName, const char* ttlName,
                              const char* presetsName) {
  std::string ttl = Prefixes(false, !presets.empty()) + "<" + info.mURI + ">\n  a lv2:Plugin ;\n  lv2:binary <" +
                    binaryName + "> ;\n  rdfs:seeAlso <" + ttlName + "> .\n\n<" + info.mUIURI +
                    ">\n  a ui:X11UI ;\n  lv2:binary <" + uiBinaryName + "> ;\n  rdfs:seeAlso <" + ttlName + "> .\n";
  for (const LV2Preset& preset : presets)
    ttl += "\n<" + preset.uri + ">\n  a pset:Preset ;\n  lv2:appliesTo <" + info.mURI + "> ;\n  rdfs:seeAlso <" +
           presetsName + "> .\n";
  return ttl;
}

std::string LV2PresetsTurtle(const LV2PluginInfo& info, const std::vector<LV2Preset>& presets) {
  std::string ttl = Prefixes(false, true);
  for (const LV2Preset& preset : presets) {
    ttl += "\n<" + preset.uri + ">\n  a pset:Preset ;\n  lv2:appliesTo <" + info.mURI + "> ;\n  rdfs:label " +
           Quoted(preset.label.c_str()) + " ;\n  lv2:port";
    for (size_t i = 0; i < preset.values.size(); ++i)
      ttl += std::string(i ? " ,\n    " : " ") + "[ lv2:symbol " + Quoted(preset.values[i].first.c_str()) +
             " ; pset:value " + Decimal(preset.values[i].second) + " ]";
    ttl += " .\n";
  }
  return ttl;
}

std::string LV2PluginTurtle(IFxLV2& plug, const LV2PluginInfo& info) {
  // The plug-in's version is major (16 bits), minor, bug fix (8 bits each). LV2 takes minor version 0,
  // or an odd minor or micro version, for a development build hosts may hide, so a release maps onto
  // even numbers that grow with it: major and minor into the minor version, the bug fix into the micro.
  const auto version = static_cast<uint32_t>(plug.GetEffectVersion(false));
  // The maker is the maintainer of the project the plug-in belongs to: DOAP gives projects maintainers,
  // and hosts look for the author there too.
  bool anyEnumeration = false;
  for (int i = 0; i < plug.NParams(); ++i) anyEnumeration = anyEnumeration || IsEnumeration(*plug.GetParam(i));
  const LV2PortLayout layout = plug.Ports();
  const bool events = layout.mMidiIn || layout.mMidiOut;
  // An instrument is filed as one whatever its own class, which it keeps.
  std::string classes = "lv2:Plugin";
  if (!plug.IsInst() || std::string(info.mClassURI) != kInstrumentClass) classes += std::string(" , <") + info.mClassURI + ">";
  if (plug.IsInst()) classes += " , lv2:InstrumentPlugin";
  std::string ttl = Prefixes(anyEnumeration, false, events) + "<" + info.mURI + ">\n  a " + classes +
                    " ;\n  doap:name " + Quoted(plug.GetEffectName()) + " ;\n  lv2:project [\n    a doap:Project ;\n"
                    "    doap:name " + Quoted(plug.GetEffectName()) + " ;\n    doap:maintainer [ foaf:name " +
                    Quoted(plug.GetMfrName()) + " ] ;\n  ] ;\n  doap:license <" + info.mLicenseURI +
                    "> ;\n  lv2:minorVersion " + std::to_string(2 * (version >> 8)) + " ;\n  lv2:microVersion " +
                    std::to_string(2 * (version & 0xff)) + " ;\n" +
                    // Events are typed by URID, so a plug-in with event ports cannot run without the map.
                    (events ? "  lv2:requiredFeature urid:map ;\n  lv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
                            : "  lv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n") +
                    "  lv2:extensionData state:interface ;\n  ui:ui <" + info.mUIURI + "> ;\n  lv2:port\n";
  const PortSymbols symbols = SymbolsOf(plug);
  for (int c = 0; c < layout.mNIn; ++c) ttl += AudioPort(static_cast<uint32_t>(c), true, c, symbols.audioIn[c]) + " ,\n";
  for (int c = 0; c < layout.mNOut; ++c)
    ttl += AudioPort(layout.FirstAudioOut() + static_cast<uint32_t>(c), false, c, symbols.audioOut[c]) + " ,\n";
  for (int i = 0; i < layout.mNParams; ++i)
    ttl += ControlPort(layout.FirstParam() + static_cast<uint32_t>(i), *plug.GetParam(i), UnitOf(info, i),
                       symbols.params[i]) +
           " ,\n";
  ttl += "  [\n    a lv2:ControlPort , lv2:OutputPort ;\n    lv2:index " + std::to_string(layout.Latency()) +
         " ;\n    lv2:symbol " + Quoted(symbols.latency.c_str()) +
         " ;\n    lv2:name \"Latency\" ;\n    lv2:designation lv2:latency ;\n    lv2:portProperty lv2:integer ;\n"
         "    units:unit units:frame ;\n  ]";
  if (layout.mMidiIn) ttl += " ,\n" + MidiPort(layout.MidiIn(), true, symbols.midiIn);
  if (layout.mMidiOut) ttl += " ,\n" + MidiPort(layout.MidiOut(), false, symbols.midiOut);
  ttl += " .\n";
  // The editor works through the ports alone; it draws inside the host's window and is served by
  // the host's idle calls, and draws at the scale factor the host's options give.
  ttl += std::string("\n<") + info.mUIURI +
         ">\n  a ui:X11UI ;\n  lv2:requiredFeature ui:parent ;\n"
         "  lv2:optionalFeature ui:idleInterface , ui:resize , ui:touch , urid:map , opts:options ;\n"
         "  opts:supportedOption ui:scaleFactor ;\n"
         "  lv2:extensionData ui:idleInterface .\n";
  ttl += std::string("\n<") + info.mLicenseURI + ">\n  a dcterms:LicenseDocument ;\n  rdfs:label " +
         Quoted(info.mLicenseText) + " .\n";
  return ttl;
}
