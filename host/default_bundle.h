#pragma once
// Where korval-host finds KORVALINE when no --bundle names a bundle: run from the build tree that made
// it, the bundle that build lays out; anywhere else, the bundle `cmake --install` put beside it. Both
// are found relative to the program itself, so an installed tree works wherever it is unpacked.
#include <string>

namespace korval_host {

// The default bundle for a program in programDir.
std::string DefaultBundleDirFor(const std::string& programDir);
// The default bundle for the running program (taken as in the working directory when its location
// cannot be read).
std::string DefaultBundleDir();

}  // namespace korval_host
