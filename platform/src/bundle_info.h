#pragma once
// What a plug-in bundle's Info.plist declares.
#include <CoreServices/Components.h>

#include <string>
#include <vector>

namespace korv_cm {

struct ComponentEntry {
  ComponentDescription description{};
  std::string name;
  UInt32 version = 0;
  std::string entrySymbol;
};

struct BundleInfo {
  std::string identifier;
  std::string executablePath;
  std::vector<ComponentEntry> components;
};

// Reads bundlePath/Contents/Info.plist: noErr, fnfErr when it is missing, kAudioUnitErr_InvalidFile
// when it is not a regular file, not a property list or lacks a field (every component entry must be complete, with
// four-character codes, and the executable a plain file name inside Contents/MacOS).
OSStatus ReadBundleInfo(const std::string& bundlePath, BundleInfo& info);

}  // namespace korv_cm
