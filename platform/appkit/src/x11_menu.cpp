#include "platform/appkit/src/x11_menu.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "raster/rast_blit.h"
#include "raster/rast_font.h"
#include "raster/rast_shapes.h"

namespace korv_appkit {
namespace {

constexpr RAST_pixel kBack = RAST_RGBA(246, 246, 244, 255);
constexpr RAST_pixel kBorder = RAST_RGBA(110, 110, 118, 255);
constexpr RAST_pixel kInk = RAST_RGBA(24, 24, 28, 255);
constexpr RAST_pixel kDisabledInk = RAST_RGBA(150, 150, 154, 255);
constexpr RAST_pixel kHighlight = RAST_RGBA(58, 108, 196, 255);
constexpr RAST_pixel kHighlightInk = RAST_RGBA(255, 255, 255, 255);
// Releases this soon after the menu opened belong to the click that opened it.
constexpr double kOpeningClickSeconds = 0.3;

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

bool Selectable(const NSMenuItem* item) { return item && !item->isSeparatorItem() && item->isEnabled(); }

struct Level {
  NSMenu* menu = nullptr;
  Window window = 0;
  XImage* image = nullptr;
  std::unique_ptr<RAST_MemBitmap> canvas;
  int x = 0, y = 0, w = 0, h = 0;
  int highlighted = -1;
  int top = 0;      // first row shown
  int visible = 0;  // rows that fit on the screen
};

}  // namespace

class X11Menu::Session {
 public:
  explicit Session(const X11MenuScreen& screen) : mScreen(screen), mOpenedAt(Now()) {
    const double s = screen.scale > 0 ? screen.scale : 1;
    mRowH = static_cast<int>(std::lround(18 * s));
    mPad = static_cast<int>(std::lround(6 * s));
    mCheckW = static_cast<int>(std::lround(20 * s));
    mArrowW = static_cast<int>(std::lround(18 * s));
    mFont.SetFromHFont(CreateFont(static_cast<int>(std::lround(13 * s)), 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0,
                                  ANTIALIASED_QUALITY, 0, "DejaVu Sans"),
                       RAST_FONT_OWNS_HFONT | RAST_FONT_FORCE_NATIVE);
  }
  ~Session() {
    while (!mLevels.empty()) closeDeepest();
    if (!mGrabbed) return;
    XUngrabPointer(mScreen.display, CurrentTime);
    XUngrabKeyboard(mScreen.display, CurrentTime);
    XFlush(mScreen.display);
  }

