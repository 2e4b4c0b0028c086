#pragma once
// Property list files (presets, a bundle's Info.plist) read and written through Core Foundation.
#include <cstdint>
#include <string>

#include "host/cf_ref.h"

namespace korval_host {

CFRef<CFURLRef> FileURL(const std::string& path);

// Far beyond any preset or bundle description (a preset holds a few numbers and a state chunk).
constexpr uint64_t kLargestPropertyListFile = 8u << 20;

// Empty on success. Refuses files larger than kLargestPropertyListFile and files that are not property
// lists holding a dictionary, saying the file "is not <kind>", e.g. "a preset file".
std::string ReadDictionaryFile(const std::string& path, const std::string& kind, CFRef<CFPropertyListRef>* dictionary);

}  // namespace korval_host
