#pragma once
// .aupreset files: the class-info dictionary of a unit as an XML property list.
#include <string>

#include "host/unit/cf_ref.h"

namespace korval_host {

// Empty on success, else why not. An existing file is only replaced by a complete one.
std::string WritePresetFile(const std::string& path, CFPropertyListRef state);
// Empty on success; refuses files that are not property lists holding a dictionary. A FIFO or pipe is
// read to its end.
std::string ReadPresetFile(const std::string& path, CFRef<CFPropertyListRef>* state);
// The dictionary's entries, one "key: value" line each, codes as four characters and data in hex.
std::string DescribePreset(CFPropertyListRef state);

}  // namespace korval_host
