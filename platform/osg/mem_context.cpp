#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <korval_platform/osg.h>
#include "platform/osg/osg_context.h"

namespace {
const long long kMaxContextBytes = 0x7fffffffLL - 64;
}

HDC OSG_CreateMemContext(HDC, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  long long bytes = static_cast<long long>(width) * height * 4;
  if (bytes > kMaxContextBytes) return nullptr;
  void* block = std::calloc(1, static_cast<size_t>(bytes) + 63);
  if (!block) return nullptr;
  OSG_GfxContext* ctx = new (std::nothrow) OSG_GfxContext;
  if (!ctx) {
    std::free(block);
    return nullptr;
  }
  ctx->block = block;
  ctx->pixels = reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(block) + 63) & ~static_cast<uintptr_t>(63));
  ctx->width = width;
  ctx->height = height;
  ctx->clip = RECT{0, 0, width, height};
  return ctx;
}

void* OSG_GetCtxFrameBuffer(HDC ctx) { return ctx ? ctx->pixels : nullptr; }

void OSG_DeleteGfxContext(HDC ctx) {
  if (!ctx) return;
  std::free(ctx->block);
  delete ctx;
}
