// Program (FXP) and bank (FXB) files of IFxBase. Header fields are big-endian; a state chunk
// carried inside is stored as it is.
#include <cstdio>
#include <cstring>

#include "framework/codes_and_samples.h"
#include "framework/fx_base.h"

namespace {
const int kChunkMagic = FourCC("CcnK");
const int kProgramChunkMagic = FourCC("FPCh");
const int kProgramValuesMagic = FourCC("FxCk");
const int kBankChunkMagic = FourCC("FBCh");
const int kBankProgramsMagic = FourCC("FxBk");
const int kProgramFormatVersion = 1;
const int kBankFormatVersion = 2;
const int kProgramNameLen = 28;
const int kProgramHeaderSize = 56;
const int kBankReservedSize = 124;
const int kBankHeaderSize = 156;

int PutBE(ByteChunk* pChunk, int value) {
  int swapped = static_cast<int>(__builtin_bswap32(static_cast<unsigned>(value)));
  return pChunk->Put(&swapped);
}

int GetBE(const ByteChunk* pChunk, int* pValue, int pos) {
  unsigned raw = 0;
  pos = pChunk->Get(&raw, pos);
  if (pos >= 0) *pValue = static_cast<int>(__builtin_bswap32(raw));
  return pos;
}

int PutNormalizedBE(ByteChunk* pChunk, float normalized) {
  int bits;
  std::memcpy(&bits, &normalized, sizeof(bits));
  return PutBE(pChunk, bits);
}

int GetNormalizedBE(const ByteChunk* pChunk, float* pValue, int pos) {
  int bits = 0;
  pos = GetBE(pChunk, &bits, pos);
  if (pos >= 0) std::memcpy(pValue, &bits, sizeof(bits));
  return pos;
}

// Whether n 32-bit values can still be read from pos.
bool HoldsValues(const ByteChunk* pChunk, int pos, int n) {
  return pos >= 0 && static_cast<long long>(pos) + 4LL * n <= pChunk->Size();
}

bool ReadWholeFile(const BRM_String* pFileName, ByteChunk* pChunk) {
  if (!pFileName || !pFileName->GetLength()) return false;
  FILE* fp = std::fopen(pFileName->Get(), "rb");
  if (!fp) return false;
  bool read = false;
  if (std::fseek(fp, 0, SEEK_END) == 0) {
    long size = std::ftell(fp);
    if (size >= 0 && size <= 0x7fffffffL && std::fseek(fp, 0, SEEK_SET) == 0) {
      pChunk->Resize(static_cast<int>(size));
      read = pChunk->Size() == size &&
             (size == 0 || std::fread(pChunk->GetBytes(), 1, static_cast<size_t>(size), fp) == static_cast<size_t>(size));
    }
  }
  std::fclose(fp);
  return read;
}

bool WriteWholeFile(const BRM_String* pFileName, const ByteChunk* pChunk) {
  if (!pFileName || !pFileName->GetLength()) return false;
  FILE* fp = std::fopen(pFileName->Get(), "wb");
  if (!fp) return false;
  size_t size = static_cast<size_t>(pChunk->Size());
  bool written = std::fwrite(pChunk->GetBytes(), 1, size, fp) == size;
  return std::fclose(fp) == 0 && written;
}

// Reads a 28-byte program name; a name filling all 28 bytes keeps all of them.
int GetProgramName(const ByteChunk* pChunk, char (&name)[kProgramNameLen + 1], int pos) {
  pos = pChunk->GetBytes(name, kProgramNameLen, pos);
  name[pos >= 0 ? kProgramNameLen : 0] = 0;
  return pos;
}
}  // namespace

void IFxBase::PutProgramHeader(ByteChunk* pChunk, int byteSize, int programMagic, const char* name) {
  PutBE(pChunk, kChunkMagic);
  PutBE(pChunk, byteSize);
  PutBE(pChunk, programMagic);
  PutBE(pChunk, kProgramFormatVersion);
  PutBE(pChunk, GetUniqueID());
  PutBE(pChunk, GetEffectVersion(true));
  PutBE(pChunk, NParams());
  char paddedName[kProgramNameLen] = {};
  std::strncpy(paddedName, name, kProgramNameLen - 1);
  pChunk->PutBytes(paddedName, kProgramNameLen);
}

