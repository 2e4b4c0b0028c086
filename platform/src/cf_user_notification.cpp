#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFUserNotification.h>

#include <cstdio>
#include <string>

#include "platform/src/cf_runtime.h"

SInt32 CFUserNotificationDisplayAlert(CFTimeInterval, CFOptionFlags, CFURLRef, CFURLRef, CFURLRef,
                                      CFStringRef alertHeader, CFStringRef alertMessage, CFStringRef, CFStringRef,
                                      CFStringRef, CFOptionFlags* responseFlags) {
  // Nobody can answer here, so the alert is logged and answered with its default button.
  std::fprintf(stderr, "alert: %s: %s\n", std::string(korv_cf::StringView(alertHeader)).c_str(),
               std::string(korv_cf::StringView(alertMessage)).c_str());
  if (responseFlags) *responseFlags = kCFUserNotificationDefaultResponse;
  return 0;
}
