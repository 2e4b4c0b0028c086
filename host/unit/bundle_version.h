#pragma once
// The version a bundle's Info.plist lists for a component: what the component must answer when asked
// for its version, since hosts go by the listed one before they open it.
#include <string>

#include "host/unit/hosted_unit.h"

namespace korval_host {

// Empty on success, else why not: the Info.plist cannot be read, or lists no such component or no
// version for it.
std::string ReadListedVersion(const std::string& bundleDir, const ComponentDescription& component, UInt32* version);

// The name the bundle's Info.plist lists for a component ("Maker: Name"). Empty on success, else why not.
std::string ReadListedName(const std::string& bundleDir, const ComponentDescription& component, std::string* name);

// The first component the bundle's Info.plist lists that is not an editor view (type auvw): the unit
// a host opens from the bundle. Empty on success, else why not; *damaged (when given) tells whether the
// Info.plist is there but is no regular file, no property list or lists no unit.
std::string ReadListedUnit(const std::string& bundleDir, ComponentDescription* component, bool* damaged = nullptr);

// "1.0.0 (0x00010000)": major in the upper 16 bits, then minor and bug-fix bytes.
std::string VersionText(UInt32 version);

}  // namespace korval_host
