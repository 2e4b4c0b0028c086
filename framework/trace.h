#pragma once
// Trace entry point and time stamps. Tracing is switched off in this product: Trace and the
// name functions keep their signatures so that every call site stays in place.
#include <ctime>

#include "base/brm_string.h"

void Trace(const char* tag, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);

// Local time as "YYYYMMDD HH:MM +hhmm" in a static buffer each call overwrites (not thread-safe).
const char* CurrentTime();
// "[Mmm d HH:MM]" from the build-date and build-time texts ("Jan  5 2024", "17:05:33").
void CompileTimestamp(const char* date, const char* time, BRM_String* out);
// text, a space and the compile stamp, in a static string valid until the next call.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Reports when a number of seconds of processor time have passed since the last report.
class Timer {
 public:
  Timer() : mLastTime(std::clock()) {}
  bool Every(double seconds);

 private:
  std::clock_t mLastTime;
};
