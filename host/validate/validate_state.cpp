// Saving and restoring the unit's state: byte-identical round trips, and damaged states refused.
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "host/files/preset_file.h"
#include "host/validate/validator.h"

namespace korval_host {

namespace {

CFRef<CFDataRef> AsXML(CFPropertyListRef state) { return CFRef<CFDataRef>(CFPropertyListCreateXMLData(nullptr, state)); }

bool SameBytes(CFDataRef a, CFDataRef b) {
  return a && b && CFDataGetLength(a) == CFDataGetLength(b) &&
         std::equal(CFDataGetBytePtr(a), CFDataGetBytePtr(a) + CFDataGetLength(a), CFDataGetBytePtr(b));
}

std::vector<float> Values(const HostedUnit& unit) {
  std::vector<float> values;
  for (const ParameterDescription& parameter : unit.Parameters()) {
    AudioUnitParameterValue value = 0;
    unit.GetParameter(parameter.id, &value);
    values.push_back(value);
  }
  return values;
}

// Moves every parameter off its default, a third of the way up its range.
void SetDistinctValues(const HostedUnit& unit) {
  for (const ParameterDescription& parameter : unit.Parameters())
    unit.SetParameter(parameter.id, parameter.minValue + (parameter.maxValue - parameter.minValue) / 3.0f);
}

// A new mutable dictionary holding the same entries; the caller owns it.
CFMutableDictionaryRef MutableCopy(CFPropertyListRef state) {
  auto dictionary = static_cast<CFDictionaryRef>(state);
  CFMutableDictionaryRef copy =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) CFDictionarySetValue(copy, keys[i], values[i]);
  return copy;
}

// Variants of a good state that a unit must refuse, each with what was done to it.
std::vector<std::pair<std::string, CFRef<CFPropertyListRef>>> DamagedStates(CFPropertyListRef good) {
  std::vector<std::pair<std::string, CFRef<CFPropertyListRef>>> damaged;
  auto variant = [&](const std::string& what, const char* key, CFTypeRef value) {
    CFMutableDictionaryRef copy = MutableCopy(good);
    damaged.emplace_back(what, CFRef<CFPropertyListRef>(copy));
    CFRef<CFStringRef> name = MakeCFString(key);
    if (value) {
      CFDictionarySetValue(copy, name.Get(), value);
    } else {
      CFDictionaryRemoveValue(copy, name.Get());
    }
  };
  const SInt32 otherCode = static_cast<SInt32>(MakeFourCharCode("XXXX"));
  CFRef<CFNumberRef> otherNumber(CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherCode));
  CFRef<CFStringRef> text = MakeCFString("not a number");
  const UInt8 bytes[3] = {1, 2, 3};
  CFRef<CFDataRef> shortData(CFDataCreate(nullptr, bytes, sizeof bytes));
  variant("another subtype", "subtype", otherNumber.Get());
  variant("another manufacturer", "manufacturer", otherNumber.Get());
  variant("no data", "data", nullptr);
  variant("no type", "type", nullptr);
  // Short only where the state holds more: a unit without parameters has nothing to lose.
  CFRef<CFStringRef> dataKey = MakeCFString("data");
  const auto goodData = static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(good), dataKey.Get()));
  if (goodData && CFGetTypeID(goodData) == CFDataGetTypeID() && CFDataGetLength(goodData) > CFIndex{sizeof bytes})
    variant("data of 3 bytes", "data", shortData.Get());
  variant("data given as text", "data", text.Get());
  variant("subtype given as text", "subtype", text.Get());
  variant("name given as data", "name", shortData.Get());
  damaged.emplace_back("a string instead of a dictionary",
                       CFRef<CFPropertyListRef>(CFStringCreateWithCString(nullptr, "state", kCFStringEncodingUTF8)));
  return damaged;
}

}  // namespace

void ValidateState(Validator& validator) {
  std::unique_ptr<HostedUnit> source = validator.Open();
  std::unique_ptr<HostedUnit> target = validator.Open();
  if (!source || !target) return;
  SetDistinctValues(*source);
  CFRef<CFPropertyListRef> saved;
  OSStatus status = source->SaveState(&saved);
  if (!validator.Check("state is saved as a dictionary",
                       status == noErr && saved && CFGetTypeID(saved.Get()) == CFDictionaryGetTypeID(),
                       StatusText(status)))
    return;
  CFRef<CFDataRef> savedXML = AsXML(saved.Get());
  validator.Check("state is a property list", static_cast<bool>(savedXML));

  status = target->RestoreState(saved.Get());
  CFRef<CFPropertyListRef> again;
  target->SaveState(&again);
  validator.Check("state restored into a fresh instance saves byte-identical, with the same parameter values",
                  status == noErr && SameBytes(savedXML.Get(), AsXML(again.Get()).Get()) &&
                      Values(*source) == Values(*target),
                  StatusText(status));

  char path[] = "/tmp/korval-host-validate-XXXXXX";
  const int descriptor = mkstemp(path);
  if (descriptor >= 0) close(descriptor);
  std::string problem = descriptor < 0 ? "no temporary file" : WritePresetFile(path, saved.Get());
  CFRef<CFPropertyListRef> fromFile;
  if (problem.empty()) problem = ReadPresetFile(path, &fromFile);
  std::unique_ptr<HostedUnit> third = validator.Open();
  if (problem.empty() && third && (status = third->RestoreState(fromFile.Get())) != noErr)
    problem = "restoring: " + StatusText(status);
  if (descriptor >= 0) unlink(path);
  validator.Check("state through an .aupreset file restores the same values",
                  problem.empty() && third && Values(*third) == Values(*source), problem);

  std::unique_ptr<HostedUnit> fresh = validator.Open();
  if (!fresh) return;
  const std::vector<float> before = Values(*fresh);
  for (auto& [what, state] : DamagedStates(saved.Get())) {
    status = fresh->RestoreState(state.Get());
    validator.Check("a state with " + what + " is refused and changes nothing",
                    status != noErr && Values(*fresh) == before, StatusText(status));
  }
  validator.Check("a null state is refused", fresh->RestoreState(nullptr) != noErr);

  CFArrayRef presets = nullptr;
  status = GetPropertyValue(fresh->Unit(), kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets);
  CFRef<CFArrayRef> held(presets);
  bool selectable = status == noErr && presets;
  for (CFIndex i = 0; selectable && i < CFArrayGetCount(presets); ++i) {
    const AUPreset preset = *static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    selectable = AudioUnitSetProperty(fresh->Unit(), kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0,
                                      &preset, sizeof preset) == noErr;
  }
  validator.Check("factory presets are listed and each can be selected", selectable,
                  presets ? std::to_string(CFArrayGetCount(presets)) + " presets" : StatusText(status));
}

}  // namespace korval_host
