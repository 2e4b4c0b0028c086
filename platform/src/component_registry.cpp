#include "platform/src/component_registry.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "korval_platform/host.h"
#include "platform/src/bundle_info.h"
#include "platform/src/bundle_registry.h"

struct ComponentRecord;

namespace {

struct BundleRecord {
  std::string path;
  std::string executablePath;
  void* library = nullptr;
};

}  // namespace

struct ComponentRecord {
  korv_cm::ComponentEntry entry;
  BundleRecord* bundle = nullptr;
};

struct ComponentInstanceRecord {
  ComponentRecord* component = nullptr;
  ComponentRoutineProcPtr entry = nullptr;
  Handle storage = nullptr;
};

namespace {

// Never destroyed: plug-ins may still call in while the process shuts down. Loaded libraries stay
// loaded for the same reason.
struct Manager {
  std::mutex mutex;
  std::vector<std::unique_ptr<BundleRecord>> bundles;
  std::vector<std::unique_ptr<ComponentRecord>> components;
  std::unordered_set<ComponentInstanceRecord*> instances;

  bool IsComponent(const ComponentRecord* candidate) const {
    for (const auto& component : components)
      if (component.get() == candidate) return true;
    return false;
  }
  ComponentInstanceRecord* FindInstance(ComponentInstance candidate) const {
    auto found = instances.find(candidate);
    return found == instances.end() ? nullptr : *found;
  }
};

Manager& TheManager() {
  static auto* manager = new Manager();
  return *manager;
}

bool Matches(const ComponentDescription& registered, const ComponentDescription& looking) {
  const auto field = [](OSType wanted, OSType actual) { return wanted == 0 || wanted == actual; };
  return field(looking.componentType, registered.componentType) &&
         field(looking.componentSubType, registered.componentSubType) &&
         field(looking.componentManufacturer, registered.componentManufacturer) &&
         (registered.componentFlags & looking.componentFlagsMask) ==
             (looking.componentFlags & looking.componentFlagsMask);
}

// dlsym also answers with the libraries the binary depends on: a bundle naming abort or malloc as its
// factory must not have the host call the C library. Only code of the binary itself is an entry.
bool DefinedByLibrary(void* library, void* address) {
  link_map* own = nullptr;
  Dl_info where;
  void* holder = nullptr;
  return dlinfo(library, RTLD_DI_LINKMAP, &own) == 0 && dladdr1(address, &where, &holder, RTLD_DL_LINKMAP) &&
         holder == own;
}

// Loads the bundle's library once and finds the component's entry, outside the manager's lock
// (the library's initialisers may call back in).
OSErr LoadEntry(const std::string& executablePath, const std::string& symbol, ComponentRoutineProcPtr& entry) {
  // dlopen of a FIFO would wait for a writer forever; code comes from a regular file (links followed).
  struct stat info;
  if (stat(executablePath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    std::fprintf(stderr, "component: cannot load %s: it is not a regular file\n", executablePath.c_str());
    return cfragNoLibraryErr;
  }
  void* library = dlopen(executablePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "component: cannot load %s: %s\n", executablePath.c_str(), dlerror());
    return cfragNoLibraryErr;
  }
  void* address = dlsym(library, symbol.c_str());
  if (!address) {
    std::fprintf(stderr, "component: %s has no entry %s\n", executablePath.c_str(), symbol.c_str());
    return cfragNoSymbolErr;
  }
  if (!DefinedByLibrary(library, address)) {
    std::fprintf(stderr, "component: %s does not define its entry %s itself\n", executablePath.c_str(),
                 symbol.c_str());
    return cfragNoSymbolErr;
  }
  // A bundle may name any of its symbols; calling one that is data would crash the host.
  Dl_info where;
  void* symbolEntry = nullptr;
  const auto* found = dladdr1(address, &where, &symbolEntry, RTLD_DL_SYMENT) ? static_cast<ElfW(Sym)*>(symbolEntry)
                                                                             : nullptr;
  const int type = found ? ELF64_ST_TYPE(found->st_info) : STT_NOTYPE;
  const bool isCode = type == STT_FUNC || type == STT_GNU_IFUNC;
  if (!isCode) {
    std::fprintf(stderr, "component: the entry %s of %s is not a function\n", symbol.c_str(), executablePath.c_str());
    return cfragNoSymbolErr;
  }
  entry = reinterpret_cast<ComponentRoutineProcPtr>(address);
  return noErr;
}

// OSErr is 16 bits wide; a status that does not fit is reported as an invalid component.
OSErr ToOSErr(ComponentResult status) {
  return status >= -32768 && status <= 32767 ? static_cast<OSErr>(status) : static_cast<OSErr>(invalidComponentID);
}

}  // namespace

namespace korv_cm {

bool ResolveInstance(ComponentInstance instance, CallTarget& target) {
  Manager& manager = TheManager();
  std::lock_guard<std::mutex> lock(manager.mutex);
  ComponentInstanceRecord* record = manager.FindInstance(instance);
  if (!record) return false;
  target.entry = record->entry;
  target.storage = record->storage;
  return true;
}

}  // namespace korv_cm

