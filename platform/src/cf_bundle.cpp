#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFString.h>

#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <vector>

#include "platform/src/bundle_registry.h"
#include "platform/src/cf_runtime.h"
#include "korval_platform/host.h"

namespace korv_cf {
namespace {

struct BundleObject {
  ObjectHeader header;
  CFStringRef identifier = nullptr;
  CFURLRef url = nullptr;
  std::string path;
};

void FinalizeBundle(CFTypeRef cf) {
  auto* bundle = static_cast<const BundleObject*>(cf);
  CFRelease(bundle->identifier);
  CFRelease(bundle->url);
  DestroyObject<BundleObject>(cf);
}

const ClassInfo kBundleClass = {kBundleTypeID, "CFBundle", FinalizeBundle, nullptr, nullptr, nullptr};

// Bundles are never freed, so that the unowned references the Get calls hand out stay valid;
// the registry itself is never destroyed, so they stay reachable until the process ends.
struct Registry {
  std::mutex mutex;
  std::vector<BundleObject*> bundles;
  BundleObject* mainBundle = nullptr;
};

Registry& TheRegistry() {
  static auto* registry = new Registry();
  return *registry;
}

std::string ProgramDirectory() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "/";
  std::string program(path, static_cast<size_t>(length));
  const size_t slash = program.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : program.substr(0, slash);
}

BundleObject* NewBundle(const std::string& path, const std::string& identifier) {
  auto* bundle = CreateObject<BundleObject>(nullptr, &kBundleClass);
  if (!bundle) return nullptr;
  bundle->path = path;
  bundle->url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                        static_cast<CFIndex>(path.size()), true);
  if (!identifier.empty()) bundle->identifier = CreateStringFromUTF8(nullptr, identifier);
  return bundle;
}

BundleObject* AsBundle(CFTypeRef cf) { return As<BundleObject>(cf, kBundleTypeID); }

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

CFBundleRef RegisterBundle(const std::string& path, const std::string& identifier) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (BundleObject* bundle : registry.bundles)
    if (bundle->path == path) return reinterpret_cast<CFBundleRef>(bundle);
  BundleObject* bundle = NewBundle(path, identifier);
  if (bundle) registry.bundles.push_back(bundle);
  return reinterpret_cast<CFBundleRef>(bundle);
}

}  // namespace korv_cf

using namespace korv_cf;

CFTypeID CFBundleGetTypeID(void) { return kBundleTypeID; }

void KorvSetMainBundle(const char* identifier, const char* bundlePath) {
  BundleObject* bundle = NewBundle(bundlePath ? bundlePath : ProgramDirectory(), identifier ? identifier : "");
  if (!bundle) return;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  // The previous main bundle stays alive: callers may still hold its unowned references.
  if (registry.mainBundle) registry.bundles.push_back(registry.mainBundle);
  registry.mainBundle = bundle;
}

CFBundleRef CFBundleGetMainBundle(void) {
  Registry& registry = TheRegistry();
  {
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (registry.mainBundle) return reinterpret_cast<CFBundleRef>(registry.mainBundle);
  }
  KorvSetMainBundle(nullptr, nullptr);
  std::lock_guard<std::mutex> lock(registry.mutex);
  return reinterpret_cast<CFBundleRef>(registry.mainBundle);
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  if (CFGetTypeID(bundleID) != CFStringGetTypeID()) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (registry.mainBundle && CFEqual(registry.mainBundle->identifier, bundleID))
    return reinterpret_cast<CFBundleRef>(registry.mainBundle);
  for (BundleObject* bundle : registry.bundles)
    if (CFEqual(bundle->identifier, bundleID)) return reinterpret_cast<CFBundleRef>(bundle);
  return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  const BundleObject* object = AsBundle(bundle);
  return object ? object->identifier : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  const BundleObject* object = AsBundle(bundle);
  return object ? CFURLRef(CFRetain(object->url)) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
  const BundleObject* object = AsBundle(bundle);
  const std::string_view name = StringView(resourceName);
  if (!object || name.empty()) return nullptr;
  std::string path = object->path + "/Contents/Resources/";
  const std::string_view subDirectory = StringView(subDirName);
  if (!subDirectory.empty()) {
    path += subDirectory;
    path += '/';
  }
  path += name;
  std::string_view type = StringView(resourceType);
  if (!type.empty() && type[0] == '.') type.remove_prefix(1);
  if (!type.empty()) {
    path += '.';
    path += type;
  }
  if (!IsRegularFile(path)) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 static_cast<CFIndex>(path.size()), false);
}
