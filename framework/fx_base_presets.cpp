// Presets and the plug-in state chunk of IFxBase.
#include <cstdarg>
#include <cstring>

#include "framework/base64.h"
#include "framework/fx_assert.h"
#include "framework/fx_base.h"
#include "framework/text_copy.h"

namespace {
const int kFxVerMagic = 0x70666674;
const int kFxVersion = 0x00010000;
// Marks parameters a named-parameter preset leaves at their current value.
const double kUnnamedParamMarker = 9.999e-8;

// Boolean, integer and enumerated values travel through varargs as ints.
double NextPresetValue(const IParam* pParam, va_list& args) {
  switch (pParam->Type()) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return static_cast<double>(va_arg(args, int));
    default:
      return va_arg(args, double);
  }
}
}  // namespace

const char* IFxBase::GetPresetName(int idx) const {
  const IPreset* pPreset = mPresets.Get(idx);
  return pPreset ? pPreset->mName : "";
}

bool IFxBase::RestorePreset(int idx) {
  IPreset* pPreset = mPresets.Get(idx);
  if (!pPreset) return false;
  bool restored;
  if (pPreset->mInitialized) {
    restored = UnserializeState(&pPreset->mChunk, 0) > 0;
  } else {
    pPreset->mInitialized = true;
    MakeDefaultUserPresetName(&mPresets, pPreset->mName);
    pPreset->mChunk.Clear();
    restored = SerializeState(&pPreset->mChunk);
  }
  if (restored) {
    mCurrentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
  }
  return restored;
}

bool IFxBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

void IFxBase::ModifyCurrentPreset(const char* name) {
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!pPreset) return;
  // The preset now holds data; left uninitialized, the next restore would overwrite it.
  pPreset->mInitialized = true;
  pPreset->mChunk.Clear();
  SerializeState(&pPreset->mChunk);
  if (name && name[0]) CopyTextCut(pPreset->mName, name);
}

void IFxBase::MakeDefaultPreset(const char* name, int nPresets) {
  for (int i = 0; i < nPresets; ++i) {
    IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
    if (!pPreset) return;
    pPreset->mInitialized = true;
    CopyTextCut(pPreset->mName, name ? name : "Empty");
    pPreset->mChunk.Clear();
    SerializeState(&pPreset->mChunk);
  }
}

void IFxBase::MakePreset(const char* name, ...) {
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return;
  pPreset->mInitialized = true;
  CopyTextCut(pPreset->mName, name);
  pPreset->mChunk.Clear();
  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i) {
    double v = NextPresetValue(GetParam(i), args);
    pPreset->mChunk.Put(&v);
  }
  va_end(args);
}

void IFxBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...) {
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return;
  pPreset->mInitialized = true;
  CopyTextCut(pPreset->mName, name);
  pPreset->mChunk.Clear();

  int n = NParams();
  BRM_TypedBuf<double> values;
  double* pValues = values.Resize(n);
  for (int i = 0; i < n; ++i) pValues[i] = kUnnamedParamMarker;

  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i) {
    int paramIdx = va_arg(args, int);
    FX_ASSERT(paramIdx >= 0 && paramIdx < n);
    pValues[paramIdx] = NextPresetValue(GetParam(paramIdx), args);
  }
  va_end(args);

  for (int i = 0; i < n; ++i) {
    double v = pValues[i] == kUnnamedParamMarker ? GetParam(i)->Value() : pValues[i];
    pPreset->mChunk.Put(&v);
  }
}

void IFxBase::MakePresetFromChunk(const char* name, ByteChunk* pChunk) {
  IPreset* pPreset = GetNextUninitializedPreset(&mPresets);
  if (!pPreset) return;
  pPreset->mInitialized = true;
  CopyTextCut(pPreset->mName, name);
  pPreset->mChunk.Clear();
  pPreset->mChunk.PutChunk(pChunk);
}

void IFxBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk) {
  ByteChunk presetChunk;
  presetChunk.Resize(sizeOfChunk);
  if (blob && presetChunk.Size() > 0) base64decode(blob, presetChunk.GetBytes(), presetChunk.Size());
  MakePresetFromChunk(name, &presetChunk);
}

void IFxBase::EnsureDefaultPreset() { MakeDefaultPreset("Empty", NPresets()); }

void IFxBase::PruneUninitializedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i)
    if (!mPresets.Get(i)->mInitialized) mPresets.Delete(i, true);
}

bool IFxBase::SerializeParams(ByteChunk* pChunk) {
  IMutexLock lock(this);
  bool savedAll = true;
  for (int i = 0; i < NParams() && savedAll; ++i) {
    double v = GetParam(i)->Value();
    savedAll = pChunk->Put(&v) >= 0;
  }
  return savedAll;
}

int IFxBase::UnserializeParams(ByteChunk* pChunk, int startPos) {
  IMutexLock lock(this);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i) {
    double v = 0.0;
    pos = pChunk->Get(&v, pos);
    GetParam(i)->Set(v);
  }
  OnParamReset();
  return pos;
}

bool IFxBase::SerializePresets(ByteChunk* pChunk) {
  bool savedAll = true;
  for (int i = 0; i < NPresets() && savedAll; ++i) {
    IPreset* pPreset = mPresets.Get(i);
    savedAll = pChunk->PutStr(pPreset->mName) >= 0 && pChunk->PutBool(pPreset->mInitialized) >= 0 &&
               (!pPreset->mInitialized || pChunk->PutChunk(&pPreset->mChunk) >= 0);
  }
  return savedAll;
}

int IFxBase::UnserializePresets(ByteChunk* pChunk, int startPos) {
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i) {
    IPreset* pPreset = mPresets.Get(i);
    // A fresh name per preset: an empty stored name must not inherit the previous preset's.
    BRM_String name;
    pos = pChunk->GetStr(&name, pos);
    if (pos > pChunk->Size()) pos = -1;
    if (pos < 0) break;
    CopyTextCut(pPreset->mName, name.Get());
    pos = pChunk->GetBool(&pPreset->mInitialized, pos);
    if (pos >= 0 && pPreset->mInitialized) {
      pos = UnserializeState(pChunk, pos);
      if (pos > 0) {
        pPreset->mChunk.Clear();
        SerializeState(&pPreset->mChunk);
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

void IFxBase::InitChunkWithFxVer(ByteChunk* pChunk) {
  pChunk->Clear();
  pChunk->Put(&kFxVerMagic);
  pChunk->Put(&kFxVersion);
}

int IFxBase::GetFxVerFromChunk(ByteChunk* pChunk, int* pPos) {
  int magic = 0, version = 0;
  int pos = pChunk->Get(&magic, *pPos);
  if (pos < 0 || magic != kFxVerMagic) return 0;
  pos = pChunk->Get(&version, pos);
  if (pos < 0) return 0;
  *pPos = pos;
  return version;
}

bool IFxBase::RestoreOrRollBack(ByteChunk* pChunk, int startPos, ERestoreScope scope, const char* presetName) {
  const bool withPresets = scope == ERestoreScope::kPresetsAndState;
  ByteChunk previousPresets, previousState;
  if (withPresets) SerializePresets(&previousPresets);
  const bool havePrevious = SerializeState(&previousState);
  const int previousPresetIdx = mCurrentPresetIdx;
  if (presetName) RestorePreset(presetName);
  const int end = withPresets ? UnserializePresets(pChunk, startPos) : UnserializeState(pChunk, startPos);
  if (end >= 0) return true;
  if (withPresets) UnserializePresets(&previousPresets, 0);
  if (havePrevious) UnserializeState(&previousState, 0);
  mCurrentPresetIdx = previousPresetIdx;
  RedrawParamControls();
  return false;
}
