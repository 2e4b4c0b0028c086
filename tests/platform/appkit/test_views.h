#pragma once
// Views the windowing tests drive: one that records what reaches it, one that shows a canvas the way
// the editor does (a 32-bit image over its pixels, doubled on high-density screens).
#include <AppKit/AppKit.h>

#include <vector>

namespace korv_appkit_test {

class RecordingView : public NSView {
 public:
  explicit RecordingView(NSRect frame) : NSView(frame) {}

  struct Received {
    NSEventType type;
    NSPoint location;
    NSEventModifierFlags flags;
    NSInteger clickCount;
    CGFloat deltaY;
    unsigned short keyCode;
    NSString characters;
  };

  void drawRect(NSRect dirty) override { drawn.push_back(dirty); }
  bool acceptsFirstResponder() override { return wantsKeys; }
  void mouseDown(NSEvent* e) override { record(e); }
  void mouseUp(NSEvent* e) override { record(e); }
  void mouseDragged(NSEvent* e) override { record(e); }
  void rightMouseDown(NSEvent* e) override { record(e); }
  void rightMouseUp(NSEvent* e) override { record(e); }
  void rightMouseDragged(NSEvent* e) override { record(e); }
  void mouseMoved(NSEvent* e) override { record(e); }
  void scrollWheel(NSEvent* e) override { record(e); }
  void keyDown(NSEvent* e) override {
    if (passKeys) {
      NSView::keyDown(e);
    } else {
      record(e);
    }
  }

  std::vector<NSRect> drawn;
  std::vector<Received> received;
  bool wantsKeys = true;
  bool passKeys = false;

 private:
  void record(NSEvent* e) {
    received.push_back({e->type(), e->locationInWindow(), e->modifierFlags(), e->clickCount(), e->deltaY(),
                        e->keyCode(), e->charactersIgnoringModifiers()});
  }
};

// Canvas pixels are words with alpha in bits 0-7, red 8-15, green 16-23 and blue 24-31.
inline uint32_t CanvasPixel(uint8_t r, uint8_t g, uint8_t b) {
  return 0x80u | (uint32_t{r} << 8) | (uint32_t{g} << 16) | (uint32_t{b} << 24);
}

class CanvasView : public NSView {
 public:
  CanvasView(int width, int height, bool doubleOnDenseScreens)
      : NSView(NSMakeRect(0, 0, width, height)),
        width(width),
        height(height),
        pixels(static_cast<size_t>(width) * height),
        mDoubleOnDenseScreens(doubleOnDenseScreens) {}

  void drawRect(NSRect) override {
    NSGraphicsContext* current = NSGraphicsContext::currentContext();
    NSGraphicsContext* flipped = NSGraphicsContext::graphicsContextWithGraphicsPort(current->graphicsPort(), true);
    CGContextRef context = static_cast<CGContextRef>(flipped->graphicsPort());
    const uint32_t* source = pixels.data();
    size_t span = width, w = width, h = height;
    if (mDoubleOnDenseScreens && CGContextConvertSizeToDeviceSpace(context, CGSizeMake(1, 1)).width > 1.9) {
      span = (2 * w + 3) & ~size_t{3};
      doubled.assign(span * 2 * h, 0);
      for (size_t y = 0; y < h; ++y) {
        for (size_t x = 0; x < w; ++x) {
          uint32_t p = pixels[y * w + x];
          doubled[(2 * y) * span + 2 * x] = doubled[(2 * y) * span + 2 * x + 1] = p;
          doubled[(2 * y + 1) * span + 2 * x] = doubled[(2 * y + 1) * span + 2 * x + 1] = p;
        }
      }
      source = doubled.data();
      w *= 2;
      h *= 2;
    }
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, source, span * 4 * h, nullptr);
    CGImageRef image = CGImageCreate(w, h, 8, 32, span * 4, space, kCGImageAlphaNoneSkipFirst, provider, nullptr,
                                     false, kCGRenderingIntentDefault);
    CGContextDrawImage(context, CGRectMake(0, 0, width, height), image);
    CGImageRelease(image);
    CGDataProviderRelease(provider);
    CGColorSpaceRelease(space);
    ++passes;
  }

  int width;
  int height;
  std::vector<uint32_t> pixels;
  std::vector<uint32_t> doubled;
  int passes = 0;

 private:
  bool mDoubleOnDenseScreens;
};

}  // namespace korv_appkit_test
