#pragma once
// 32-bit pixel bitmaps. A pixel holds alpha in bits 0-7, red 8-15, green 16-23 and blue 24-31
// (bytes a, r, g, b in memory); colours are not premultiplied.
#include <cstdint>

#include <korval_platform/osg.h>

typedef unsigned int RAST_pixel;

enum {
  RAST_BYTE_A = 0,
  RAST_BYTE_R = 1,
  RAST_BYTE_G = 2,
  RAST_BYTE_B = 3,
};

inline constexpr RAST_pixel RAST_RGBA(int r, int g, int b, int a) {
  return static_cast<RAST_pixel>((a & 0xff) | (r & 0xff) << 8 | (g & 0xff) << 16 | (b & 0xff) << 24);
}
inline constexpr int RAST_GETA(RAST_pixel p) { return static_cast<int>(p & 0xff); }
inline constexpr int RAST_GETR(RAST_pixel p) { return static_cast<int>((p >> 8) & 0xff); }
inline constexpr int RAST_GETG(RAST_pixel p) { return static_cast<int>((p >> 16) & 0xff); }
inline constexpr int RAST_GETB(RAST_pixel p) { return static_cast<int>(p >> 24); }

class RAST_IBitmap {
 public:
  virtual ~RAST_IBitmap() {}
  // Null when the bitmap has no storage.
  virtual RAST_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Pixels from one row's start to the next row's.
  virtual int getRowSpan() = 0;
  // A flipped bitmap keeps row 0 last in memory.
  virtual bool isFlipped() { return false; }
  // True when the size changed. Pixel contents are not kept.
  virtual bool resize(int w, int h) = 0;
  virtual HDC getDC() { return nullptr; }
  virtual intptr_t Extended(int, void*) { return 0; }
};

// Pixels on the heap; rows padded to the line alignment and starting 64-byte aligned.
class RAST_MemBitmap : public RAST_IBitmap {
 public:
  explicit RAST_MemBitmap(int w = 0, int h = 0, int lineAlignment = 4);
  ~RAST_MemBitmap() override;
  RAST_MemBitmap(const RAST_MemBitmap&) = delete;
  RAST_MemBitmap& operator=(const RAST_MemBitmap&) = delete;

  RAST_pixel* getBits() override;
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return (mWidth + mAlignMask) & ~mAlignMask; }
  bool resize(int w, int h) override;

 private:
  void* mBlock = nullptr;
  int mCapacity = 0;  // usable bytes after alignment
  int mWidth = 0;
  int mHeight = 0;
  int mAlignMask = 0;
};

// Pixels owned by a system memory drawing context, so the window system can show them and
// system text can be drawn into them.
class RAST_SysBitmap : public RAST_IBitmap {
 public:
  explicit RAST_SysBitmap(int w = 0, int h = 0);
  ~RAST_SysBitmap() override;
  RAST_SysBitmap(const RAST_SysBitmap&) = delete;
  RAST_SysBitmap& operator=(const RAST_SysBitmap&) = delete;

  RAST_pixel* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mRowSpan; }
  bool resize(int w, int h) override;
  HDC getDC() override { return mDC; }

 private:
  int mWidth = 0;
  int mHeight = 0;
  RAST_pixel* mBits = nullptr;
  int mRowSpan = 0;
  int mAllocHeight = 0;
  HDC mDC = nullptr;
};
