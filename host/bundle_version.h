#pragma once
// The version a bundle's Info.plist lists for a component: what the component must answer when asked
// for its version, since hosts go by the listed one before they open it.
#include <string>

#include "host/hosted_unit.h"

namespace korval_host {

// Empty on success, else why not: the Info.plist cannot be read, or lists no such component or no
// version for it.
std::string ReadListedVersion(const std::string& bundleDir, const ComponentDescription& component, UInt32* version);

// "1.0.0 (0x00010000)": major in the upper 16 bits, then minor and bug-fix bytes.
std::string VersionText(UInt32 version);

}  // namespace korval_host
