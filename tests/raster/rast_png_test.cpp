#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "png_craft.h"
#include "raster/rast_blit.h"
#include "raster/rast_png.h"
#include "raster_test_util.h"

using namespace rast_test;
using png_craft::Bytes;

namespace {

std::unique_ptr<RAST_IBitmap> Decode(const Bytes& png, RAST_IBitmap* into = nullptr) {
  RAST_IBitmap* bmp = RAST_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), into);
  if (bmp && bmp == into) return nullptr;  // the caller keeps its own bitmap
  return std::unique_ptr<RAST_IBitmap>(bmp);
}

Bytes Encode(RAST_IBitmap* bmp, const RAST_PNGFormat& format) {
  BRM_HeapBuf out;
  if (!RAST_EncodePNG(bmp, format, &out)) return {};
  const uint8_t* p = static_cast<const uint8_t*>(out.Get());
  return Bytes(p, p + out.GetSize());
}

// Values a channel of that depth holds exactly once widened back to 8 bits.
int Representable(int depth, int i) {
  if (depth >= 8) return (i * 37 + 11) & 0xff;
  int levels = (1 << depth) - 1;
  return (i % (levels + 1)) * 255 / levels;
}

struct RoundTrip {
  int colorType;
  int depth;
  bool transparency;
  bool interlaced;
};

// The source image for a format and the pixels its file must decode to.
void MakeImage(const RoundTrip& t, RAST_IBitmap* src, RAST_IBitmap* want, RAST_pixel* key) {
  *key = Px(Representable(t.depth, 1), Representable(t.depth, 2), Representable(t.depth, 3), 255);
  bool grey = t.colorType == RAST_PNG_GRAY || t.colorType == RAST_PNG_GRAY_ALPHA;
  if (grey) *key = Px(RAST_GETR(*key), RAST_GETR(*key), RAST_GETR(*key), 255);
  for (int y = 0; y < src->getHeight(); ++y) {
    for (int x = 0; x < src->getWidth(); ++x) {
      int i = x + y * 3;
      int r = Representable(t.depth, i), g = Representable(t.depth, i + 1), b = Representable(t.depth, i + 2);
      int a = (i * 53) & 0xff;
      if (t.colorType == RAST_PNG_PALETTE) {
        // Few enough colours for the smallest palette.
        int levels = 1 << t.depth;
        int c = i % levels;
        r = c * 255 / (levels > 1 ? levels - 1 : 1), g = 255 - r, b = c * 7, a = c * 50 & 0xff;
      }
      if (grey) g = b = r;
      RAST_pixel p = Px(r, g, b, a);
      if (x == 0 && y == 0 && t.transparency && t.colorType != RAST_PNG_PALETTE) p = *key;
      Set(src, x, y, p);
      bool hasAlpha = t.colorType == RAST_PNG_GRAY_ALPHA || t.colorType == RAST_PNG_RGBA;
      int wantAlpha = hasAlpha ? a : 255;
      if (t.transparency && t.colorType == RAST_PNG_PALETTE) wantAlpha = a;
      if (t.transparency && (t.colorType == RAST_PNG_GRAY || t.colorType == RAST_PNG_RGB))
        wantAlpha = (p | 0xff) == (*key | 0xff) ? 0 : 255;
      Set(want, x, y, (p & ~0xffu) | static_cast<RAST_pixel>(wantAlpha));
    }
  }
}

