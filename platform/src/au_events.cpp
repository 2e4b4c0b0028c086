// Audio Unit events sent by plug-ins, delivered to the listeners the host registered.
#include <mutex>

#include "korval_platform/host.h"

namespace {

struct Listener {
  KorvAUEventListenerProc proc;
  void* userData;
};

struct ListenerTable {
  std::mutex mutex;
  Listener listeners[kKorvMaxAUEventListeners] = {};
  int count = 0;
};

ListenerTable& TheTable() {
  static ListenerTable table;
  return table;
}

}  // namespace

OSStatus KorvAddAUEventListener(KorvAUEventListenerProc proc, void* userData) {
  ListenerTable& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!proc || table.count == kKorvMaxAUEventListeners) return paramErr;
  table.listeners[table.count++] = {proc, userData};
  return noErr;
}

void KorvRemoveAUEventListener(KorvAUEventListenerProc proc, void* userData) {
  ListenerTable& table = TheTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  for (int i = 0; i < table.count; ++i) {
    if (table.listeners[i].proc == proc && table.listeners[i].userData == userData) {
      for (int j = i + 1; j < table.count; ++j) table.listeners[j - 1] = table.listeners[j];
      --table.count;
      return;
    }
  }
}

OSStatus AUEventListenerNotify(AUEventListenerRef, void* inSendingObject, const AudioUnitEvent* inEvent) {
  if (!inEvent) return paramErr;
  // Called outside the lock on a copy, so a listener may add or remove listeners; nothing is allocated.
  Listener snapshot[kKorvMaxAUEventListeners];
  int count;
  {
    ListenerTable& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    count = table.count;
    for (int i = 0; i < count; ++i) snapshot[i] = table.listeners[i];
  }
  for (int i = 0; i < count; ++i) snapshot[i].proc(snapshot[i].userData, inSendingObject, inEvent);
  return noErr;
}
