#pragma once
// URLs: absolute ones with a scheme, and file URLs.
#include <Foundation/NSObject.h>

class NSURL : public NSObject {
 public:
  // Autoreleased; null unless the text is an absolute URL (scheme ":" rest) without spaces or
  // control characters.
  static NSURL* URLWithString(const NSString& text);
  // Autoreleased file URL of the path (made absolute against the current directory); null for "".
  static NSURL* fileURLWithPath(const NSString& path);

  NSString absoluteString() const { return mText; }
  NSString scheme() const;
  bool isFileURL() const { return scheme() == "file"; }
  // The path of a file URL, else empty.
  NSString path() const;

 private:
  explicit NSURL(NSString text) : mText(std::move(text)) {}
  NSString mText;
};