OSStatus KorvRegisterComponentBundle(const char* bundlePath, long* outComponentCount) {
  if (outComponentCount) *outComponentCount = 0;
  if (!bundlePath) return paramErr;
  char resolved[PATH_MAX];
  if (!realpath(bundlePath, resolved)) return fnfErr;
  const std::string path = resolved;

  korv_cm::BundleInfo info;
  const OSStatus status = korv_cm::ReadBundleInfo(path, info);
  if (status != noErr) return status;

  Manager& manager = TheManager();
  std::lock_guard<std::mutex> lock(manager.mutex);
  for (const auto& bundle : manager.bundles) {
    if (bundle->path != path) continue;
    if (outComponentCount) {
      for (const auto& component : manager.components) *outComponentCount += component->bundle == bundle.get();
    }
    return noErr;
  }
  auto bundle = std::make_unique<BundleRecord>();
  bundle->path = path;
  bundle->executablePath = info.executablePath;
  for (const korv_cm::ComponentEntry& entry : info.components) {
    auto component = std::make_unique<ComponentRecord>();
    component->entry = entry;
    component->bundle = bundle.get();
    manager.components.push_back(std::move(component));
  }
  manager.bundles.push_back(std::move(bundle));
  korv_cf::RegisterBundle(path, info.identifier);
  if (outComponentCount) *outComponentCount = static_cast<long>(info.components.size());
  return noErr;
}

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
  Manager& manager = TheManager();
  std::lock_guard<std::mutex> lock(manager.mutex);
  size_t start = 0;
  if (aComponent) {
    while (start < manager.components.size() && manager.components[start].get() != aComponent) ++start;
    if (start == manager.components.size()) return nullptr;
    ++start;
  }
  for (size_t i = start; i < manager.components.size(); ++i) {
    ComponentRecord* component = manager.components[i].get();
    if (!looking || Matches(component->entry.description, *looking)) return component;
  }
  return nullptr;
}

long CountComponents(ComponentDescription* looking) {
  long count = 0;
  for (Component c = FindNextComponent(nullptr, looking); c; c = FindNextComponent(c, looking)) ++count;
  return count;
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon) {
  if (componentName || componentInfo || componentIcon) return paramErr;
  Manager& manager = TheManager();
  std::lock_guard<std::mutex> lock(manager.mutex);
  const ComponentRecord* component = nullptr;
  if (manager.IsComponent(aComponent)) {
    component = aComponent;
  } else if (ComponentInstanceRecord* instance =
                 manager.FindInstance(reinterpret_cast<ComponentInstance>(aComponent))) {
    // The platform accepts an open instance wherever it takes a component.
    component = instance->component;
  }
  if (!component) return invalidComponentID;
  if (cd) *cd = component->entry.description;
  return noErr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci) {
  if (ci) *ci = nullptr;
  if (!ci) return paramErr;
  Manager& manager = TheManager();
  std::string executablePath, symbol;
  {
    std::lock_guard<std::mutex> lock(manager.mutex);
    if (!manager.IsComponent(aComponent)) return invalidComponentID;
    executablePath = aComponent->bundle->executablePath;
    symbol = aComponent->entry.entrySymbol;
  }
  ComponentRoutineProcPtr entry = nullptr;
  const OSErr loadStatus = LoadEntry(executablePath, symbol, entry);
  if (loadStatus != noErr) return loadStatus;

  auto* instance = new ComponentInstanceRecord{aComponent, entry, nullptr};
  {
    std::lock_guard<std::mutex> lock(manager.mutex);
    manager.instances.insert(instance);
  }
  const long openWords[2] = {reinterpret_cast<long>(instance), reinterpret_cast<long>(instance)};
  const ComponentResult status = korv_cm::CallWithWords(instance, kComponentOpenSelect, openWords, 2);
  if (status != noErr) {
    // A component that refused to open still gets its close call, to free what it made.
    CloseComponent(instance);
    return ToOSErr(status);
  }
  *ci = instance;
  return noErr;
}

ComponentInstance OpenComponent(Component aComponent) {
  ComponentInstance instance = nullptr;
  OpenAComponent(aComponent, &instance);
  return instance;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
  Manager& manager = TheManager();
  korv_cm::CallTarget target;
  if (!korv_cm::ResolveInstance(aComponentInstance, target)) return invalidComponentID;
  const long closeWords[1] = {reinterpret_cast<long>(aComponentInstance)};
  const ComponentResult status = korv_cm::CallWithWords(aComponentInstance, kComponentCloseSelect, closeWords, 1);
  {
    std::lock_guard<std::mutex> lock(manager.mutex);
    manager.instances.erase(aComponentInstance);
  }
  delete aComponentInstance;
  return ToOSErr(status);
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage) {
  Manager& manager = TheManager();
  std::lock_guard<std::mutex> lock(manager.mutex);
  if (ComponentInstanceRecord* instance = manager.FindInstance(aComponentInstance)) instance->storage = theStorage;
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance) {
  korv_cm::CallTarget target;
  return korv_cm::ResolveInstance(aComponentInstance, target) ? target.storage : nullptr;
}
