#include "au/cf_au_preset.h"

#include <cstring>

#include <CoreFoundation/CFString.h>

CFArrayCallBacks kCFAUPresetArrayCallBacks;

namespace {
const bool s_presetCallBacksReady = (CFAUPresetArrayCallBacks_Init(&kCFAUPresetArrayCallBacks), true);
}  // namespace

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name) {
  void* memory = CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!memory) return nullptr;
  CFAUPresetRef preset = static_cast<CFAUPresetRef>(memory);
  preset->auPreset.presetNumber = presetNumber;
  preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->version = 0;
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset) {
  if (preset) {
    if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
    ++preset->retainCount;
  }
  return preset;
}

void CFAUPresetRelease(CFAUPresetRef preset) {
  if (!preset || preset->retainCount <= 0) return;
  // The name carries one reference per reference of the record.
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount == 0) {
    preset->auPreset.presetName = nullptr;
    preset->auPreset.presetNumber = 0;
    CFAllocatorDeallocate(preset->allocator, preset);
  }
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef, const void* preset) {
  return CFAUPresetRetain(static_cast<CFAUPresetRef>(const_cast<void*>(preset)));
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef, const void* preset) {
  CFAUPresetRelease(static_cast<CFAUPresetRef>(const_cast<void*>(preset)));
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset) {
  const CFAUPreset* pPreset = static_cast<const CFAUPreset*>(preset);
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  static_cast<int>(pPreset->auPreset.presetNumber), pPreset->auPreset.presetName);
}

Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2) {
  const CFAUPreset* p1 = static_cast<const CFAUPreset*>(preset1);
  const CFAUPreset* p2 = static_cast<const CFAUPreset*>(preset2);
  if (p1->auPreset.presetNumber != p2->auPreset.presetNumber) return false;
  CFStringRef name1 = p1->auPreset.presetName, name2 = p2->auPreset.presetName;
  if (!name1 || !name2) return name1 == name2;
  return CFStringCompare(name1, name2, 0) == kCFCompareEqualTo;
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* pCallBacks) {
  std::memset(pCallBacks, 0, sizeof(*pCallBacks));
  pCallBacks->version = 0;
  pCallBacks->retain = CFAUPresetArrayRetainCallBack;
  pCallBacks->release = CFAUPresetArrayReleaseCallBack;
  pCallBacks->copyDescription = CFAUPresetArrayCopyDescriptionCallBack;
  pCallBacks->equal = CFAUPresetArrayEqualCallBack;
}
