#pragma once
// Input events as the window delivers them: locations in window coordinates (origin bottom left).
#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRunLoop.h>

class NSWindow;
class NSGraphicsContext;

typedef NSUInteger NSEventType;
enum : NSUInteger {
  NSEventTypeLeftMouseDown = 1,
  NSEventTypeLeftMouseUp = 2,
  NSEventTypeRightMouseDown = 3,
  NSEventTypeRightMouseUp = 4,
  NSEventTypeMouseMoved = 5,
  NSEventTypeLeftMouseDragged = 6,
  NSEventTypeRightMouseDragged = 7,
  NSEventTypeKeyDown = 10,
  NSEventTypeKeyUp = 11,
  NSEventTypeApplicationDefined = 15,
  NSEventTypeScrollWheel = 22,
  NSApplicationDefined = NSEventTypeApplicationDefined,
};

typedef NSUInteger NSEventModifierFlags;
enum : NSUInteger {
  NSEventModifierFlagCapsLock = 1ul << 16,
  NSEventModifierFlagShift = 1ul << 17,
  NSEventModifierFlagControl = 1ul << 18,
  NSEventModifierFlagOption = 1ul << 19,
  NSEventModifierFlagCommand = 1ul << 20,
  NSShiftKeyMask = NSEventModifierFlagShift,
  NSControlKeyMask = NSEventModifierFlagControl,
  NSAlternateKeyMask = NSEventModifierFlagOption,
  NSCommandKeyMask = NSEventModifierFlagCommand,
};

class NSEvent : public NSObject {
 public:
  struct Fields {
    NSEventType type = NSEventTypeMouseMoved;
    NSPoint location = NSZeroPoint;
    NSEventModifierFlags modifierFlags = 0;
    NSTimeInterval timestamp = 0;
    NSWindow* window = nullptr;
    NSInteger clickCount = 0;
    CGFloat deltaX = 0;
    CGFloat deltaY = 0;
    unsigned short keyCode = 0;
    NSString characters;
    NSString charactersIgnoringModifiers;
    short subtype = 0;
    NSInteger data1 = 0;
    NSInteger data2 = 0;
  };
  explicit NSEvent(Fields fields) : mFields(std::move(fields)) {}

  // An autoreleased application-defined (or other) event; windowNumber picks the window, if any.
  static NSEvent* otherEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext* context,
                                     short subtype, NSInteger data1, NSInteger data2);
  // The pointer in screen coordinates (origin bottom left of the main screen).
  static NSPoint mouseLocation();

  NSEventType type() const { return mFields.type; }
  NSPoint locationInWindow() const { return mFields.location; }
  NSEventModifierFlags modifierFlags() const { return mFields.modifierFlags; }
  NSTimeInterval timestamp() const { return mFields.timestamp; }
  NSWindow* window() const { return mFields.window; }
  NSInteger windowNumber() const;
  NSInteger clickCount() const { return mFields.clickCount; }
  // Scroll amounts in lines: positive deltaY scrolls up (away from the user).
  CGFloat deltaX() const { return mFields.deltaX; }
  CGFloat deltaY() const { return mFields.deltaY; }
  // The hardware key code (see Carbon/Carbon.h) of key events.
  unsigned short keyCode() const { return mFields.keyCode; }
  NSString characters() const { return mFields.characters; }
  // The characters the key gives with no modifier but Shift.
  NSString charactersIgnoringModifiers() const { return mFields.charactersIgnoringModifiers; }
  short subtype() const { return mFields.subtype; }
  NSInteger data1() const { return mFields.data1; }
  NSInteger data2() const { return mFields.data2; }

 private:
  Fields mFields;
};