bool IFxBase::SaveProgramAsFXP(const BRM_String* pFileName) {
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk file;
  const char* name = GetPresetName(GetCurrentPresetIdx());
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithFxVer(&state);
    SerializeState(&state);
    PutProgramHeader(&file, state.Size() + kProgramHeaderSize + 4, kProgramChunkMagic, name);
    PutBE(&file, state.Size());
    file.PutChunk(&state);
  } else {
    PutProgramHeader(&file, kProgramHeaderSize + 4 * NParams(), kProgramValuesMagic, name);
    for (int i = 0; i < NParams(); ++i) PutNormalizedBE(&file, static_cast<float>(GetParam(i)->GetNormalized()));
  }
  return WriteWholeFile(pFileName, &file);
}

bool IFxBase::SaveBankAsFXB(const BRM_String* pFileName) {
  if (!pFileName || !pFileName->GetLength()) return false;
  ByteChunk bankChunk;
  if (DoesStateChunks()) {
    InitChunkWithFxVer(&bankChunk);
    SerializePresets(&bankChunk);
  }
  int programSize = kProgramHeaderSize + 4 * NParams();
  int byteSize = DoesStateChunks() ? bankChunk.Size() + kBankHeaderSize + 4 : kBankHeaderSize + NPresets() * programSize;

  ByteChunk file;
  PutBE(&file, kChunkMagic);
  PutBE(&file, byteSize);
  PutBE(&file, DoesStateChunks() ? kBankChunkMagic : kBankProgramsMagic);
  PutBE(&file, kBankFormatVersion);
  PutBE(&file, GetUniqueID());
  PutBE(&file, GetEffectVersion(true));
  PutBE(&file, NPresets());
  PutBE(&file, GetCurrentPresetIdx());
  char reserved[kBankReservedSize] = {};
  file.PutBytes(reserved, kBankReservedSize);

  if (DoesStateChunks()) {
    PutBE(&file, bankChunk.Size());
    file.PutChunk(&bankChunk);
  } else {
    for (int p = 0; p < NPresets(); ++p) {
      IPreset* pPreset = mPresets.Get(p);
      PutProgramHeader(&file, programSize, kProgramValuesMagic, pPreset->mName);
      int pos = 0;
      for (int i = 0; i < NParams(); ++i) {
        double v = 0.0;
        pos = pPreset->mChunk.Get(&v, pos);
        if (pos < 0) v = 0.0;
        PutNormalizedBE(&file, static_cast<float>(GetParam(i)->GetNormalized(v)));
      }
    }
  }
  return WriteWholeFile(pFileName, &file);
}

bool IFxBase::LoadProgramFromFXP(const BRM_String* pFileName) {
  ByteChunk file;
  if (!ReadWholeFile(pFileName, &file)) return false;
  int magic = 0, byteSize = 0, programMagic = 0, formatVersion = 0, uniqueID = 0, fxVersion = 0, nParams = 0;
  char name[kProgramNameLen + 1];
  int pos = GetBE(&file, &magic, 0);
  pos = GetBE(&file, &byteSize, pos);
  pos = GetBE(&file, &programMagic, pos);
  pos = GetBE(&file, &formatVersion, pos);
  pos = GetBE(&file, &uniqueID, pos);
  pos = GetBE(&file, &fxVersion, pos);
  pos = GetBE(&file, &nParams, pos);
  pos = GetProgramName(&file, name, pos);
  if (pos < 0 || magic != kChunkMagic || formatVersion != kProgramFormatVersion || uniqueID != GetUniqueID())
    return false;
  if (DoesStateChunks() && programMagic == kProgramChunkMagic) return ApplyProgramChunk(&file, pos, name);
  if (programMagic == kProgramValuesMagic) return ApplyProgramValues(&file, pos, name);
  return false;
}

bool IFxBase::ApplyProgramChunk(ByteChunk* pFile, int pos, const char* name) {
  int chunkSize = 0;
  pos = GetBE(pFile, &chunkSize, pos);
  if (pos < 0) return false;
  GetFxVerFromChunk(pFile, &pos);
  if (!RestoreOrRollBack(pFile, pos, ERestoreScope::kState)) return false;
  FinishProgramLoad(name);
  return true;
}

