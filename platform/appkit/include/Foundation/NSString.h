#pragma once
// Immutable text held as UTF-8; lengths and indices count UTF-16 units as the platform does.
#include <string>
#include <vector>

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef unsigned short unichar;

class NSString {
 public:
  NSString() = default;
  // A null text is the empty string.
  NSString(const char* utf8) : mUtf8(utf8 ? utf8 : "") {}
  NSString(std::string utf8) : mUtf8(std::move(utf8)) {}

  static NSString stringWithUTF8String(const char* utf8) { return NSString(utf8); }
  // Characters and the code points they stand for, one UTF-16 unit each (surrogate pairs allowed).
  static NSString stringWithCharacters(const unichar* characters, NSUInteger length);

  const char* UTF8String() const { return mUtf8.c_str(); }
  const std::string& utf8() const { return mUtf8; }
  NSUInteger length() const;
  // 0 for an index past the end.
  unichar characterAtIndex(NSUInteger index) const;
  bool isEqualToString(const NSString& other) const { return mUtf8 == other.mUtf8; }
  bool operator==(const NSString& other) const { return mUtf8 == other.mUtf8; }
  bool operator!=(const NSString& other) const { return mUtf8 != other.mUtf8; }
  bool hasPrefix(const NSString& prefix) const;
  bool containsString(const NSString& part) const;
  // Leading decimal integer, 0 when there is none; saturates at the int limits.
  int intValue() const;
  NSString stringByAppendingString(const NSString& tail) const { return NSString(mUtf8 + tail.mUtf8); }
  std::vector<NSString> componentsSeparatedByString(const NSString& separator) const;

  // Path helpers with the platform's rules: "/" separates components, a trailing "/" is ignored.
  NSString lastPathComponent() const;
  NSString stringByDeletingLastPathComponent() const;
  NSString pathExtension() const;
  NSString stringByDeletingPathExtension() const;
  NSString stringByAppendingPathComponent(const NSString& component) const;
  NSString stringByExpandingTildeInPath() const;

 private:
  std::string mUtf8;
};
