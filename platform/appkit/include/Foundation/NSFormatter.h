#pragma once
// Character sets, notifications and the formatter that vets text while it is typed.
#include <Foundation/NSObject.h>

class NSCharacterSet {
 public:
  static NSCharacterSet characterSetWithCharactersInString(const NSString& characters);
  bool characterIsMember(unichar character) const;

 private:
  std::vector<unichar> mMembers;
};

// How editing of a text field ended (the field's end-editing notification carries it).
typedef NSInteger NSTextMovement;
enum : NSInteger {
  NSTextMovementOther = 0,
  NSTextMovementTab = 0x11,
  NSTextMovementReturn = 0x10,
  NSTextMovementCancel = 0x17,
};

struct NSNotification {
  NSString name;
  NSObject* object;
  NSTextMovement textMovement = NSTextMovementOther;
};

// Formats objects as text and back; the text field asks it about every edit.
class NSFormatter : public NSObject {
 public:
  // The text for a value; empty when the formatter has none.
  virtual NSString stringForObjectValue(const NSString& value) const = 0;
  // The value for a text; false (with the reason in error, when given) when the text has none.
  virtual bool getObjectValue(NSString* value, const NSString& string, NSString* error) const = 0;
  // Whether an edited text may stand. newString may receive a replacement when the answer is false.
  virtual bool isPartialStringValid(const NSString& partialString, NSString* newString, NSString* error) const;
};
