#include <algorithm>
#include <cmath>
#include <cstring>

#include <Foundation/NSRunLoop.h>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/thread_state.h"

const NSRunLoopMode NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
const NSRunLoopMode NSEventTrackingRunLoopMode = "NSEventTrackingRunLoopMode";
const NSRunLoopMode NSModalPanelRunLoopMode = "NSModalPanelRunLoopMode";
const NSRunLoopMode NSRunLoopCommonModes = "kCFRunLoopCommonModes";
const NSRunLoopMode kCFRunLoopDefaultMode = NSDefaultRunLoopMode;
const NSRunLoopMode kCFRunLoopCommonModes = NSRunLoopCommonModes;

namespace {

bool SameMode(NSRunLoopMode a, NSRunLoopMode b) { return a && b && std::strcmp(a, b) == 0; }

constexpr NSTimeInterval kShortestInterval = 0.0001;

}  // namespace

NSTimeInterval NSDate::timeIntervalSinceReferenceDate() { return korv_appkit::Display().now(); }

NSTimer::NSTimer(NSTimeInterval interval, NSObject* target, Action action, NSObject* userInfo, bool repeats)
    : mInterval(interval > 0 ? interval : kShortestInterval),
      mStartDate(korv_appkit::Display().now()),
      mFireDate(mStartDate + mInterval),
      mTarget(NSRetained(target)),
      mAction(std::move(action)),
      mUserInfo(NSRetained(userInfo)),
      mRepeats(repeats) {}

NSTimer::~NSTimer() { invalidate(); }

NSTimer* NSTimer::timerWithTimeInterval(NSTimeInterval interval, NSObject* target, Action action,
                                        NSObject* userInfo, bool repeats) {
  return NSAutoreleased(new NSTimer(interval, target, std::move(action), userInfo, repeats));
}

void NSTimer::invalidate() {
  if (!mValid) return;
  mValid = false;
  mAction = nullptr;
  NSObject* target = mTarget;
  NSObject* userInfo = mUserInfo;
  mTarget = nullptr;
  mUserInfo = nullptr;
  if (target) target->release();
  if (userInfo) userInfo->release();
}

void NSTimer::fire() {
  if (!mValid) return;
  // The action may invalidate or release the timer; keep it alive until the action returns.
  retain();
  Action action = mAction;
  action(this);
  if (!mRepeats) invalidate();
  release();
}

void NSTimer::scheduleAfter(NSTimeInterval now) {
  // Missed firings are skipped, keeping the timer on its original grid.
  long next = std::max(mFiringsScheduled + 1, static_cast<long>(std::floor((now - mStartDate) / mInterval)));
  while (mStartDate + next * mInterval <= now) ++next;
  mFiringsScheduled = next;
  mFireDate = mStartDate + next * mInterval;
}

NSRunLoop::NSRunLoop() : mMode(NSDefaultRunLoopMode) {}

NSRunLoop::~NSRunLoop() {
  for (Entry& entry : mEntries) entry.timer->release();
}

NSRunLoop* NSRunLoop::currentRunLoop() {
  korv_appkit::ThreadState& state = korv_appkit::CurrentThreadState();
  if (!state.runLoop) state.runLoop = new NSRunLoop();
  return state.runLoop;
}

void NSRunLoop::addTimer(NSTimer* timer, NSRunLoopMode mode) {
  if (!timer || !timer->isValid() || !mode) return;
  for (Entry& entry : mEntries) {
    if (entry.timer == timer) {
      if (std::none_of(entry.modes.begin(), entry.modes.end(), [&](NSRunLoopMode m) { return SameMode(m, mode); }))
        entry.modes.push_back(mode);
      return;
    }
  }
  mEntries.push_back(Entry{NSRetained(timer), {mode}});
}

bool NSRunLoop::entryRunsIn(const Entry& entry, NSRunLoopMode mode) const {
  for (NSRunLoopMode m : entry.modes) {
    if (SameMode(m, mode)) return true;
    bool common = SameMode(m, NSRunLoopCommonModes);
    if (common && (SameMode(mode, NSDefaultRunLoopMode) || SameMode(mode, NSEventTrackingRunLoopMode) ||
                   SameMode(mode, NSModalPanelRunLoopMode)))
      return true;
  }
  return false;
}

int NSRunLoop::earliestDueIndex(NSTimeInterval limit) const {
  int best = -1;
  for (size_t i = 0; i < mEntries.size(); ++i) {
    const Entry& entry = mEntries[i];
    if (!entry.timer->isValid() || !entryRunsIn(entry, mMode) || entry.timer->fireDate() > limit) continue;
    if (best < 0 || entry.timer->fireDate() < mEntries[best].timer->fireDate()) best = static_cast<int>(i);
  }
  return best;
}

int NSRunLoop::fireDueTimers(NSTimeInterval now) {
  int fired = 0;
  // Each timer fires at most once per call, earliest first; its next date lies after now.
  std::vector<NSTimer*> done;
  for (;;) {
    int index = earliestDueIndex(now);
    if (index < 0) break;
    NSTimer* timer = mEntries[index].timer;
    if (std::find(done.begin(), done.end(), timer) != done.end()) break;
    done.push_back(timer);
    timer->scheduleAfter(now);
    timer->fire();
    ++fired;
  }
  dropInvalidTimers();
  return fired;
}

NSTimeInterval NSRunLoop::nextFireDate() const {
  int index = earliestDueIndex(INFINITY);
  return index < 0 ? -1 : mEntries[index].timer->fireDate();
}

void NSRunLoop::dropInvalidTimers() {
  std::vector<NSTimer*> dropped;
  auto end = std::remove_if(mEntries.begin(), mEntries.end(), [&](const Entry& entry) {
    if (entry.timer->isValid()) return false;
    dropped.push_back(entry.timer);
    return true;
  });
  mEntries.erase(end, mEntries.end());
  for (NSTimer* timer : dropped) timer->release();
}

void NSRunLoop::runUntilDate(NSTimeInterval date) { korv_appkit::Display().runUntil(date); }