  bool open(NSMenu* menu, int x, int y) {
    if (!menu || menu->numberOfItems() == 0) return false;
    for (const Level& level : mLevels)
      if (level.menu == menu) return false;  // a menu inside itself opens once
    Level level;
    level.menu = menu;
    const int n = static_cast<int>(menu->numberOfItems());
    level.visible = std::max(1, std::min(n, (mScreen.height - 2) / mRowH));
    int textW = 0;
    for (NSMenuItem* item : menu->itemArray()) textW = std::max(textW, measure(item->title().UTF8String()) + indent(item));
    level.w = std::max(mCheckW + textW + mArrowW + mPad, static_cast<int>(80 * mScreen.scale));
    level.h = level.visible * mRowH + 2;
    level.x = std::clamp(x, 0, std::max(0, mScreen.width - level.w));
    level.y = std::clamp(y, 0, std::max(0, mScreen.height - level.h));
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    // Pointer input reaches the menu through its grab; should the grab fail, through its own windows.
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    level.window = XCreateWindow(mScreen.display, mScreen.root, level.x, level.y, level.w, level.h, 0, mScreen.depth,
                                 InputOutput, mScreen.visual, CWOverrideRedirect | CWEventMask, &attributes);
    level.canvas = std::make_unique<RAST_MemBitmap>(level.w, level.h);
    char* data = static_cast<char*>(std::calloc(static_cast<size_t>(level.w) * level.h, 4));
    if (data) {
      level.image = XCreateImage(mScreen.display, mScreen.visual, mScreen.depth, ZPixmap, 0, data, level.w, level.h, 32, 0);
      if (!level.image) std::free(data);
    }
    XMapRaised(mScreen.display, level.window);
    mLevels.push_back(std::move(level));
    if (mLevels.size() == 1) {
      // Every press and key goes to the menu while it is open, wherever the pointer is.
      XGrabPointer(mScreen.display, mLevels[0].window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
      XGrabKeyboard(mScreen.display, mLevels[0].window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
      mGrabbed = true;
    }
    draw(mLevels.back());
    return true;
  }

  bool isDone() const { return mDone; }
  NSMenuItem* chosen() const { return mChosen; }

  bool handle(XEvent& event) {
    int l = -1, row = -1;
    switch (event.type) {
      case Expose:
        for (Level& level : mLevels) {
          if (level.window != event.xexpose.window) continue;
          present(level);
          return true;
        }
        return false;
      case MotionNotify:
        if (hit(event.xmotion.x_root, event.xmotion.y_root, &l, &row) && row >= 0) {
          highlight(l, row);
          openSubmenu(l);
        }
        return true;
      case ButtonPress:
        if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
          Level& level = hit(event.xbutton.x_root, event.xbutton.y_root, &l, &row) ? mLevels[l] : mLevels.back();
          const int n = static_cast<int>(level.menu->numberOfItems());
          level.top = std::clamp(level.top + (event.xbutton.button == Button4 ? -3 : 3), 0, std::max(0, n - level.visible));
          draw(level);
        } else if (hit(event.xbutton.x_root, event.xbutton.y_root, &l, &row)) {
          mPressedInside = true;
        } else {
          mDone = true;
        }
        return true;
      case ButtonRelease:
        if (event.xbutton.button != Button1 && event.xbutton.button != Button3) return true;
        if (!mPressedInside && Now() - mOpenedAt < kOpeningClickSeconds) return true;
        if (hit(event.xbutton.x_root, event.xbutton.y_root, &l, &row) && row >= 0) {
          highlight(l, row);
          choose(l);
        }
        return true;
      case KeyPress:
        handleKey(event.xkey);
        return true;
      case KeyRelease:
        return true;
      default:
        return false;
    }
  }

 private:
  int indent(const NSMenuItem* item) const { return static_cast<int>(item->indentationLevel()) * mPad * 2; }

  int measure(const char* text) {
    RECT r{0, 0, 0, 0};
    mFont.DrawText(nullptr, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.right - r.left;
  }

  NSMenuItem* itemAt(const Level& level, int row) const { return level.menu->itemAtIndex(row); }

  // The level and row under a root point; false when the point is outside every level.
  bool hit(int rootX, int rootY, int* levelIdx, int* row) const {
    for (int l = static_cast<int>(mLevels.size()) - 1; l >= 0; --l) {
      const Level& level = mLevels[l];
      if (rootX < level.x || rootX >= level.x + level.w || rootY < level.y || rootY >= level.y + level.h) continue;
      *levelIdx = l;
      const int r = (rootY - level.y - 1) / mRowH;
      *row = (rootY - level.y - 1 >= 0 && r < level.visible) ? level.top + r : -1;
      if (*row >= level.menu->numberOfItems()) *row = -1;
      return true;
    }
    return false;
  }

  void closeDeepest() {
    Level& level = mLevels.back();
    if (level.image) XDestroyImage(level.image);
    XDestroyWindow(mScreen.display, level.window);
    mLevels.pop_back();
  }

  void closeBelow(int levelIdx) {
    while (static_cast<int>(mLevels.size()) > levelIdx + 1) closeDeepest();
  }

  void highlight(int levelIdx, int row) {
    Level& level = mLevels[levelIdx];
    if (level.highlighted == row) return;
    closeBelow(levelIdx);
    level.highlighted = row;
    if (row >= 0 && row < level.top) level.top = row;
    if (row >= level.top + level.visible) level.top = row - level.visible + 1;
    draw(level);
  }

  void openSubmenu(int levelIdx) {
    Level& level = mLevels[levelIdx];
    NSMenuItem* item = itemAt(level, level.highlighted);
    if (!Selectable(item) || !item->submenu() || static_cast<int>(mLevels.size()) > levelIdx + 1) return;
    open(item->submenu(), level.x + level.w - 2, level.y + 1 + (level.highlighted - level.top) * mRowH);
  }

  // The next selectable row from row in direction step, or row itself when there is none.
  int nextSelectable(const Level& level, int row, int step) const {
    const int n = static_cast<int>(level.menu->numberOfItems());
    for (int r = row + step; r >= 0 && r < n; r += step)
      if (Selectable(itemAt(level, r))) return r;
    return row;
  }

  void choose(int levelIdx) {
    const Level& level = mLevels[levelIdx];
    NSMenuItem* item = itemAt(level, level.highlighted);
    if (!Selectable(item)) return;
    if (item->submenu()) {
      openSubmenu(levelIdx);
      return;
    }
    mChosen = item;
    mDone = true;
  }

  void handleKey(XKeyEvent& key) {
    const KeySym keysym = XLookupKeysym(&key, 0);
    const int deepest = static_cast<int>(mLevels.size()) - 1;
    Level& level = mLevels[deepest];
    switch (keysym) {
      case XK_Escape: mDone = true; break;
      case XK_Up: highlight(deepest, nextSelectable(level, level.highlighted < 0 ? static_cast<int>(level.menu->numberOfItems()) : level.highlighted, -1)); break;
      case XK_Down: highlight(deepest, nextSelectable(level, level.highlighted, 1)); break;
      case XK_Right: openSubmenu(deepest);
        if (static_cast<int>(mLevels.size()) > deepest + 1) highlight(deepest + 1, nextSelectable(mLevels.back(), -1, 1));
        break;
      case XK_Left: if (deepest > 0) closeDeepest(); break;
      case XK_Return:
      case XK_KP_Enter: choose(deepest); break;
      default: break;
    }
  }

  void draw(Level& level) {
    RAST_MemBitmap* c = level.canvas.get();
    RAST_FillRect(c, 0, 0, level.w, level.h, kBorder, 1.0f, 0);
    RAST_FillRect(c, 1, 1, level.w - 2, level.h - 2, kBack, 1.0f, 0);
    const int n = static_cast<int>(level.menu->numberOfItems());
    const int lineH = mFont.GetLineHeight();
    for (int r = level.top; r < std::min(n, level.top + level.visible); ++r) {
      NSMenuItem* item = itemAt(level, r);
      const int top = 1 + (r - level.top) * mRowH;
      if (item->isSeparatorItem()) {
        RAST_FillRect(c, mPad, top + mRowH / 2, level.w - 2 * mPad, 1, kDisabledInk, 1.0f, 0);
        continue;
      }
      const bool lit = r == level.highlighted && Selectable(item);
      if (lit) RAST_FillRect(c, 1, top, level.w - 2, mRowH, kHighlight, 1.0f, 0);
      const RAST_pixel ink = lit ? kHighlightInk : item->isEnabled() ? kInk : kDisabledInk;
      if (item->state() == NSOnState) {
        const int cx = mCheckW / 2, cy = top + mRowH / 2, u = mRowH / 6;
        RAST_Line(c, cx - 2 * u, cy, cx - u / 2, cy + u + u / 2, ink, 1.0f, 0, true);
        RAST_Line(c, cx - u / 2, cy + u + u / 2, cx + 2 * u, cy - 2 * u, ink, 1.0f, 0, true);
      }
      mFont.SetTextColor(ink);
      RECT text{mCheckW + indent(item), top + (mRowH - lineH) / 2, level.w - mArrowW, top + mRowH};
      mFont.DrawText(c, item->title().UTF8String(), -1, &text, DT_NOCLIP | DT_SINGLELINE | DT_NOPREFIX);
      if (item->submenu()) {
        const int ax = level.w - mArrowW / 2 - mPad / 2, ay = top + mRowH / 2, u = mRowH / 5;
        RAST_FillTriangle(c, ax - u / 2, ay - u, ax - u / 2, ay + u, ax + u / 2 + 1, ay, ink, 1.0f, 0);
      }
    }
    // Marks where rows are scrolled out of sight.
    const int mx = level.w / 2, u = mRowH / 5;
    if (level.top > 0) RAST_FillTriangle(c, mx - u, 1 + u + 1, mx + u, 1 + u + 1, mx, 2, kBorder, 1.0f, 0);
    if (level.top + level.visible < n)
      RAST_FillTriangle(c, mx - u, level.h - u - 2, mx + u, level.h - u - 2, mx, level.h - 2, kBorder, 1.0f, 0);
    present(level);
  }

  void present(Level& level) {
    if (!level.image) return;
    const RAST_pixel* bits = level.canvas->getBits();
    const int span = level.canvas->getRowSpan();
    for (int y = 0; y < level.h; ++y) {
      for (int x = 0; x < level.w; ++x) {
        const RAST_pixel p = bits[y * span + x];
        XPutPixel(level.image, x, y,
                  (static_cast<unsigned long>((p >> 8) & 0xFF) << mScreen.redShift) |
                      (static_cast<unsigned long>((p >> 16) & 0xFF) << mScreen.greenShift) |
                      (static_cast<unsigned long>(p >> 24) << mScreen.blueShift));
      }
    }
    XPutImage(mScreen.display, level.window, DefaultGC(mScreen.display, DefaultScreen(mScreen.display)), level.image,
              0, 0, 0, 0, level.w, level.h);
  }

  X11MenuScreen mScreen;
  RAST_CachedFont mFont;
  std::vector<Level> mLevels;
  int mRowH, mPad, mCheckW, mArrowW;
  double mOpenedAt;
  bool mGrabbed = false;
  bool mPressedInside = false;
  bool mDone = false;
  NSMenuItem* mChosen = nullptr;
};

X11Menu::X11Menu(const X11MenuScreen& screen, NSMenu* menu, int x, int y)
    : mSession(std::make_unique<Session>(screen)) {
  if (!mSession->open(menu, x, y)) mSession.reset();
  else XFlush(screen.display);
}

X11Menu::~X11Menu() = default;

bool X11Menu::handle(XEvent& event) {
  if (!mSession || !mSession->handle(event)) return false;
  XFlush(event.xany.display);
  return true;
}

bool X11Menu::isDone() const { return !mSession || mSession->isDone(); }

NSMenuItem* X11Menu::chosen() const { return mSession ? mSession->chosen() : nullptr; }

}  // namespace korv_appkit
