// IGraphicsMac: the view's lifetime, the host window, dialogs, paths and desktop services.
#include "gui/mac/igraphics_mac.h"

#include <ApplicationServices/ApplicationServices.h>
#include <CoreFoundation/CoreFoundation.h>

#include <cmath>

#include "framework/fx_base.h"
#include "gui/icontrol.h"
#include "gui/mac/igraphics_cocoa.h"

// Compiled into each plug-in with its bundle identifier, where its editor finds its pictures.
#ifndef KORV_EDITOR_BUNDLE_ID
#error "the editor's sources are compiled per plug-in with KORV_EDITOR_BUNDLE_ID set"
#endif

namespace {

// The open view is always the editor's own view class.
KORV_COCOA_VIEW* EditorView(NSView* pView) { return static_cast<KORV_COCOA_VIEW*>(pView); }

// A platform string over text that outlives it, released at scope exit.
class ScopedCFString {
 public:
  explicit ScopedCFString(const char* text)
      : mString(text ? CFStringCreateWithCStringNoCopy(nullptr, text, kCFStringEncodingUTF8, kCFAllocatorNull)
                     : nullptr) {}
  ~ScopedCFString() {
    if (mString) CFRelease(mString);
  }
  ScopedCFString(const ScopedCFString&) = delete;
  ScopedCFString& operator=(const ScopedCFString&) = delete;
  CFStringRef Get() const { return mString; }

 private:
  CFStringRef mString;
};

std::vector<NSString> SplitAtSpaces(const char* text) {
  std::vector<NSString> parts;
  if (!text || !*text) return parts;
  for (const NSString& part : NSString(text).componentsSeparatedByString(" "))
    if (part.length()) parts.push_back(part);
  return parts;
}

}  // namespace

IGraphicsMac::IGraphicsMac(IFxBase* pPlug, int w, int h, int fps) : IGraphics(pPlug, w, h, fps) {
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac() {
  CloseWindow();
  RemoveSubWindow();
  if (mColorSpace) CGColorSpaceRelease(mColorSpace);
}

void IGraphicsMac::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  // The open field points at a control that is about to go.
  ForceEndUserEdit();
  IGraphics::Resize(w, h);
  if (mView) mView->setFrameSize(NSMakeSize(w, h));
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type) {
  const char* defaultTitle = nullptr;
  const char* alternateTitle = nullptr;
  const char* otherTitle = nullptr;
  switch (type) {
    case 1: alternateTitle = "Cancel"; break;
    case 3: defaultTitle = "Yes"; alternateTitle = "No"; otherTitle = "Cancel"; break;
    case 4: defaultTitle = "Yes"; alternateTitle = "No"; break;
    default: break;
  }
  ScopedCFString header(caption), message(text), defaultButton(defaultTitle), alternateButton(alternateTitle),
      otherButton(otherTitle);
  CFOptionFlags response = kCFUserNotificationDefaultResponse;
  CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, header.Get(),
                                 message.Get(), defaultButton.Get(), alternateButton.Get(), otherButton.Get(),
                                 &response);
  switch (response & 3) {
    case kCFUserNotificationAlternateResponse: return 7;
    case kCFUserNotificationOtherResponse: return 2;
    default: return 1;
  }
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect) {
  // The press that asked for the menu must not keep dragging the control, shown or not.
  ReleaseMouseCapture();
  if (!mView || !pMenu || !pAreaRect) return nullptr;
  return EditorView(mView)->createIPopupMenu(pMenu, EditorView(mView)->ToNSRect(*pAreaRect));
}

void IGraphicsMac::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str,
                                   IParam* pParam) {
  if (!mView || !pTextRect) return;
  EditorView(mView)->createTextEntry(pControl, pParam, pText, str, EditorView(mView)->ToNSRect(*pTextRect));
}

void IGraphicsMac::ForceEndUserEdit() {
  if (mView) EditorView(mView)->endUserInput();
}

void IGraphicsMac::HostPath(BRM_String* pPath) {
  CocoaAutoReleasePool pool;
  if (NSBundle* pBundle = NSBundle::bundleWithIdentifier(GetBundleID())) {
    const NSString path = pBundle->executablePath();
    if (path.length()) pPath->Set(path.UTF8String());
  }
}

