#include "framework/ipreset.h"

#include <cstdio>
#include <cstring>

void MakeDefaultUserPresetName(const BRM_PtrList<IPreset>* pPresets, char* str) {
  static const char kUserPreset[] = "user preset";
  int nDefaultNames = 0;
  for (int i = 0; i < pPresets->GetSize(); ++i)
    if (std::strstr(pPresets->Get(i)->mName, kUserPreset)) ++nDefaultNames;
  std::snprintf(str, kPresetNameLen, "%s %d", kUserPreset, nDefaultNames + 1);
}

IPreset* GetNextUninitializedPreset(const BRM_PtrList<IPreset>* pPresets) {
  for (int i = 0; i < pPresets->GetSize(); ++i)
    if (!pPresets->Get(i)->mInitialized) return pPresets->Get(i);
  return nullptr;
}
