#include "host/default_bundle.h"

#include <filesystem>
#include <system_error>

// Paths relative to the program's directory, set by the build: the build tree's top (where its
// CMakeCache.txt lies), the bundle it makes, and the bundle's installed place.
#if !defined(KORV_BUILD_ROOT_FROM_HOST) || !defined(KORV_BUILT_BUNDLE_FROM_HOST) || \
    !defined(KORV_INSTALLED_BUNDLE_FROM_HOST)
#error "korval-host is built with the paths of its default bundle"
#endif

namespace korval_host {

std::string DefaultBundleDirFor(const std::string& programDir) {
  const std::filesystem::path dir(programDir);
  std::error_code error;
  const bool inBuildTree = std::filesystem::exists(dir / KORV_BUILD_ROOT_FROM_HOST / "CMakeCache.txt", error);
  return (dir / (inBuildTree ? KORV_BUILT_BUNDLE_FROM_HOST : KORV_INSTALLED_BUNDLE_FROM_HOST))
      .lexically_normal()
      .string();
}

std::string DefaultBundleDir() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return DefaultBundleDirFor(error ? std::string(".") : program.parent_path().string());
}

}  // namespace korval_host
