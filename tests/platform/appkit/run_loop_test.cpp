#include <cmath>

#include <gtest/gtest.h>
#include <korval_platform/headless_display.h>

#include "test_views.h"

using korv_appkit::HeadlessDisplay;
using korv_appkit_test::RecordingView;

namespace {

class Ticker : public NSView {
 public:
  Ticker() : NSView(NSMakeRect(0, 0, 100, 100)) {}
  void onTimer(NSTimer* timer) {
    fireTimes.push_back(NSDate::timeIntervalSinceReferenceDate());
    if (stopAfter > 0 && static_cast<int>(fireTimes.size()) >= stopAfter) timer->invalidate();
  }
  std::vector<NSTimeInterval> fireTimes;
  int stopAfter = 0;
};

NSTimer* AddTicker(Ticker* ticker, NSTimeInterval interval, NSRunLoopMode mode) {
  NSTimer* timer = NSTimer::timerWithTimeInterval(interval, ticker, &Ticker::onTimer, nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(timer, mode);
  return timer;
}

}  // namespace

TEST(Timers, ARepeatingTimerFiresAtEachInterval) {
  HeadlessDisplay display;
  Ticker* ticker = new Ticker();
  NSTimer* timer = AddTicker(ticker, 0.04, kCFRunLoopCommonModes);
  display.advanceTime(1.0);
  ASSERT_EQ(ticker->fireTimes.size(), 25u);
  for (size_t i = 0; i < ticker->fireTimes.size(); ++i) EXPECT_NEAR(ticker->fireTimes[i], 0.04 * (i + 1), 1e-9);
  timer->invalidate();
  display.advanceTime(1.0);
  EXPECT_EQ(ticker->fireTimes.size(), 25u);
  ticker->release();
}

TEST(Timers, CommonModeTimersKeepFiringWhileTheMouseIsTracked) {
  HeadlessDisplay display;
  RecordingView* view = new RecordingView(NSMakeRect(0, 0, 200, 200));
  NSWindow* window = display.openWindow(view);
  Ticker* common = new Ticker();
  Ticker* plain = new Ticker();
  NSTimer* commonTimer = AddTicker(common, 0.04, NSRunLoopCommonModes);
  NSTimer* plainTimer = AddTicker(plain, 0.04, NSDefaultRunLoopMode);

  // A 0.55 s drag in ten steps: the common-mode timer fires throughout, the default-mode one waits.
  display.drag(window, NSMakePoint(10, 10), NSMakePoint(10, 110), 10, 0.05);
  EXPECT_EQ(common->fireTimes.size(), 13u);
  EXPECT_TRUE(plain->fireTimes.empty());
  EXPECT_EQ(view->received.size(), 12u);

  // After the release the default-mode timer catches up once (0.55) and then keeps its grid (0.56 to 0.64).
  display.advanceTime(0.1);
  ASSERT_EQ(plain->fireTimes.size(), 4u);
  EXPECT_NEAR(plain->fireTimes[0], 0.55, 1e-9);
  EXPECT_NEAR(std::remainder(plain->fireTimes.back(), 0.04), 0, 1e-9);

  commonTimer->invalidate();
  plainTimer->invalidate();
  common->release();
  plain->release();
  view->release();
}

TEST(Timers, ATimerMayInvalidateItselfAndReleasesItsTarget) {
  HeadlessDisplay display;
  Ticker* ticker = new Ticker();
  ticker->stopAfter = 3;
  NSUInteger before = ticker->retainCount();
  NSTimer* timer = AddTicker(ticker, 0.01, NSDefaultRunLoopMode);
  EXPECT_EQ(ticker->retainCount(), before + 1) << "a valid timer keeps its target";
  display.advanceTime(0.1);
  EXPECT_EQ(ticker->fireTimes.size(), 3u);
  EXPECT_EQ(ticker->retainCount(), before);
  (void)timer;
  ticker->release();
}

TEST(Timers, OneShotTimersFireOnceAndTinyIntervalsCannotStallTheLoop) {
  HeadlessDisplay display;
  Ticker* once = new Ticker();
  Ticker* tiny = new Ticker();
  NSRunLoop::currentRunLoop()->addTimer(
      NSTimer::timerWithTimeInterval(0.05, once, &Ticker::onTimer, nullptr, false), NSDefaultRunLoopMode);
  NSTimer* tinyTimer = NSTimer::timerWithTimeInterval(0, tiny, &Ticker::onTimer, nullptr, true);
  NSRunLoop::currentRunLoop()->addTimer(tinyTimer, NSDefaultRunLoopMode);
  EXPECT_DOUBLE_EQ(tinyTimer->timeInterval(), 0.0001);
  display.advanceTime(0.2);
  EXPECT_EQ(once->fireTimes.size(), 1u);
  EXPECT_NEAR(static_cast<double>(tiny->fireTimes.size()), 2000, 1);
  tinyTimer->invalidate();
  once->release();
  tiny->release();
}

TEST(AutoreleasePool, ReleasesWhatWasHandedToItWhenItEnds) {
  NSObject* kept = new NSObject();
  kept->retain();
  {
    NSAutoreleasePool* pool = new NSAutoreleasePool();
    kept->autorelease();
    EXPECT_EQ(kept->retainCount(), 2u);
    pool->release();
  }
  EXPECT_EQ(kept->retainCount(), 1u);
  kept->release();
}
