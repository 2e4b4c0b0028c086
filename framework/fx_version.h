#pragma once
// Version words: major in bits 16-31, minor in bits 8-15, patch in bits 0-7 (0x10000 is 1.0.0).

// Room for the longest version text ("v65535.255.255"), a one-letter suffix and the terminator.
constexpr int kVersionStrLen = 16;

void GetVersionParts(int version, int* pMajor, int* pMinor, int* pPatch);
int GetDecimalVersion(int version);
// Writes "vMAJOR.MINOR.PATCH"; str must hold kVersionStrLen bytes.
void GetVersionStr(int version, char* str);