void IGraphicsMac::PluginPath(BRM_String* pPath) {
  CocoaAutoReleasePool pool;
  if (NSBundle* pBundle = NSBundle::bundleWithIdentifier(GetBundleID())) {
    const NSString path = pBundle->bundlePath().stringByDeletingLastPathComponent();
    if (path.length()) pPath->Set(path.stringByAppendingString("/").UTF8String());
  }
}

void IGraphicsMac::DesktopPath(BRM_String* pPath) {
  CocoaAutoReleasePool pool;
  const std::vector<NSString> paths = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, true);
  if (!paths.empty()) pPath->Set(paths[0].UTF8String());
}

void IGraphicsMac::AppSupportPath(BRM_String* pPath, bool isSystem) {
  CocoaAutoReleasePool pool;
  const std::vector<NSString> paths = NSSearchPathForDirectoriesInDomains(
      NSApplicationSupportDirectory, isSystem ? NSSystemDomainMask : NSUserDomainMask, true);
  if (!paths.empty()) pPath->Set(paths[0].UTF8String());
}

void IGraphicsMac::SandboxSafeAppSupportPath(BRM_String* pPath) {
  CocoaAutoReleasePool pool;
  pPath->Set(NSHomeDirectory().stringByAppendingString("/Music").UTF8String());
}

void IGraphicsMac::PromptForFile(BRM_String* pFilename, EFileAction action, BRM_String* pDir,
                                 const char* extensions) {
  if (!pFilename) return;
  if (!mView) {
    pFilename->Set("");
    return;
  }
  CocoaAutoReleasePool pool;
  const NSString defaultName(pFilename->Get());
  NSString directory(pDir ? pDir->Get() : "");
  if (!directory.length()) {
    directory = "~/Desktop";
    if (pDir) pDir->Set(directory.UTF8String());
  }
  pFilename->Set("");
  const std::vector<NSString> types = SplitAtSpaces(extensions);
  const NSString expandedDirectory = directory.stringByExpandingTildeInPath();

  NSString chosen;
  if (action == kFileSave) {
    NSSavePanel* pPanel = NSSavePanel::savePanel();
    pPanel->setAllowedFileTypes(types);
    pPanel->setAllowsOtherFileTypes(false);
    if (pPanel->runModalForDirectory(expandedDirectory, defaultName) == NSModalResponseOK) chosen = pPanel->filename();
  } else {
    NSOpenPanel* pPanel = NSOpenPanel::openPanel();
    pPanel->setCanChooseFiles(true);
    pPanel->setCanChooseDirectories(false);
    pPanel->setResolvesAliases(true);
    if (pPanel->runModalForDirectory(expandedDirectory, defaultName, types) == NSModalResponseOK)
      chosen = pPanel->filename();
  }
  if (!chosen.length()) return;
  pFilename->Set(chosen.UTF8String());
  if (pDir) pDir->Set(chosen.stringByDeletingLastPathComponent().stringByAppendingString("/").UTF8String());
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*) {
  if (!url) return false;
  CocoaAutoReleasePool pool;
  const NSString text(url);
  NSURL* pURL = text.containsString("http") ? NSURL::URLWithString(text) : NSURL::fileURLWithPath(text);
  // Nothing can be opened from a text that makes no URL.
  if (!pURL) return false;
  return NSWorkspace::sharedWorkspace()->openURL(pURL);
}

void* IGraphicsMac::OpenWindow(void* pParentView) {
  CloseWindow();
  auto* pView = new KORV_COCOA_VIEW(this);
  // The editor keeps a reference of its own besides the caller's: a host may release the view, or
  // close the window holding it, without removing it first, and the editor still closes it later.
  mView = NSRetained(pView);
  if (pParentView) static_cast<NSView*>(pParentView)->addSubview(mView);
  UpdateTooltips();
  return pView;
}

void IGraphicsMac::CloseWindow() {
  if (!mView) return;
  KORV_COCOA_VIEW* pView = EditorView(mView);
  mView = nullptr;
  pView->removeAllToolTips();
  // The view's removal calls back here only while it still points at the editor.
  if (pView->Graphics()) {
    pView->Detach();
    pView->removeFromSuperview();
  }
  pView->killTimer();
  pView->release();
  if (mPlug) mPlug->OnGUIClose();
}

