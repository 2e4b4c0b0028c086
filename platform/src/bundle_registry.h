#pragma once
// The bundles this process knows: its main bundle and the plug-in bundles registered by the host.
#include <CoreFoundation/CFBundle.h>

#include <string>

namespace korv_cf {

// The bundle of that directory, created on first registration; it lives as long as the process.
// Null when memory runs out.
CFBundleRef RegisterBundle(const std::string& path, const std::string& identifier);

}  // namespace korv_cf
