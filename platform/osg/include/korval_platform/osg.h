#pragma once
// The system drawing layer: memory drawing contexts whose pixels the raster library draws into
// and the window system shows. Contexts are opaque handles; osg_text.h draws text into them.

struct OSG_GfxContext;
typedef OSG_GfxContext* HDC;

// Rectangle in pixels; right and bottom are exclusive.
struct RECT {
  int left;
  int top;
  int right;
  int bottom;
};

// A context over zeroed 32-bit pixels, rows top to bottom, width pixels per row, the first pixel
// 64-byte aligned. Null when the size is not positive or the memory cannot be had. The reference
// context only matters to a window system with several screens; it may be null.
HDC OSG_CreateMemContext(HDC reference, int width, int height);
// The context's first pixel, or null for a null context.
void* OSG_GetCtxFrameBuffer(HDC ctx);
// Frees the context and its pixels; null is allowed.
void OSG_DeleteGfxContext(HDC ctx);
