// Alerts on a system without a desktop.
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

namespace {

TEST(CFUserNotification, AnswersWithTheDefaultButton) {
  CFOptionFlags response = 99;
  EXPECT_EQ(CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr,
                                           CFSTR("Caption"), CFSTR("Text"), nullptr, CFSTR("Cancel"), nullptr,
                                           &response),
            0);
  EXPECT_EQ(response, kCFUserNotificationDefaultResponse);
  EXPECT_EQ(CFUserNotificationDisplayAlert(0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr),
            0);
}

}  // namespace
