#include "raster/rast_bitmap.h"

#include <climits>
#include <cstdlib>

namespace {

// Masks of line alignments up to 16 pixels: larger alignments buy nothing on top of the 64-byte
// row starts and would only waste memory.
int AlignMaskFor(int lineAlignment) {
  if (lineAlignment < 2) return 0;
  int lowest = lineAlignment & -lineAlignment;
  int mask = lowest - 1;
  return mask > 15 ? 15 : mask;
}

const long long kMaxBitmapBytes = INT_MAX - 64;

}  // namespace

RAST_MemBitmap::RAST_MemBitmap(int w, int h, int lineAlignment) : mAlignMask(AlignMaskFor(lineAlignment)) {
  if (w > 0 && h > 0) resize(w, h);
}

RAST_MemBitmap::~RAST_MemBitmap() { std::free(mBlock); }

RAST_pixel* RAST_MemBitmap::getBits() {
  if (!mBlock) return nullptr;
  return reinterpret_cast<RAST_pixel*>((reinterpret_cast<uintptr_t>(mBlock) + 63) & ~static_cast<uintptr_t>(63));
}

bool RAST_MemBitmap::resize(int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  long long span = (static_cast<long long>(w) + mAlignMask) & ~static_cast<long long>(mAlignMask);
  bool tooBig = span > 0 && h > kMaxBitmapBytes / 4 / span;
  long long needed = tooBig ? 0 : static_cast<long long>(h) * span * 4;
  if (tooBig) {
    std::free(mBlock);
    mBlock = nullptr;
    mCapacity = 0;
  } else if (needed > 0) {
    if (!mBlock) {
      mBlock = std::malloc(static_cast<size_t>(needed) + 63);
      mCapacity = mBlock ? static_cast<int>(needed) : 0;
    } else if (mCapacity < needed) {
      // Contents are not kept, so a fresh block beats realloc's copy.
      std::free(mBlock);
      long long roomy = needed + needed / 4;
      if (roomy > kMaxBitmapBytes) roomy = needed;
      mBlock = std::malloc(static_cast<size_t>(roomy) + 63);
      if (!mBlock) {
        roomy = needed;
        mBlock = std::malloc(static_cast<size_t>(roomy) + 63);
      }
      mCapacity = mBlock ? static_cast<int>(roomy) : 0;
    }
  } else {
    std::free(mBlock);
    mBlock = nullptr;
    mCapacity = 0;
  }
  if (!mBlock) mWidth = mHeight = 0;
  return true;
}

RAST_SysBitmap::RAST_SysBitmap(int w, int h) { resize(w, h); }

RAST_SysBitmap::~RAST_SysBitmap() { OSG_DeleteGfxContext(mDC); }

bool RAST_SysBitmap::resize(int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;
  if (w && h && mDC && mRowSpan >= w && mAllocHeight >= h) return true;
  mRowSpan = w > INT_MAX - 3 ? 0 : (w + 3) & ~3;
  mAllocHeight = h;
  OSG_DeleteGfxContext(mDC);
  mDC = nullptr;
  mBits = nullptr;
  if (mRowSpan < 1 || mAllocHeight < 1) {
    mWidth = mHeight = mRowSpan = mAllocHeight = 0;
    return false;
  }
  mDC = OSG_CreateMemContext(nullptr, mRowSpan, mAllocHeight);
  mBits = static_cast<RAST_pixel*>(OSG_GetCtxFrameBuffer(mDC));
  if (!mBits) mWidth = mHeight = mRowSpan = mAllocHeight = 0;
  return true;
}
