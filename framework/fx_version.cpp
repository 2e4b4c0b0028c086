#include "framework/fx_version.h"

#include <cstdio>

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pPatch) {
  unsigned v = static_cast<unsigned>(version);
  *pMajor = static_cast<int>(v >> 16);
  *pMinor = static_cast<int>((v >> 8) & 0xFF);
  *pPatch = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version) {
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* str) {
  int major, minor, patch;
  GetVersionParts(version, &major, &minor, &patch);
  std::snprintf(str, kVersionStrLen, "v%d.%d.%d", major, minor, patch);
}
