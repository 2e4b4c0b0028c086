// Class-info dictionaries saved by the real effect through its component entry, and one dictionary
// holding every kind of value the stand-in writes, each as an XML and as a binary property list.
#include <plist/plist.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "fuzz/seeds/seed_writer.h"
#include "host/unit/hosted_unit.h"
#include "korval_platform/host.h"

using korval_host::CFRef;

namespace {
Bytes XmlBytes(CFPropertyListRef list) {
  CFRef<CFDataRef> xml(CFPropertyListCreateXMLData(nullptr, list));
  if (!xml) std::abort();
  return Bytes(CFDataGetBytePtr(xml.Get()), CFDataGetBytePtr(xml.Get()) + CFDataGetLength(xml.Get()));
}

// The binary form of an XML list; the stand-in only writes XML, so libplist converts it.
Bytes BinaryBytes(const Bytes& xml) {
  plist_t root = nullptr;
  plist_from_xml(reinterpret_cast<const char*>(xml.data()), static_cast<uint32_t>(xml.size()), &root);
  char* binary = nullptr;
  uint32_t length = 0;
  if (root) plist_to_bin(root, &binary, &length);
  plist_free(root);
  if (!binary) std::abort();
  Bytes bytes(binary, binary + length);
  plist_to_bin_free(binary);
  return bytes;
}

void AddBothForms(const SeedWriter& seeds, const std::string& target, const std::string& name, CFPropertyListRef list) {
  const Bytes xml = XmlBytes(list);
  seeds.Add(target, name + ".xml", xml);
  seeds.Add(target, name + ".bin", BinaryBytes(xml));
}

// States of the effect with its default parameters and with every parameter moved.
void AddEffectStates(const SeedWriter& seeds) {
  KorvSetMainBundle("com.korvaline.fuzz-seeds", nullptr);
  std::string error = korval_host::RegisterBundle(KORV_FUZZ_BUNDLE_DIR);
  const ComponentDescription effect = {kAudioUnitType_Effect, korval_host::MakeFourCharCode("Kor1"),
                                       korval_host::MakeFourCharCode("Brmo"), 0, 0};
  std::unique_ptr<korval_host::HostedUnit> unit;
  if (error.empty()) unit = korval_host::HostedUnit::Open(effect, &error);
  if (!unit) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  for (const bool moved : {false, true}) {
    if (moved) {
      for (const korval_host::ParameterDescription& parameter : unit->Parameters())
        unit->SetParameter(parameter.id, parameter.minValue + (parameter.maxValue - parameter.minValue) / 3);
    }
    CFRef<CFPropertyListRef> state;
    if (unit->SaveState(&state) != noErr) std::abort();
    const std::string name = moved ? "moved" : "default";
    AddBothForms(seeds, "class_info", name, state.Get());
    AddBothForms(seeds, "aupreset", name, state.Get());
  }
}

void AddEveryKind(const SeedWriter& seeds) {
  CFRef<CFMutableDictionaryRef> dict(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  CFRef<CFMutableArrayRef> array(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
  const SInt64 integer = -1234567890123LL;
  const double real = 0.1;
  const UInt8 bytes[] = {0, 1, 0xfe, 0xff};
  CFRef<CFNumberRef> integerValue(CFNumberCreate(nullptr, kCFNumberSInt64Type, &integer));
  CFRef<CFNumberRef> realValue(CFNumberCreate(nullptr, kCFNumberFloat64Type, &real));
  CFRef<CFStringRef> text(CFStringCreateWithCString(nullptr, "Grüße \xe2\x82\xac <&>", kCFStringEncodingUTF8));
  CFRef<CFDataRef> data(CFDataCreate(nullptr, bytes, sizeof bytes));
  for (CFTypeRef value : {CFTypeRef(integerValue.Get()), CFTypeRef(realValue.Get()), CFTypeRef(text.Get()),
                          CFTypeRef(data.Get())})
    CFArrayAppendValue(array.Get(), value);
  CFDictionarySetValue(dict.Get(), CFSTR("values"), array.Get());
  CFDictionarySetValue(dict.Get(), CFSTR("name"), text.Get());
  AddBothForms(seeds, "aupreset", "every-kind", dict.Get());
}
}  // namespace

void WritePropertyListSeeds(const SeedWriter& seeds) {
  AddEffectStates(seeds);
  AddEveryKind(seeds);
}
