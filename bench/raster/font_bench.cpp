// Characters per second drawn by the cached font through its glyph cache and through the native
// path, beside FreeType rasterising the same text itself (the work the glyph cache saves), for a
// 12-pixel and a 48-pixel face. Each of the font's benchmarks also times FreeType in the same run
// and reports its own speed as a multiple of it ("x_freetype").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "freetype_reference.h"
#include "raster/rast_font.h"

namespace {

const char* const kFamily = "DejaVu Sans";
const char* const kText = "The quick brown fox jumps over the lazy dog 0123456789";
constexpr int kWidth = 1400, kHeight = 80;

int TextLength() { return static_cast<int>(std::strlen(kText)); }

// FreeType loading, rendering and blending each character, as a text layer without a cache does.
void DrawWithFreeType(FT_Face face, RAST_IBitmap* bmp, int baseline) {
  int pen = 0;
  RAST_pixel* bits = bmp->getBits();
  int span = bmp->getRowSpan();
  for (const char* p = kText; *p; ++p) {
    if (FT_Load_Char(face, static_cast<unsigned char>(*p), FT_LOAD_DEFAULT) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
      continue;
    const FT_Bitmap& b = face->glyph->bitmap;
    int left = pen + face->glyph->bitmap_left, top = baseline - face->glyph->bitmap_top;
    for (int y = 0; y < static_cast<int>(b.rows); ++y) {
      if (top + y < 0 || top + y >= kHeight) continue;
      for (int x = 0; x < static_cast<int>(b.width); ++x) {
        int c = b.buffer[y * b.pitch + x];
        if (!c || left + x < 0 || left + x >= kWidth) continue;
        unsigned char* d = reinterpret_cast<unsigned char*>(bits + (top + y) * span + left + x);
        for (int ch = 1; ch < 4; ++ch) d[ch] = static_cast<unsigned char>((255 * c + d[ch] * (255 - c) + 127) / 255);
      }
    }
    pen += static_cast<int>((face->glyph->advance.x + 32) / 64);
  }
}

// FreeType's characters per second for this size, timed here so that ratios come from one run.
double FreeTypeRate(int size) {
  ft_reference::Face face(kFamily, size);
  if (!face.IsOpen()) return 0.0;
  RAST_MemBitmap bmp(kWidth, kHeight);
  const int rounds = size > 24 ? 60 : 300;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) DrawWithFreeType(face.Handle(), &bmp, face.Ascent());
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return rounds * TextLength() / elapsed.count();
}

void SetCharRate(benchmark::State& state) {
  state.counters["chars"] =
      benchmark::Counter(static_cast<double>(TextLength()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CachedFont(benchmark::State& state, int fontFlags, bool systemBitmap) {
  const int size = static_cast<int>(state.range(0));
  RAST_CachedFont font;
  font.SetFromHFont(CreateFont(size, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kFamily),
                    RAST_FONT_OWNS_HFONT | fontFlags);
  font.SetTextColor(RAST_RGBA(255, 255, 255, 255));
  RAST_SysBitmap sysBitmap(kWidth, kHeight);
  RAST_MemBitmap memBitmap(kWidth, kHeight);
  RAST_IBitmap* bmp = systemBitmap ? static_cast<RAST_IBitmap*>(&sysBitmap) : &memBitmap;
  RECT r{0, 0, kWidth, kHeight};
  font.DrawText(bmp, kText, -1, &r, 0);  // glyphs cached before timing
  const double freeType = FreeTypeRate(size);
  auto start = std::chrono::steady_clock::now();
  long long drawn = 0;
  for (auto _ : state) {
    font.DrawText(bmp, kText, -1, &r, 0);
    drawn += TextLength();
    benchmark::ClobberMemory();
  }
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  SetCharRate(state);
  if (freeType > 0.0 && elapsed.count() > 0.0) state.counters["x_freetype"] = drawn / elapsed.count() / freeType;
}

void BM_GlyphCache(benchmark::State& state) { BM_CachedFont(state, 0, false); }
void BM_NativeInContext(benchmark::State& state) { BM_CachedFont(state, RAST_FONT_FORCE_NATIVE, true); }

void BM_FreeTypeDirect(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  ft_reference::Face face(kFamily, size);
  if (!face.IsOpen()) {
    state.SkipWithError("no font");
    return;
  }
  RAST_MemBitmap bmp(kWidth, kHeight);
  for (auto _ : state) {
    DrawWithFreeType(face.Handle(), &bmp, face.Ascent());
    benchmark::ClobberMemory();
  }
  SetCharRate(state);
}

BENCHMARK(BM_GlyphCache)->Arg(12)->Arg(48);
BENCHMARK(BM_NativeInContext)->Arg(12)->Arg(48);
BENCHMARK(BM_FreeTypeDirect)->Arg(12)->Arg(48);

}  // namespace
