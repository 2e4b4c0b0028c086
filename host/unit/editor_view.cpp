#include "host/unit/editor_view.h"

#include "host/unit/cf_ref.h"

namespace korval_host {

namespace {

// What a host would offer from its own layout; editors of a fixed size answer with their own.
constexpr NSSize kPreferredSize = {400, 300};

}  // namespace

std::unique_ptr<EditorView> EditorView::Open(const HostedUnit& unit, std::string* error) {
  AudioUnitCocoaViewInfo info = {};
  const OSStatus status =
      GetPropertyValue(unit.Unit(), kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info);
  if (status != noErr) {
    *error = "the unit offers no Cocoa view (status " + std::to_string(status) + ")";
    return nullptr;
  }
  // Both objects in the answer are ours to release.
  CFRef<CFURLRef> bundleLocation(info.mCocoaAUViewBundleLocation);
  CFRef<CFStringRef> classNameText(info.mCocoaAUViewClass[0]);
  if (!classNameText) {
    *error = "the unit's Cocoa view property names no view class";
    return nullptr;
  }
  const std::string className = ToUtf8(classNameText.Get());
  Class factoryClass = NSClassFromString(NSString(className.c_str()));
  if (!factoryClass) {
    *error = "the view class \"" + className + "\" the unit names does not exist";
    return nullptr;
  }
  NSObject* factory = NSClassCreateInstance(factoryClass);
  auto* viewFactory = dynamic_cast<AUCocoaUIBase*>(factory);
  if (!viewFactory) {
    if (factory) factory->release();
    *error = "the view class \"" + className + "\" is not a view factory";
    return nullptr;
  }
  NSView* view = viewFactory->uiViewForAudioUnit(unit.Unit(), kPreferredSize);
  if (!view) {
    factory->release();
    *error = "the view factory gave no view";
    return nullptr;
  }
  NSView* hostView = new NSView(NSMakeRect(0, 0, NSWidth(view->frame()), NSHeight(view->frame())));
  hostView->addSubview(view);
  view->release();
  return std::unique_ptr<EditorView>(new EditorView(factory, hostView));
}

EditorView::~EditorView() {
  // Done inside a pool: the host view's reference to the editor's view is autoreleased.
  {
    NSAutoreleasePool pool;
    while (!mHostView->subviews().empty()) mHostView->subviews().back()->removeFromSuperview();
  }
  mHostView->release();
  mFactory->release();
}

}  // namespace korval_host