TEST(Png, EveryColourTypeAndDepthComesBackAsWritten) {
  const RoundTrip trips[] = {
      {RAST_PNG_GRAY, 1, false, false},       {RAST_PNG_GRAY, 2, false, false},     {RAST_PNG_GRAY, 4, false, true},
      {RAST_PNG_GRAY, 8, false, false},       {RAST_PNG_GRAY, 16, false, false},    {RAST_PNG_GRAY, 8, true, false},
      {RAST_PNG_GRAY, 2, true, false},        {RAST_PNG_RGB, 8, false, false},      {RAST_PNG_RGB, 16, false, true},
      {RAST_PNG_RGB, 8, true, false},         {RAST_PNG_RGB, 16, true, false},      {RAST_PNG_PALETTE, 1, false, false},
      {RAST_PNG_PALETTE, 2, false, false},    {RAST_PNG_PALETTE, 4, true, false},   {RAST_PNG_PALETTE, 8, true, true},
      {RAST_PNG_PALETTE, 8, false, false},    {RAST_PNG_GRAY_ALPHA, 8, false, false}, {RAST_PNG_GRAY_ALPHA, 16, false, true},
      {RAST_PNG_RGBA, 8, false, false},       {RAST_PNG_RGBA, 16, false, false},    {RAST_PNG_RGBA, 8, false, true},
  };
  for (const RoundTrip& t : trips) {
    SCOPED_TRACE(testing::Message() << "type " << t.colorType << " depth " << t.depth << " tRNS " << t.transparency
                                    << " interlaced " << t.interlaced);
    RAST_MemBitmap src(11, 6), want(11, 6);
    RAST_PNGFormat format;
    format.colorType = t.colorType;
    format.bitDepth = t.depth;
    format.transparency = t.transparency;
    format.interlaced = t.interlaced;
    MakeImage(t, &src, &want, &format.transparentColor);
    Bytes png = Encode(&src, format);
    ASSERT_FALSE(png.empty());
    std::unique_ptr<RAST_IBitmap> got = Decode(png);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->getRowSpan(), 12);  // new bitmaps align rows to 4 pixels
    ASSERT_TRUE(SamePixels(got.get(), &want));
  }
}

TEST(Png, OneBitGreyIsBlackAndWhiteOpaque) {
  // Hand-made: 8 pixels alternating in one byte 0b10100000, then 0b01...
  Bytes raw = {0, 0xa0, 0, 0x50};
  std::unique_ptr<RAST_IBitmap> got = Decode(png_craft::MakePng(4, 2, 1, 0, raw));
  ASSERT_TRUE(got);
  EXPECT_EQ(At(got.get(), 0, 0), Px(255, 255, 255, 255));
  EXPECT_EQ(At(got.get(), 1, 0), Px(0, 0, 0, 255));
  EXPECT_EQ(At(got.get(), 1, 1), Px(255, 255, 255, 255));
}

