#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include <korval_platform/osg.h>
#include "raster/rast_bitmap.h"

namespace {

bool Aligned64(const void* p) { return (reinterpret_cast<uintptr_t>(p) & 63) == 0; }

TEST(MemBitmap, RowSpanFollowsTheLineAlignment) {
  RAST_MemBitmap a4(5, 3, 4), a1(5, 3, 1), a8(9, 1, 8), a6(5, 1, 6), a256(17, 1, 256);
  EXPECT_EQ(a4.getRowSpan(), 8);
  EXPECT_EQ(a1.getRowSpan(), 5);
  EXPECT_EQ(a8.getRowSpan(), 16);
  EXPECT_EQ(a6.getRowSpan(), 6);     // the lowest set bit of 6 is 2
  EXPECT_EQ(a256.getRowSpan(), 32);  // alignments stop at 16 pixels
  EXPECT_TRUE(Aligned64(a4.getBits()));
  EXPECT_FALSE(a4.isFlipped());
  EXPECT_EQ(a4.getDC(), nullptr);
  EXPECT_EQ(a4.Extended(1, nullptr), 0);
}

TEST(MemBitmap, ResizeKeepsLargeEnoughStorage) {
  RAST_MemBitmap bmp(100, 100);
  RAST_pixel* bits = bmp.getBits();
  EXPECT_FALSE(bmp.resize(100, 100));
  EXPECT_TRUE(bmp.resize(20, 30));
  EXPECT_EQ(bmp.getBits(), bits);
  EXPECT_EQ(bmp.getWidth(), 20);
  EXPECT_TRUE(bmp.resize(400, 400));
  ASSERT_NE(bmp.getBits(), nullptr);
  EXPECT_TRUE(Aligned64(bmp.getBits()));
  bmp.getBits()[400 * 400 - 1] = 1;  // the whole of the new size is usable
}

TEST(MemBitmap, EmptyAndImpossibleSizesGiveAnEmptyBitmap) {
  RAST_MemBitmap none;
  EXPECT_EQ(none.getBits(), nullptr);
  EXPECT_EQ(none.getWidth(), 0);
  RAST_MemBitmap bmp(10, 10);
  EXPECT_TRUE(bmp.resize(0, 10));
  EXPECT_EQ(bmp.getBits(), nullptr);
  EXPECT_EQ(bmp.getHeight(), 0);
  EXPECT_TRUE(bmp.resize(-5, 7));
  EXPECT_EQ(bmp.getWidth(), 0);
  EXPECT_TRUE(bmp.resize(INT_MAX, INT_MAX));
  EXPECT_EQ(bmp.getBits(), nullptr);
  EXPECT_EQ(bmp.getWidth(), 0);
  EXPECT_EQ(bmp.getHeight(), 0);
  EXPECT_TRUE(bmp.resize(3, 3));
  EXPECT_NE(bmp.getBits(), nullptr);
}

TEST(SysBitmap, KeepsItsContextWhenShrinking) {
  RAST_SysBitmap bmp(100, 100);
  ASSERT_NE(bmp.getDC(), nullptr);
  EXPECT_EQ(bmp.getBits(), OSG_GetCtxFrameBuffer(bmp.getDC()));
  EXPECT_TRUE(Aligned64(bmp.getBits()));
  EXPECT_EQ(bmp.getBits()[100 * 100 - 1], 0u);  // contexts start cleared
  HDC dc = bmp.getDC();
  EXPECT_TRUE(bmp.resize(50, 50));
  EXPECT_EQ(bmp.getRowSpan(), 100);
  EXPECT_EQ(bmp.getDC(), dc);
  EXPECT_TRUE(bmp.resize(101, 10));
  EXPECT_EQ(bmp.getRowSpan(), 104);
  EXPECT_FALSE(bmp.resize(101, 10));
}

TEST(SysBitmap, EmptyAndImpossibleSizesGiveAnEmptyBitmap) {
  RAST_SysBitmap bmp(10, 10);
  EXPECT_FALSE(bmp.resize(0, 0));
  EXPECT_EQ(bmp.getBits(), nullptr);
  EXPECT_EQ(bmp.getDC(), nullptr);
  bmp.resize(INT_MAX, 2);
  EXPECT_EQ(bmp.getBits(), nullptr);
  EXPECT_EQ(bmp.getWidth(), 0);
  EXPECT_TRUE(bmp.resize(60000, 60000));
  EXPECT_EQ(bmp.getBits(), nullptr);
  EXPECT_EQ(bmp.getRowSpan(), 0);
  RAST_SysBitmap none(-4, 4);
  EXPECT_EQ(none.getWidth(), 0);
}

TEST(MemContext, RefusesBadSizesAndNullHandles) {
  EXPECT_EQ(OSG_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(OSG_CreateMemContext(nullptr, 5, -1), nullptr);
  EXPECT_EQ(OSG_CreateMemContext(nullptr, 1 << 20, 1 << 20), nullptr);
  EXPECT_EQ(OSG_GetCtxFrameBuffer(nullptr), nullptr);
  OSG_DeleteGfxContext(nullptr);
  HDC ctx = OSG_CreateMemContext(nullptr, 3, 2);
  ASSERT_NE(ctx, nullptr);
  EXPECT_TRUE(Aligned64(OSG_GetCtxFrameBuffer(ctx)));
  OSG_DeleteGfxContext(ctx);
}

}  // namespace