bool IFxBase::ApplyProgramValues(ByteChunk* pFile, int pos, const char* name) {
  // A file with fewer values than parameters is refused before anything changes.
  if (!HoldsValues(pFile, pos, NParams())) return false;
  for (int i = 0; i < NParams(); ++i) {
    float v = 0.0f;
    pos = GetNormalizedBE(pFile, &v, pos);
    GetParam(i)->SetNormalized(v);
  }
  FinishProgramLoad(name);
  return true;
}

void IFxBase::FinishProgramLoad(const char* name) {
  ModifyCurrentPreset(name);
  // Without presets there is none to restore through: the effect and the editor hear of the loaded
  // values directly.
  if (!RestorePreset(GetCurrentPresetIdx())) ApplyParamsToEffectAndEditor();
  InformHostOfProgramChange();
}

void IFxBase::ApplyParamsToEffectAndEditor() {
  OnParamReset();
  RedrawParamControls();
}

bool IFxBase::LoadBankFromFXB(const BRM_String* pFileName) {
  ByteChunk file;
  if (!ReadWholeFile(pFileName, &file)) return false;
  int magic = 0, byteSize = 0, bankMagic = 0, formatVersion = 0, uniqueID = 0, fxVersion = 0, nPrograms = 0,
      currentPgm = 0;
  int pos = GetBE(&file, &magic, 0);
  pos = GetBE(&file, &byteSize, pos);
  pos = GetBE(&file, &bankMagic, pos);
  pos = GetBE(&file, &formatVersion, pos);
  pos = GetBE(&file, &uniqueID, pos);
  pos = GetBE(&file, &fxVersion, pos);
  pos = GetBE(&file, &nPrograms, pos);
  pos = GetBE(&file, &currentPgm, pos);
  char reserved[kBankReservedSize];
  pos = file.GetBytes(reserved, kBankReservedSize, pos);
  if (pos < 0 || magic != kChunkMagic || uniqueID != GetUniqueID()) return false;
  if (DoesStateChunks() && bankMagic == kBankChunkMagic) return ApplyBankChunk(&file, pos);
  if (bankMagic == kBankProgramsMagic) return ApplyBankPrograms(&file, pos, nPrograms, currentPgm);
  return false;
}

bool IFxBase::ApplyBankChunk(ByteChunk* pFile, int pos) {
  int chunkSize = 0;
  pos = GetBE(pFile, &chunkSize, pos);
  if (pos < 0) return false;
  GetFxVerFromChunk(pFile, &pos);
  if (!RestoreOrRollBack(pFile, pos, ERestoreScope::kPresetsAndState)) return false;
  InformHostOfProgramChange();
  return true;
}

bool IFxBase::ApplyBankPrograms(ByteChunk* pFile, int pos, int nPrograms, int currentPgm) {
  // Records beyond the preset list have no preset to go to and are ignored.
  int nRecords = nPrograms < NPresets() ? nPrograms : NPresets();
  for (int i = 0; i < nRecords; ++i) {
    int magic = 0, byteSize = 0, programMagic = 0, formatVersion = 0, uniqueID = 0, fxVersion = 0, nParams = 0;
    char name[kProgramNameLen + 1];
    pos = GetBE(pFile, &magic, pos);
    pos = GetBE(pFile, &byteSize, pos);
    pos = GetBE(pFile, &programMagic, pos);
    pos = GetBE(pFile, &formatVersion, pos);
    pos = GetBE(pFile, &uniqueID, pos);
    pos = GetBE(pFile, &fxVersion, pos);
    pos = GetBE(pFile, &nParams, pos);
    pos = GetProgramName(pFile, name, pos);
    if (pos < 0 || magic != kChunkMagic || programMagic != kProgramValuesMagic ||
        formatVersion != kProgramFormatVersion || nParams != NParams() || !HoldsValues(pFile, pos, NParams()))
      return false;
    RestorePreset(i);
    for (int j = 0; j < NParams(); ++j) {
      float v = 0.0f;
      pos = GetNormalizedBE(pFile, &v, pos);
      GetParam(j)->SetNormalized(v);
    }
    ModifyCurrentPreset(name);
  }
  // A current program the bank names but the plug-in lacks leaves the last record's values in place.
  if (!RestorePreset(currentPgm)) ApplyParamsToEffectAndEditor();
  InformHostOfProgramChange();
  return true;
}
