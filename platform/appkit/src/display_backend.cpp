#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/thread_state.h"

#include <chrono>
#include <thread>

namespace korv_appkit {
namespace {

// Stands in when no display was installed: the system's clock, nothing on screen.
class NoScreenDisplay : public DisplayBackend {
 public:
  NSTimeInterval now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  void runUntil(NSTimeInterval date) override {
    NSRunLoop* loop = NSRunLoop::currentRunLoop();
    for (;;) {
      loop->fireDueTimers(now());
      DisplayAllWindows();
      NSTimeInterval next = loop->nextFireDate();
      NSTimeInterval wakeUp = (next >= 0 && next < date) ? next : date;
      NSTimeInterval wait = wakeUp - now();
      if (wakeUp >= date && wait <= 0) break;
      if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    }
  }
};

DisplayBackend* s_installed = nullptr;

}  // namespace

DisplayBackend& Display() {
  static NoScreenDisplay s_noScreen;
  return s_installed ? *s_installed : s_noScreen;
}

void InstallDisplay(DisplayBackend* display) { s_installed = display; }

void UninstallDisplay(DisplayBackend* display) {
  if (s_installed == display) s_installed = nullptr;
}

void DisplayAllWindows() {
  ThreadState& thread = CurrentThreadState();
  size_t keep = thread.modalDepth > 0 ? thread.implicitPool.size() : 0;
  // By number: a window's drawing may close another window.
  std::vector<NSInteger> numbers;
  for (NSWindow* window : AllWindows()) numbers.push_back(window->windowNumber());
  for (NSInteger number : numbers) {
    if (NSWindow* window = NSWindow::windowWithNumber(number)) window->displayIfNeeded();
  }
  DrainPool(thread.implicitPool, keep);
}

void DrainThreadAutoreleasePool() {
  ThreadState& thread = CurrentThreadState();
  if (thread.modalDepth == 0) DrainPool(thread.implicitPool);
}

}  // namespace korv_appkit

bool NSApplicationLoad() {
  korv_appkit::Display();
  return true;
}
