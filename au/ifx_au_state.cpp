// The class-info dictionary that hosts save and restore, factory presets and the present preset.
#include <cstring>

#include "au/cf_au_preset.h"
#include "au/cf_text.h"
#include "au/ifx_au.h"
#include "framework/byte_chunk.h"

namespace {

// Longest preset name the dictionary restores, terminator included.
constexpr int kDictNameLen = 64;

void PutNumberInDict(CFMutableDictionaryRef pDict, const char* key, const void* pNumber, CFNumberType type) {
  CFStrLocal cfKey(key);
  CFNumberRef number = CFNumberCreate(nullptr, type, pNumber);
  if (!number) return;
  CFDictionarySetValue(pDict, cfKey.Get(), number);
  CFRelease(number);
}

void PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* value) {
  CFStrLocal cfKey(key), cfValue(value);
  CFDictionarySetValue(pDict, cfKey.Get(), cfValue.Get());
}

void PutDataInDict(CFMutableDictionaryRef pDict, const char* key, const ByteChunk* pChunk) {
  CFStrLocal cfKey(key);
  CFDataRef data = CFDataCreate(nullptr, pChunk->GetBytes(), pChunk->Size());
  if (!data) return;
  CFDictionarySetValue(pDict, cfKey.Get(), data);
  CFRelease(data);
}

// The value under key when it is of the given kind; null when absent or of another kind.
CFTypeRef GetTypedValue(CFDictionaryRef pDict, const char* key, CFTypeID type) {
  CFStrLocal cfKey(key);
  CFTypeRef value = CFDictionaryGetValue(pDict, cfKey.Get());
  return value && CFGetTypeID(value) == type ? value : nullptr;
}

bool GetNumberFromDict(CFDictionaryRef pDict, const char* key, void* pNumber, CFNumberType type) {
  CFTypeRef value = GetTypedValue(pDict, key, CFNumberGetTypeID());
  return value && CFNumberGetValue(static_cast<CFNumberRef>(value), type, pNumber);
}

bool GetStrFromDict(CFDictionaryRef pDict, const char* key, char* buf, int bufLen) {
  buf[0] = 0;
  CFTypeRef value = GetTypedValue(pDict, key, CFStringGetTypeID());
  if (!value) return false;
  // A name longer than the buffer keeps its longest whole-character prefix.
  CFStringGetCString(static_cast<CFStringRef>(value), buf, bufLen, kCFStringEncodingUTF8);
  return true;
}

bool GetDataFromDict(CFDictionaryRef pDict, const char* key, ByteChunk* pChunk) {
  CFTypeRef value = GetTypedValue(pDict, key, CFDataGetTypeID());
  if (!value) return false;
  CFDataRef data = static_cast<CFDataRef>(value);
  const CFIndex length = CFDataGetLength(data);
  if (length < 0 || length > 0x7fffffff) return false;
  if (pChunk->Resize(static_cast<int>(length)) < 0 || pChunk->Size() != static_cast<int>(length)) return false;
  if (length) std::memcpy(pChunk->GetBytes(), CFDataGetBytePtr(data), static_cast<size_t>(length));
  return true;
}

}  // namespace

ComponentResult IFxAU::GetState(CFPropertyListRef* ppPropList) {
  ComponentDescription cd;
  OSErr err = GetComponentInfo(reinterpret_cast<Component>(mComponentInstance), &cd, nullptr, nullptr, nullptr);
  if (err != noErr) return err;

  CFMutableDictionaryRef pDict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (!pDict) return coreFoundationUnknownErr;
  const SInt32 version = GetEffectVersion(false);
  const SInt32 type = static_cast<SInt32>(cd.componentType);
  const SInt32 subtype = static_cast<SInt32>(cd.componentSubType);
  const SInt32 mfr = static_cast<SInt32>(cd.componentManufacturer);
  PutNumberInDict(pDict, "version", &version, kCFNumberSInt32Type);
  PutNumberInDict(pDict, "type", &type, kCFNumberSInt32Type);
  PutNumberInDict(pDict, "subtype", &subtype, kCFNumberSInt32Type);
  PutNumberInDict(pDict, "manufacturer", &mfr, kCFNumberSInt32Type);
  PutStrInDict(pDict, "name", GetPresetName(GetCurrentPresetIdx()));

  ByteChunk chunk;
  if (SerializeState(&chunk)) PutDataInDict(pDict, "data", &chunk);
  *ppPropList = pDict;
  return noErr;
}

ComponentResult IFxAU::SetState(CFPropertyListRef pPropList) {
  ComponentDescription cd;
  OSErr err = GetComponentInfo(reinterpret_cast<Component>(mComponentInstance), &cd, nullptr, nullptr, nullptr);
  if (err != noErr) return err;
  if (!pPropList || CFGetTypeID(pPropList) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef pDict = static_cast<CFDictionaryRef>(pPropList);

  SInt32 version, type, subtype, mfr;
  char presetName[kDictNameLen];
  ByteChunk chunk;
  // Everything is checked before anything changes, so a refused dictionary leaves the plug-in as it was.
  if (!GetNumberFromDict(pDict, "version", &version, kCFNumberSInt32Type) ||
      !GetNumberFromDict(pDict, "type", &type, kCFNumberSInt32Type) ||
      !GetNumberFromDict(pDict, "subtype", &subtype, kCFNumberSInt32Type) ||
      !GetNumberFromDict(pDict, "manufacturer", &mfr, kCFNumberSInt32Type) ||
      !GetStrFromDict(pDict, "name", presetName, kDictNameLen) || !GetDataFromDict(pDict, "data", &chunk))
    return kAudioUnitErr_InvalidPropertyValue;
  if (static_cast<OSType>(type) != cd.componentType || static_cast<OSType>(subtype) != cd.componentSubType ||
      static_cast<OSType>(mfr) != cd.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;

  if (!RestoreOrRollBack(&chunk, 0, ERestoreScope::kState, presetName)) return kAudioUnitErr_InvalidPropertyValue;
  RedrawParamControls();
  return noErr;
}

ComponentResult IFxAU::GetFactoryPresets(void* pData) {
  const int n = NPresets();
  CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, n, &kCFAUPresetArrayCallBacks);
  if (!presets) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i) {
    CFStrLocal name(GetPresetName(i));
    if (CFAUPresetRef preset = CFAUPresetCreate(nullptr, i, name.Get())) {
      CFArrayAppendValue(presets, preset);
      CFAUPresetRelease(preset);
    }
  }
  CFArrayRef result = presets;
  std::memcpy(pData, &result, sizeof(result));
  return noErr;
}

void IFxAU::GetPresentPreset(void* pData) {
  const int idx = GetCurrentPresetIdx();
  AUPreset preset = {idx, MakeCFString(GetPresetName(idx))};
  std::memcpy(pData, &preset, sizeof(preset));
}
