#pragma once
// Desktop services: opening URLs and files, and the general pasteboard.
#include <optional>

#include <Foundation/NSURL.h>

class NSWorkspace : public NSObject {
 public:
  static NSWorkspace* sharedWorkspace();
  // False when the desktop cannot open it (or there is no desktop).
  bool openURL(NSURL* url);
  bool openFile(const NSString& path);

 private:
  NSWorkspace() = default;
};

typedef const char* NSPasteboardType;
extern const NSPasteboardType NSPasteboardTypeString;
extern const NSPasteboardType NSStringPboardType;

class NSPasteboard : public NSObject {
 public:
  static NSPasteboard* generalPasteboard();
  // Nothing when the pasteboard holds no text (or the type is not text).
  std::optional<NSString> stringForType(NSPasteboardType type);
  NSInteger clearContents();
  bool setString(const NSString& text, NSPasteboardType type);

 private:
  NSPasteboard() = default;
};
