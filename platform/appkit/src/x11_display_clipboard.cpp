// The X11 display's pasteboard: the CLIPBOARD selection, read from its owner or owned and served.
#include <X11/Xatom.h>
#include <poll.h>

#include <string>

#include "platform/appkit/src/x11_display_impl.h"

namespace korv_appkit {

std::optional<NSString> X11Display::Impl::pasteboardString() {
  if (!live()) return std::nullopt;
  if (XGetSelectionOwner(mDisplay, mClipboard) == mHelper) return mOwnedText;
  if (XGetSelectionOwner(mDisplay, mClipboard) == None) return std::nullopt;
  XConvertSelection(mDisplay, mClipboard, mUtf8, mTransfer, mHelper, CurrentTime);
  XFlush(mDisplay);
  // The owner answers through the server; give it a second.
  NSTimeInterval deadline = now() + 1.0;
  XEvent event;
  while (!XCheckTypedWindowEvent(mDisplay, mHelper, SelectionNotify, &event)) {
    if (now() > deadline || !live()) return std::nullopt;
    pollfd connection{ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&connection, 1, 20);
  }
  if (event.xselection.property == None) return std::nullopt;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  std::optional<NSString> text;
  if (XGetWindowProperty(mDisplay, mHelper, mTransfer, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 8 && (type == mUtf8 || type == XA_STRING)) {
    text = NSString(std::string(reinterpret_cast<char*>(data), count));
  }
  if (data) XFree(data);
  return text;
}

bool X11Display::Impl::setPasteboardString(const std::optional<NSString>& text) {
  if (!live()) return false;
  mOwnedText = text;
  XSetSelectionOwner(mDisplay, mClipboard, text ? mHelper : None, CurrentTime);
  XFlush(mDisplay);
  return !text || XGetSelectionOwner(mDisplay, mClipboard) == mHelper;
}

void X11Display::Impl::answerSelectionRequest(const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = request.display;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  reply.property = None;
  Atom property = request.property != None ? request.property : request.target;
  if (mOwnedText && request.target == mTargets) {
    Atom offered[] = {mTargets, mUtf8, XA_STRING};
    XChangeProperty(mDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(offered), 3);
    reply.property = property;
  } else if (mOwnedText && (request.target == mUtf8 || request.target == XA_STRING)) {
    const std::string& text = mOwnedText->utf8();
    XChangeProperty(mDisplay, request.requestor, property, request.target, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    reply.property = property;
  }
  XSendEvent(mDisplay, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
}

}  // namespace korv_appkit
