#pragma once
// Timers and the thread's run loop. Time is seconds on the display's clock (the headless display's
// clock moves only when its driver advances it).
#include <functional>
#include <vector>

#include <Foundation/NSObject.h>

typedef double NSTimeInterval;
typedef const char* NSRunLoopMode;

extern const NSRunLoopMode NSDefaultRunLoopMode;
// Entered while a mouse button is held down in a window.
extern const NSRunLoopMode NSEventTrackingRunLoopMode;
extern const NSRunLoopMode NSModalPanelRunLoopMode;
// Default, tracking and modal panel modes together.
extern const NSRunLoopMode NSRunLoopCommonModes;
// The same modes under their Core Foundation names.
extern const NSRunLoopMode kCFRunLoopDefaultMode;
extern const NSRunLoopMode kCFRunLoopCommonModes;

class NSDate {
 public:
  // The display's clock now.
  static NSTimeInterval timeIntervalSinceReferenceDate();
};

class NSTimer : public NSObject {
 public:
  typedef std::function<void(NSTimer*)> Action;

  // An autoreleased timer, not yet in any run loop. It keeps its target alive until invalidated.
  // Intervals of 0 or less become 0.1 ms. The first firing is one interval after creation.
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, NSObject* target, Action action,
                                        NSObject* userInfo, bool repeats);
  template <class T>
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, T* target, void (T::*selector)(NSTimer*),
                                        NSObject* userInfo, bool repeats) {
    return timerWithTimeInterval(
        interval, target, [target, selector](NSTimer* timer) { (target->*selector)(timer); }, userInfo, repeats);
  }
  // The same, already added to the current run loop in the default mode.
  template <class T>
  static NSTimer* scheduledTimerWithTimeInterval(NSTimeInterval interval, T* target, void (T::*selector)(NSTimer*),
                                                 NSObject* userInfo, bool repeats);

  // Stops the timer for good and releases its target and user info.
  void invalidate();
  bool isValid() const { return mValid; }
  // Runs the action now without changing the schedule; a one-shot timer is invalidated.
  void fire();
  NSTimeInterval timeInterval() const { return mInterval; }
  NSTimeInterval fireDate() const { return mFireDate; }
  NSObject* userInfo() const { return mUserInfo; }

  ~NSTimer() override;

 private:
  friend class NSRunLoop;
  NSTimer(NSTimeInterval interval, NSObject* target, Action action, NSObject* userInfo, bool repeats);
  void scheduleAfter(NSTimeInterval now);

  NSTimeInterval mInterval;
  // Dates are start + n × interval, so long runs do not drift.
  NSTimeInterval mStartDate;
  long mFiringsScheduled = 1;
  NSTimeInterval mFireDate;
  NSObject* mTarget;
  Action mAction;
  NSObject* mUserInfo;
  bool mRepeats;
  bool mValid = true;
};

class NSRunLoop : public NSObject {
 public:
  // The calling thread's run loop, made on first use and kept until the thread ends.
  static NSRunLoop* currentRunLoop();

  // The run loop retains the timer until it is invalidated. Adding it again adds the mode.
  void addTimer(NSTimer* timer, NSRunLoopMode mode);
  NSRunLoopMode currentMode() const { return mMode; }
  // Serves the display (events, timers, redraws) until the display's clock reaches the date.
  void runUntilDate(NSTimeInterval date);

  // Driving calls for the display backends.
  void setCurrentMode(NSRunLoopMode mode) { mMode = mode; }
  // Fires, in date order, every timer of the current mode due at or before now. Returns how many fired.
  int fireDueTimers(NSTimeInterval now);
  // The earliest fire date of a timer of the current mode; a negative value when there is none.
  NSTimeInterval nextFireDate() const;

  ~NSRunLoop() override;

 private:
  NSRunLoop();
  struct Entry {
    NSTimer* timer;
    std::vector<NSRunLoopMode> modes;
  };
  bool entryRunsIn(const Entry& entry, NSRunLoopMode mode) const;
  int earliestDueIndex(NSTimeInterval limit) const;
  void dropInvalidTimers();

  std::vector<Entry> mEntries;
  NSRunLoopMode mMode;
};

template <class T>
NSTimer* NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, T* target, void (T::*selector)(NSTimer*),
                                                 NSObject* userInfo, bool repeats) {
  NSTimer* timer = timerWithTimeInterval(interval, target, selector, userInfo, repeats);
  NSRunLoop::currentRunLoop()->addTimer(timer, NSDefaultRunLoopMode);
  return timer;
}
