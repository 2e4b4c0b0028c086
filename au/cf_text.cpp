#include "au/cf_text.h"

CFStringRef MakeCFString(const char* text) {
  return CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8);
}

CStrLocal::CStrLocal(CFStringRef string) : mText(64) {
  if (!string) return;
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  if (size <= 0 || size > 0x7fffffff) return;
  char* text = mText.Resize(static_cast<int>(size));
  if (text && !CFStringGetCString(string, text, size, kCFStringEncodingUTF8)) text[0] = 0;
}
