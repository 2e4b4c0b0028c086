#pragma once
// Property list files (presets, a bundle's Info.plist) read and written through Core Foundation.
#include <string>

#include "host/cf_ref.h"

namespace korval_host {

CFRef<CFURLRef> FileURL(const std::string& path);

// Empty on success. Refuses files that are not property lists holding a dictionary, saying the file
// "is not <kind>", e.g. "a preset file".
std::string ReadDictionaryFile(const std::string& path, const std::string& kind, CFRef<CFPropertyListRef>* dictionary);

}  // namespace korval_host
