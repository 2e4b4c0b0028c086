#pragma once
// The unit's editor as a host obtains it: the Cocoa view property names the view factory class,
// the class is created by that name and asked for a view for the unit.
#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>

#include <memory>
#include <string>

#include "host/unit/hosted_unit.h"

namespace korval_host {

class EditorView {
 public:
  // Null, with the reason in *error, when the unit offers no Cocoa view or its factory gives none.
  static std::unique_ptr<EditorView> Open(const HostedUnit& unit, std::string* error);
  // Takes the view out of its window (which closes the editor) and drops the factory.
  ~EditorView();
  EditorView(const EditorView&) = delete;
  EditorView& operator=(const EditorView&) = delete;

  // The host's own view holding the editor's view; it has the editor's size.
  NSView* HostView() const { return mHostView; }
  NSSize Size() const { return mHostView->frame().size; }

 private:
  EditorView(NSObject* factory, NSView* hostView) : mFactory(factory), mHostView(hostView) {}

  NSObject* mFactory;
  NSView* mHostView;
};

}  // namespace korval_host
