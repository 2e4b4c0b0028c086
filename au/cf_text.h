#pragma once
// Conversions between NUL-terminated UTF-8 text and platform strings.
#include <CoreFoundation/CFString.h>

#include "base/heap_buf.h"

// A new platform string the caller owns; null text gives the empty string.
CFStringRef MakeCFString(const char* text);

// A platform string released when the holder goes out of scope.
class CFStrLocal {
 public:
  explicit CFStrLocal(const char* text) : mString(MakeCFString(text)) {}
  ~CFStrLocal() {
    if (mString) CFRelease(mString);
  }
  CFStrLocal(const CFStrLocal&) = delete;
  CFStrLocal& operator=(const CFStrLocal&) = delete;
  CFStringRef Get() const { return mString; }

 private:
  CFStringRef mString;
};

// UTF-8 text of a platform string, in a heap buffer freed with the holder. A null string, or one
// that cannot be converted, gives "".
class CStrLocal {
 public:
  explicit CStrLocal(CFStringRef string);
  CStrLocal(const CStrLocal&) = delete;
  CStrLocal& operator=(const CStrLocal&) = delete;
  const char* Get() const { return mText.Get() ? mText.Get() : ""; }

 private:
  BRM_TypedBuf<char> mText;
};
