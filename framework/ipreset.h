#pragma once
// A stored set of parameter values: a name and the state chunk that restores it.
#include "base/ptr_list.h"
#include "framework/byte_chunk.h"

constexpr int kPresetNameLen = 256;

struct IPreset {
  bool mInitialized = false;
  char mName[kPresetNameLen] = "empty";
  ByteChunk mChunk;

  // The index is only a construction argument; a preset does not know its position.
  explicit IPreset(int) {}
};

// Writes "user preset N" with N one more than the presets already named so; str must hold
// kPresetNameLen bytes.
void MakeDefaultUserPresetName(const BRM_PtrList<IPreset>* pPresets, char* str);
// The first preset not yet holding data, or null.
IPreset* GetNextUninitializedPreset(const BRM_PtrList<IPreset>* pPresets);
