#pragma once
// Inside of a memory drawing context: its pixels and the text state selected into it.
#include <vector>

#include <korval_platform/osg_text.h>

struct OSG_Font;

struct OSG_GfxContext {
  void* block = nullptr;   // as allocated, freed on delete
  void* pixels = nullptr;  // block rounded up to 64 bytes
  int width = 0;
  int height = 0;

  OSG_Font* font = nullptr;
  COLORREF textColour = 0;
  COLORREF bkColour = 0xffffff;
  int bkMode = OPAQUE;
  RECT clip{0, 0, 0, 0};
  std::vector<RECT> clipStack;
  // Pushes beyond the stack's limit are counted so that their pops stay matched.
  int clipOverflow = 0;
};
