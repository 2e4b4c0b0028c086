// Developer dumps that write presets as source lines for a plug-in's constructor.
#include <climits>
#include <cstdio>

#include "framework/base64.h"
#include "framework/fx_base.h"

namespace {
// The Base64 text is sized to the chunk, so chunks of any length dump whole.
void WriteBlobCall(FILE* fp, const char* name, const ByteChunk* pChunk) {
  long long textSize = Base64EncodedSize(pChunk->Size());
  BRM_TypedBuf<char> text;
  char* pText = textSize <= INT_MAX ? text.Resize(static_cast<int>(textSize)) : nullptr;
  if (!pText) return;
  base64encode(pChunk->GetBytes(), pText, pChunk->Size());
  std::fprintf(fp, "MakePresetFromBlob(\"%s\", \"", name);
  std::fprintf(fp, "%s\", %i);\n", pText, pChunk->Size());
}
}  // namespace

void IFxBase::DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[]) {
  FILE* fp = std::fopen(fileName, "w");
  if (!fp) return;
  std::fprintf(fp, "  MakePresetFromNamedParams(\"name\", %d", NParams());
  for (int i = 0; i < NParams(); ++i) {
    const IParam* pParam = GetParam(i);
    std::fprintf(fp, ",\n    %s, ", paramEnumNames[i]);
    switch (pParam->Type()) {
      case IParam::kTypeBool:
        std::fprintf(fp, "%s", pParam->Bool() ? "true" : "false");
        break;
      case IParam::kTypeInt:
      case IParam::kTypeEnum:
        std::fprintf(fp, "%d", pParam->Int());
        break;
      default:
        std::fprintf(fp, "%.6f", pParam->Value());
        break;
    }
  }
  std::fprintf(fp, ");\n");
  std::fclose(fp);
}

void IFxBase::DumpPresetBlob(const char* fileName) {
  const IPreset* pPreset = mPresets.Get(GetCurrentPresetIdx());
  if (!pPreset) return;
  FILE* fp = std::fopen(fileName, "w");
  if (!fp) return;
  WriteBlobCall(fp, "name", &pPreset->mChunk);
  std::fclose(fp);
}

void IFxBase::DumpBankBlob(const char* fileName) {
  FILE* fp = std::fopen(fileName, "w");
  if (!fp) return;
  for (int i = 0; i < NPresets(); ++i) WriteBlobCall(fp, mPresets.Get(i)->mName, &mPresets.Get(i)->mChunk);
  std::fclose(fp);
}
