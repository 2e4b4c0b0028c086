#include <cmath>

#include <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

#include "platform/appkit/src/display_backend.h"
#include "platform/appkit/src/thread_state.h"

using korv_appkit::Display;

NSSavePanel* NSSavePanel::savePanel() { return NSAutoreleased(new NSSavePanel()); }

NSOpenPanel* NSOpenPanel::openPanel() { return NSAutoreleased(new NSOpenPanel()); }

// No display here offers a file chooser: every panel is cancelled and no file chosen.
NSModalResponse NSSavePanel::runModal() {
  mChosen = NSString();
  std::optional<NSString> path;
  {
    // What the caller autoreleased (this panel, often) outlives the dialog's display passes.
    korv_appkit::ModalScope modal;
    path = korv_appkit::Display().runSavePanel(mDirectory, mName);
  }
  if (!path) return NSModalResponseCancel;
  // A name typed without the first allowed extension gets it.
  if (!mAllowedFileTypes.empty() && path->pathExtension() != mAllowedFileTypes.front())
    path = path->stringByAppendingString(".").stringByAppendingString(mAllowedFileTypes.front());
  mChosen = *path;
  return NSModalResponseOK;
}

NSModalResponse NSSavePanel::runModalForDirectory(const NSString& directory, const NSString& file) {
  mDirectory = directory;
  mName = file;
  return runModal();
}

NSURL* NSSavePanel::URL() const { return mChosen.utf8().empty() ? nullptr : NSURL::fileURLWithPath(mChosen); }

NSModalResponse NSOpenPanel::runModalForDirectory(const NSString& directory, const NSString& file,
                                                  const std::vector<NSString>& types) {
  setAllowedFileTypes(types);
  return NSSavePanel::runModalForDirectory(directory, file);
}

std::vector<NSString> NSOpenPanel::filenames() const {
  std::vector<NSString> names;
  if (!filename().utf8().empty()) names.push_back(filename());
  return names;
}

NSWorkspace* NSWorkspace::sharedWorkspace() {
  static NSWorkspace workspace;
  return &workspace;
}

bool NSWorkspace::openURL(NSURL* url) { return url && Display().openURL(url->absoluteString()); }

bool NSWorkspace::openFile(const NSString& path) { return openURL(NSURL::fileURLWithPath(path)); }

const NSPasteboardType NSPasteboardTypeString = "public.utf8-plain-text";
const NSPasteboardType NSStringPboardType = NSPasteboardTypeString;

NSPasteboard* NSPasteboard::generalPasteboard() {
  static NSPasteboard pasteboard;
  return &pasteboard;
}

std::optional<NSString> NSPasteboard::stringForType(NSPasteboardType type) {
  if (!type || NSString(type) != NSPasteboardTypeString) return std::nullopt;
  return Display().pasteboardString();
}

NSInteger NSPasteboard::clearContents() {
  static NSInteger s_changeCount = 0;
  Display().setPasteboardString(std::nullopt);
  return ++s_changeCount;
}

bool NSPasteboard::setString(const NSString& text, NSPasteboardType type) {
  if (!type || NSString(type) != NSPasteboardTypeString) return false;
  return Display().setPasteboardString(text);
}

NSEvent* NSEvent::otherEventWithType(NSEventType type, NSPoint location, NSEventModifierFlags flags,
                                     NSTimeInterval time, NSInteger windowNumber, NSGraphicsContext*, short subtype,
                                     NSInteger data1, NSInteger data2) {
  Fields fields;
  fields.type = type;
  fields.location = location;
  fields.modifierFlags = flags;
  fields.timestamp = time;
  fields.window = NSWindow::windowWithNumber(windowNumber);
  fields.subtype = subtype;
  fields.data1 = data1;
  fields.data2 = data2;
  return NSAutoreleased(new NSEvent(std::move(fields)));
}

NSPoint NSEvent::mouseLocation() { return Display().mouseLocation(); }

NSInteger NSEvent::windowNumber() const { return mFields.window ? mFields.window->windowNumber() : 0; }

CGDirectDisplayID CGMainDisplayID(void) { return 1; }

size_t CGDisplayPixelsHigh(CGDirectDisplayID display) {
  return display == CGMainDisplayID() ? static_cast<size_t>(std::lround(Display().screenFrame().size.height)) : 0;
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display) {
  return display == CGMainDisplayID() ? static_cast<size_t>(std::lround(Display().screenFrame().size.width)) : 0;
}

CGError CGDisplayHideCursor(CGDirectDisplayID display) {
  if (display != CGMainDisplayID()) return kCGErrorIllegalArgument;
  return Display().setCursorHidden(true) ? kCGErrorSuccess : kCGErrorFailure;
}

CGError CGDisplayShowCursor(CGDirectDisplayID display) {
  if (display != CGMainDisplayID()) return kCGErrorIllegalArgument;
  return Display().setCursorHidden(false) ? kCGErrorSuccess : kCGErrorFailure;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point) {
  if (display != CGMainDisplayID() || !std::isfinite(point.x) || !std::isfinite(point.y))
    return kCGErrorIllegalArgument;
  return Display().moveCursor(point) ? kCGErrorSuccess : kCGErrorFailure;
}

OSErr Gestalt(OSType selector, SInt32* response) {
  if (!response) return paramErr;
  if (selector != gestaltSystemVersion) return gestaltUndefSelectorErr;
  *response = kKorvReportedSystemVersion;
  return noErr;
}

struct OpaqueCMProfileRef {
  int kind;
};

CMError CMGetSystemProfile(CMProfileRef* profile) {
  if (!profile) return paramErr;
  *profile = new OpaqueCMProfileRef{0};
  return noErr;
}

CMError CMCloseProfile(CMProfileRef profile) {
  if (!profile) return paramErr;
  delete profile;
  return noErr;
}
