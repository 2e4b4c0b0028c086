#include "framework/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void Trace(const char*, int, const char*, ...) {}

const char* VSTOpcodeStr(int) { return ""; }
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }

const char* CurrentTime() {
  static char s_currentTime[32];
  std::time_t t = std::time(nullptr);
  std::tm local{}, utc{};
  localtime_r(&t, &local);
  gmtime_r(&t, &utc);

  char stamp[32];
  size_t len = std::strftime(stamp, sizeof(stamp), "%Y%m%d %H:%M ", &local);

  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  if (local.tm_yday != utc.tm_yday) {
    int dayDiff = local.tm_yday - utc.tm_yday;
    // Across a year boundary the day numbers jump by a whole year.
    if (dayDiff >= 2) dayDiff = -1;
    else if (dayDiff < -1) dayDiff = 1;
    offset += dayDiff * 1440;
  }
  int absOffset = std::abs(offset);
  std::snprintf(stamp + len, sizeof(stamp) - len, "%c%02d%02d", offset < 0 ? '-' : '+', absOffset / 60,
                absOffset % 60);
  std::memcpy(s_currentTime, stamp, sizeof(stamp));
  return s_currentTime;
}

void CompileTimestamp(const char* date, const char* time, BRM_String* out) {
  out->Set("[");
  out->Append(date);
  out->SetLength(7);
  // Drops the day's padding space ("Jan  5" -> "Jan 5"); with a two-digit day, the space after the month.
  out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  out->SetLength(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  static BRM_String s_stamped;
  BRM_String stamp;
  CompileTimestamp(date, time, &stamp);
  s_stamped.Set(text);
  s_stamped.Append(" ");
  s_stamped.Append(stamp.Get());
  return s_stamped.Get();
}

bool Timer::Every(double seconds) {
  std::clock_t now = std::clock();
  // The processor clock runs at one million ticks per second.
  if (static_cast<double>(now - mLastTime) > 1e6 * seconds) {
    mLastTime = now;
    return true;
  }
  return false;
}