TEST(Png, FilesLoadThroughTheLoaderList) {
  RAST_MemBitmap src(5, 4);
  FillPattern(&src);
  RAST_PNGFormat format;  // 8-bit RGBA
  std::string path = testing::TempDir() + "raster_png_test.PNG";
  ASSERT_TRUE(RAST_WritePNG(path.c_str(), &src, format));

  RAST_ImageLoader* loader = RAST_ImageLoader_list;
  while (loader && loader->loadfunc != RAST_PNGLoader::loadfunc) loader = loader->next;
  ASSERT_NE(loader, nullptr);
  EXPECT_EQ(std::memcmp(loader->get_extlist(), "PNG files (*.PNG)\0*.PNG\0", 25), 0);

  std::unique_ptr<RAST_IBitmap> got(loader->loadfunc(path.c_str(), true, nullptr));
  ASSERT_TRUE(got);
  EXPECT_TRUE(SamePixels(got.get(), &src));
  // The extension check looks at the name only.
  ASSERT_TRUE(RAST_WritePNG((testing::TempDir() + "raster_png_test.jpg").c_str(), &src, format));
  EXPECT_EQ(loader->loadfunc((testing::TempDir() + "raster_png_test.jpg").c_str(), true, nullptr), nullptr);
  std::unique_ptr<RAST_IBitmap> unchecked(loader->loadfunc((testing::TempDir() + "raster_png_test.jpg").c_str(), false, nullptr));
  EXPECT_TRUE(unchecked);
  EXPECT_EQ(loader->loadfunc("a.png/picture", true, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNG((testing::TempDir() + "no_such_file.png").c_str()), nullptr);
  EXPECT_EQ(RAST_LoadPNG(nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromResource(101), nullptr);
}

TEST(Png, AGivenBitmapIsReusedAndResized) {
  RAST_MemBitmap src(6, 3), into(2, 2);
  FillPattern(&src);
  Bytes png = Encode(&src, RAST_PNGFormat());
  RAST_IBitmap* got = RAST_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &into);
  EXPECT_EQ(got, &into);
  EXPECT_TRUE(SamePixels(&into, &src));
}

// A small valid file every hostile case starts from.
Bytes SampleFile() {
  RAST_MemBitmap src(16, 16);
  FillPattern(&src, 9);
  return Encode(&src, RAST_PNGFormat());
}

TEST(Png, ShortOrForeignInputIsRefused) {
  Bytes png = SampleFile();
  EXPECT_EQ(RAST_LoadPNGFromMemory(png.data(), 0, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(png.data(), 7, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(RAST_LoadPNGFromMemory(png.data(), -5, nullptr), nullptr);
  const char text[] = "GIF89a this is not a PNG file at all";
  EXPECT_EQ(RAST_LoadPNGFromMemory(text, sizeof text, nullptr), nullptr);
  std::string path = testing::TempDir() + "raster_not_png.png";
  ASSERT_TRUE(png_craft::WriteFile(path, Bytes(text, text + sizeof text)));
  EXPECT_EQ(RAST_LoadPNG(path.c_str()), nullptr);
}

TEST(Png, EveryTruncationAndEveryCorruptByteIsRefused) {
  Bytes png = SampleFile();
  long iend = png_craft::FindChunk(png, "IEND");
  ASSERT_GT(iend, 0);
  RAST_MemBitmap keep(3, 3);
  for (long n = 0; n < iend; ++n) {
    ASSERT_EQ(Decode(Bytes(png.begin(), png.begin() + n)), nullptr) << "cut at " << n;
    ASSERT_EQ(Decode(Bytes(png.begin(), png.begin() + n), &keep), nullptr) << "cut at " << n;
    Bytes flipped = png;
    flipped[n] ^= 0x01;
    ASSERT_EQ(Decode(flipped), nullptr) << "flipped byte " << n;
  }
  // The caller's bitmap is still a working bitmap of some size.
  ASSERT_NE(keep.getBits(), nullptr);
  Set(&keep, keep.getWidth() - 1, keep.getHeight() - 1, 1);
  // The same truncation through a file.
  std::string path = testing::TempDir() + "raster_truncated.png";
  ASSERT_TRUE(png_craft::WriteFile(path, Bytes(png.begin(), png.begin() + iend / 2)));
  EXPECT_EQ(RAST_LoadPNG(path.c_str()), nullptr);
}

TEST(Png, AChunkClaimingMoreThanTheDataIsRefusedAtTheEndOfTheData) {
  Bytes png = png_craft::Signature();
  png_craft::AppendChunk(&png, "IHDR", png_craft::Ihdr(7, 5, 8, 0));
  // An ancillary chunk's header alone, claiming nearly 2 GB that libpng would skip through.
  const Bytes header = {0x7f, 0xff, 0xff, 0xf0, 'x', 'x', 'a', 'b'};
  png.insert(png.end(), header.begin(), header.end());
  testing::internal::CaptureStderr();
  EXPECT_EQ(Decode(png), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("read past the end of the data"), std::string::npos);
}

TEST(Png, FailingBeforeThePixelsLeavesTheCallersBitmapAlone) {
  RAST_MemBitmap keep(3, 3);
  FillPattern(&keep, 4);
  RAST_MemBitmap original(3, 3);
  RAST_Copy(&original, &keep);
  Bytes png = SampleFile();
  png[20] ^= 0x40;  // inside IHDR: the CRC no longer matches
  EXPECT_EQ(RAST_LoadPNGFromMemory(png.data(), static_cast<int>(png.size()), &keep), nullptr);
  EXPECT_TRUE(SamePixels(&keep, &original));
}

TEST(Png, AbsurdDimensionsAreRefusedBeforeAllocating) {
  const uint32_t sizes[][2] = {{100000, 100000}, {30000, 30000}, {0, 10}, {10, 0}, {0x7fffffff, 1}, {0x80000000u, 2}};
  for (const auto& s : sizes) {
    // A header that promises the size and a tiny stream that cannot fill it.
    Bytes png = png_craft::MakePng(s[0], s[1], 8, 6, Bytes(64, 0));
    RAST_MemBitmap keep(2, 2);
    EXPECT_EQ(Decode(png), nullptr) << s[0] << "x" << s[1];
    EXPECT_EQ(Decode(png, &keep), nullptr) << s[0] << "x" << s[1];
    EXPECT_EQ(keep.getWidth(), 2);
  }
}

TEST(Png, PaletteIndicesPastThePaletteAreRefused) {
  const Bytes palette = {255, 0, 0, 0, 0, 255};  // two entries
  Bytes good = {0, 0, 1, 1, 0};
  std::unique_ptr<RAST_IBitmap> got = Decode(png_craft::MakePng(4, 1, 8, 3, good, palette));
  ASSERT_TRUE(got);
  EXPECT_EQ(At(got.get(), 2, 0), Px(0, 0, 255, 255));
  Bytes bad = {0, 0, 1, 5, 0};
  EXPECT_EQ(Decode(png_craft::MakePng(4, 1, 8, 3, bad, palette)), nullptr);
  Bytes badLowDepth = {0, 0xe4};  // 2-bit indices 3, 2, 1, 0
  EXPECT_EQ(Decode(png_craft::MakePng(4, 1, 2, 3, badLowDepth, palette)), nullptr);
  EXPECT_EQ(Decode(png_craft::MakePng(4, 1, 8, 3, good)), nullptr);  // no palette at all
}

TEST(Png, PaletteTransparencyGivesPerPixelAlpha) {
  const Bytes palette = {10, 20, 30, 40, 50, 60};
  Bytes png = png_craft::Signature();
  png_craft::AppendChunk(&png, "IHDR", png_craft::Ihdr(2, 1, 8, 3));
  png_craft::AppendChunk(&png, "PLTE", palette);
  png_craft::AppendChunk(&png, "tRNS", {77});
  png_craft::AppendChunk(&png, "IDAT", png_craft::Compress({0, 0, 1}));
  png_craft::AppendChunk(&png, "IEND", {});
  std::unique_ptr<RAST_IBitmap> got = Decode(png);
  ASSERT_TRUE(got);
  EXPECT_EQ(At(got.get(), 0, 0), Px(10, 20, 30, 77));
  EXPECT_EQ(At(got.get(), 1, 0), Px(40, 50, 60, 255));
}

TEST(Png, TheEncoderRefusesWhatPngCannotHold) {
  RAST_MemBitmap src(4, 4), empty;
  FillPattern(&src);  // 16 colours
  BRM_HeapBuf out;
  RAST_PNGFormat format;
  format.colorType = RAST_PNG_PALETTE;
  format.bitDepth = 2;
  EXPECT_FALSE(RAST_EncodePNG(&src, format, &out));
  format.bitDepth = 4;
  EXPECT_TRUE(RAST_EncodePNG(&src, format, &out));
  format.colorType = RAST_PNG_RGB;
  EXPECT_FALSE(RAST_EncodePNG(&src, format, &out));
  format.colorType = 7;
  format.bitDepth = 8;
  EXPECT_FALSE(RAST_EncodePNG(&src, format, &out));
  EXPECT_FALSE(RAST_EncodePNG(&empty, RAST_PNGFormat(), &out));
  EXPECT_FALSE(RAST_EncodePNG(nullptr, RAST_PNGFormat(), &out));
  EXPECT_FALSE(RAST_EncodePNG(&src, RAST_PNGFormat(), nullptr));
  EXPECT_FALSE(RAST_WritePNG((testing::TempDir() + "no/such/dir/x.png").c_str(), &src, RAST_PNGFormat()));
}

}  // namespace
