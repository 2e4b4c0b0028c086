#include "platform/appkit/src/x11_save_dialog.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/appkit/src/cg_context.h"
#include "raster/rast_blit.h"
#include "raster/rast_font.h"

namespace korv_appkit {
namespace {

constexpr CGFloat kWidth = 420, kHeight = 84;
constexpr CGFloat kButtonW = 80, kButtonH = 24, kMargin = 12;

// The dialog's content: the path field above, OK and Cancel below; it ends the dialog.
class SaveDialogView : public NSView, public NSTextFieldDelegate {
 public:
  explicit SaveDialogView(const NSString& path) : NSView(NSMakeRect(0, 0, kWidth, kHeight)) {
    mField = new NSTextField(NSMakeRect(kMargin, kHeight - kMargin - 22, kWidth - 2 * kMargin, 22));
    mField->setStringValue(path);
    mField->setBordered(true);
    mField->setDelegate(this);
    addSubview(mField);
  }
  ~SaveDialogView() override {
    mField->setDelegate(nullptr);
    mField->release();
  }
  NSTextField* field() const { return mField; }
  bool done() const { return mDone; }
  std::optional<NSString> result() const { return mResult; }

  void controlTextDidEndEditing(NSNotification* note) override {
    if (note && note->textMovement == NSTextMovementReturn) finish(true);
    else if (note && note->textMovement == NSTextMovementCancel) finish(false);
  }
  void mouseDown(NSEvent* event) override {
    const NSPoint p = convertPoint(event->locationInWindow(), nullptr);
    if (NSPointInRect(p, okRect())) finish(true);
    else if (NSPointInRect(p, cancelRect())) finish(false);
  }
  bool isOpaque() override { return true; }
  void drawRect(NSRect dirty) override {
    CGContextRef context = NSGraphicsContext::currentContext() ? NSGraphicsContext::currentContext()->CGContext() : nullptr;
    if (!context) return;
    const NSPoint origin = convertPointToBase(NSZeroPoint);
    const DeviceRect whole = ToDevice(*context, NSOffsetRect(bounds(), origin.x, origin.y));
    const int w = whole.right - whole.left, h = whole.bottom - whole.top;
    if (w <= 0 || h <= 0) return;
    RAST_MemBitmap panel(w, h);
    if (!panel.getBits()) return;
    const double scale = h / kHeight;
    RAST_FillRect(&panel, 0, 0, w, h, RAST_RGBA(232, 232, 228, 255), 1.0f, 0);
    button(&panel, okRect(), "OK", scale);
    button(&panel, cancelRect(), "Cancel", scale);
    const DeviceRect area = ToDevice(*context, NSOffsetRect(dirty, origin.x, origin.y));
    const CGContext::State& clip = context->state;
    for (int y = std::max({area.top, clip.clipTop, whole.top, 0});
         y < std::min({area.bottom, clip.clipBottom, whole.bottom, context->height}); ++y)
      for (int x = std::max({area.left, clip.clipLeft, whole.left, 0});
           x < std::min({area.right, clip.clipRight, whole.right, context->width}); ++x)
        context->pixels[static_cast<size_t>(y) * context->width + x] =
            panel.getBits()[(y - whole.top) * panel.getRowSpan() + (x - whole.left)];
  }

 private:
  static NSRect okRect() { return NSMakeRect(kWidth - kMargin - kButtonW, kMargin, kButtonW, kButtonH); }
  static NSRect cancelRect() { return NSMakeRect(kWidth - 2 * (kMargin + kButtonW), kMargin, kButtonW, kButtonH); }

  void button(RAST_MemBitmap* panel, NSRect r, const char* title, double scale) {
    const int x = static_cast<int>(std::lround(r.origin.x * scale));
    const int y = static_cast<int>(std::lround((kHeight - NSMaxY(r)) * scale));
    const int bw = static_cast<int>(std::lround(r.size.width * scale)), bh = static_cast<int>(std::lround(r.size.height * scale));
    RAST_FillRect(panel, x, y, bw, bh, RAST_RGBA(110, 110, 118, 255), 1.0f, 0);
    RAST_FillRect(panel, x + 1, y + 1, bw - 2, bh - 2, RAST_RGBA(250, 250, 248, 255), 1.0f, 0);
    if (!mFont) {
      mFont = std::make_unique<RAST_CachedFont>();
      mFont->SetFromHFont(CreateFont(static_cast<int>(std::lround(13 * scale)), 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0,
                                     ANTIALIASED_QUALITY, 0, "DejaVu Sans"),
                          RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE);
    }
    mFont->SetTextColor(RAST_RGBA(24, 24, 28, 255));
    const int lineH = mFont->GetLineHeight();
    RECT text{x, y + (bh - lineH) / 2, x + bw, y + (bh - lineH) / 2 + lineH};
    mFont->DrawText(panel, title, -1, &text, DT_NOCLIP | DT_CENTER | DT_SINGLELINE);
  }

  void finish(bool ok) {
    if (mDone) return;
    mDone = true;
    if (ok) mResult = mField->stringValue();
  }

  NSTextField* mField;
  std::unique_ptr<RAST_CachedFont> mFont;
  bool mDone = false;
  std::optional<NSString> mResult;
};

}  // namespace

std::optional<NSString> RunSaveDialog(const NSString& directory, const NSString& name,
                                      const std::function<bool(NSWindow* dialog)>& serve) {
  NSString path = directory;
  if (path.length() && !path.utf8().ends_with("/")) path = path.stringByAppendingString("/");
  path = path.stringByAppendingString(name);
  SaveDialogView* view = new SaveDialogView(path);
  const NSRect screen = NSScreen::mainScreen()->frame();
  NSWindow* window = new NSWindow(NSMakeRect((NSWidth(screen) - kWidth) / 2, (NSHeight(screen) - kHeight) / 2, kWidth, kHeight),
                                  NSWindowStyleMaskTitled | NSWindowStyleMaskClosable, NSBackingStoreBuffered, false);
  window->setReleasedWhenClosed(false);
  window->setTitle("Save");
  window->contentView()->addSubview(view);
  window->makeKeyAndOrderFront(nullptr);
  window->makeFirstResponder(view->field());
  while (!view->done() && window->isVisible() && serve(window)) {
  }
  std::optional<NSString> result = view->result();
  window->close();
  window->release();
  view->release();
  if (result && result->length() == 0) result.reset();
  return result;
}

}  // namespace korv_appkit