void IGraphicsMac::AttachSubWindow(void* pHostWindow) {
  if (!pHostWindow) return;
  CocoaAutoReleasePool pool;
  RemoveSubWindow();
  NSWindow* pHost = NSRetained(static_cast<NSWindow*>(pHostWindow));
  pHost->setCanHide(true);
  pHost->setReleasedWhenClosed(true);
  const NSRect frame = pHost->frame();
  const int offset = NSWidth(frame) > Width() ? static_cast<int>(std::floor((NSWidth(frame) - Width()) / 2)) : 0;
  auto* pChild = new KORV_COCOA_WINDOW(NSMakeRect(frame.origin.x + offset, frame.origin.y, Width(), Height()),
                                                     NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  pChild->setOpaque(true);
  pChild->setCanHide(true);
  pChild->setHasShadow(false);
  pChild->setReleasedWhenClosed(true);
  OpenWindow(pChild->contentView());
  // The content view now holds the editor's view.
  mView->release();
  pHost->addChildWindow(pChild, NSWindowAbove);
  pHost->orderFront(nullptr);
  pHost->display();
  // Hosts bring their own window forward after this call; the child follows once they have.
  NSTimer* pRaise = NSTimer::timerWithTimeInterval(
      0.05, pChild, [pChild](NSTimer*) { pChild->orderFront(nullptr); }, nullptr, false);
  NSRunLoop::currentRunLoop()->addTimer(pRaise, NSDefaultRunLoopMode);
  mHostWindow = pHost;
}

void IGraphicsMac::RemoveSubWindow() {
  if (!mHostWindow) return;
  CocoaAutoReleasePool pool;
  NSWindow* pHost = mHostWindow;
  mHostWindow = nullptr;
  NSWindow* pChild = pHost->childWindows().empty() ? nullptr : pHost->childWindows().front();
  CloseWindow();
  if (pChild) {
    pChild->orderOut(nullptr);
    pChild->release();
  }
  pHost->orderOut(nullptr);
  if (pChild) pHost->removeChildWindow(pChild);
  pHost->release();
}

bool IGraphicsMac::GetTextFromClipboard(BRM_String* pStr) {
  CocoaAutoReleasePool pool;
  const std::optional<NSString> text = NSPasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  pStr->Set(text ? text->UTF8String() : "");
  return text.has_value();
}

void IGraphicsMac::HideMouseCursor() {
  if (mCursorIsHidden) return;
  const CGDirectDisplayID display = CGMainDisplayID();
  if (CGDisplayHideCursor(display) != kCGErrorSuccess) return;
  mCursorIsHidden = true;
  const NSPoint location = NSEvent::mouseLocation();
  mHiddenCursorX = static_cast<int>(location.x);
  mHiddenCursorY = static_cast<int>(CGDisplayPixelsHigh(display) - location.y);
}

void IGraphicsMac::ShowMouseCursor() {
  if (!mCursorIsHidden) return;
  const CGDirectDisplayID display = CGMainDisplayID();
  CGDisplayMoveCursorToPoint(display, CGPointMake(mHiddenCursorX, mHiddenCursorY));
  if (CGDisplayShowCursor(display) == kCGErrorSuccess) mCursorIsHidden = false;
}

void IGraphicsMac::UpdateTooltips() {
  if (!mView || !TooltipsEnabled()) return;
  CocoaAutoReleasePool pool;
  mView->removeAllToolTips();
  for (int i = 0; i < NControls(); ++i) {
    const IControl* pControl = GetControl(i);
    if (!pControl->IsHidden() && !pControl->GetTargetRECT()->Empty()) EditorView(mView)->registerToolTip(*pControl->GetTargetRECT());
  }
}

IGraphicsMac* MakeGraphics(IFxBase* pPlug, int w, int h, int fps) {
  IGraphicsMac* pGraphics = new IGraphicsMac(pPlug, w, h, fps);
  pGraphics->SetBundleID(KORV_EDITOR_BUNDLE_ID);
  return pGraphics;
}
