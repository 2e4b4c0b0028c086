#pragma once
// The system text layer: font objects found by face name and size, selected into memory drawing
// contexts, measured and drawn in a colour over an optional background, inside clip regions.
#include <korval_platform/osg.h>

struct OSG_GdiObject;
typedef OSG_GdiObject* HGDIOBJ;
typedef HGDIOBJ HFONT;

// Colours of the text layer: red in bits 16-23, green 8-15, blue 0-7.
typedef unsigned int COLORREF;

enum {
  TRANSPARENT = 0,
  OPAQUE = 1,
};

enum {
  FW_NORMAL = 400,
  FW_BOLD = 700,
};

enum {
  DEFAULT_QUALITY = 0,
  NONANTIALIASED_QUALITY = 3,
  ANTIALIASED_QUALITY = 4,
};

// Flags of OSG_DrawText.
enum {
  DT_CALCRECT = 0x1,    // only measure: the rectangle's right and bottom receive the extent
  DT_VCENTER = 0x2,
  DT_CENTER = 0x4,
  DT_BOTTOM = 0x10,
  DT_RIGHT = 0x20,
  DT_SINGLELINE = 0x40,  // line feeds become spaces
  DT_NOPREFIX = 0x80,    // '&' is an ordinary character
  DT_NOCLIP = 0x100,
};

struct TEXTMETRIC {
  int tmHeight;
  int tmAscent;
  int tmDescent;
  int tmInternalLeading;
  int tmAveCharWidth;
};

// Longest face name looked at; longer names are cut.
inline constexpr int kOSGMaxFaceName = 900;

// Size is |height|, or |width| when height is 0; sizes below 2 or above 8192 become 10. Weight 700
// and up selects the bold face, italic the italic one. A face that does not resolve falls back to
// the system's sans face. Quality 3 draws without antialiasing, 4 with; other values become 0
// (antialiased). Null only when no font at all can be opened.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic, int underline,
                 int strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                 const char* face);
// Returns the object selected before (null at first); selecting null leaves no font selected.
HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj);
// The object must not be selected in any context any more.
bool DeleteObject(HGDIOBJ obj);
COLORREF SetTextColor(HDC ctx, COLORREF colour);
COLORREF SetBkColor(HDC ctx, COLORREF colour);
int SetBkMode(HDC ctx, int mode);
// The selected font's metrics; defaults (16, 12, 4, 3, 10) without a context or font.
bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm);

// Draws (or with DT_CALCRECT measures) at most 4095 bytes of UTF-8 text (length < 0: up to the
// NUL; a NUL always ends the text) and returns the text's height. Without DT_NOPREFIX '&' is
// dropped ("&&" gives "&"); carriage returns are dropped; line feeds start new lines unless
// DT_SINGLELINE.
int OSG_DrawText(HDC ctx, const char* text, int length, RECT* r, int flags);

// Clip regions nest: Push keeps the current region and narrows it to r, Set replaces the current
// region (null r: the whole context), Pop returns to the region before the matching Push.
void OSG_PushClipRegion(HDC ctx, const RECT* r);
void OSG_SetClipRegion(HDC ctx, const RECT* r);
void OSG_PopClipRegion(HDC ctx);
