#include "framework/host_table.h"

#include <cctype>
#include <cstring>

EHost LookUpHost(const char* name) {
  char lower[256];
  int n = name ? static_cast<int>(strnlen(name, sizeof(lower) - 1)) : 0;
  for (int i = 0; i < n; ++i) lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
  lower[n] = 0;

  // The order settles names that contain more than one of the texts.
  static const struct {
    const char* text;
    EHost host;
  } kSearchOrder[] = {
      {"cubase", kHostCubase},         {"reaper", kHostReaper},
      {"nuendo", kHostNuendo},         {"cakewalk", kHostSonar},
      {"samplitude", kHostSamplitude}, {"fruity", kHostFL},
      {"live", kHostLive},             {"melodyne", kHostMelodyne},
      {"vstmanlib", kHostVSTScanner},  {"aulab", kHostAULab},
      {"garageband", kHostGarageBand}, {"forte", kHostForte},
      {"chainer", kHostChainer},       {"audition", kHostAudition},
      {"orion", kHostOrion},           {"sawstudio", kHostSAWStudio},
      {"logic", kHostLogic},           {"digital", kHostDigitalPerformer},
      {"audiomulch", kHostAudioMulch}, {"presonus", kHostStudioOne},
      {"vst3plugintesthost", kHostVST3TestHost}, {"protools", kHostProTools},
      {"ardour", kHostArdour},         {"openmpt", kHostOpenMPT},
      {"renoise", kHostRenoise},       {"standalone", kHostStandalone},
  };
  for (const auto& entry : kSearchOrder)
    if (std::strstr(lower, entry.text)) return entry.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* dest) {
  static const char* const kNames[] = {
      "Unknown",  "Reaper",       "ProTools",   "Cubase",         "Nuendo",        "Sonar",
      "Vegas",    "FLStudio",     "Samplitude", "Live",           "Unknown",       "Unknown",
      "Unknown",  "VSTScanner",   "AULab",      "Forte",          "Chainer",       "Audition",
      "Orion",    "Unknown",      "SAWStudio",  "Logic",          "GarageBand",    "DigitalPerformer",
      "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost", "Ardour",    "Renoise",
      "OpenMPT"};
  const int n = static_cast<int>(sizeof(kNames) / sizeof(kNames[0]));
  std::strcpy(dest, host >= 0 && host < n ? kNames[host] : "Unknown");
}

void ToLower(char* dest, const char* src) {
  while (*src) *dest++ = static_cast<char>(std::tolower(static_cast<unsigned char>(*src++)));
  *dest = 0;
}

bool IsWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
