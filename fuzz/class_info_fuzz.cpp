// Class-info state restored the way a host does it: a property list (XML or binary) becomes a
// dictionary that is set on a freshly opened instance of the real effect through the component
// entry. Whatever the dictionary holds, every parameter the unit then reports is finite and inside
// its range, and the unit can still save its state.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/unit/hosted_unit.h"
#include "korval_platform/host.h"

using korval_host::CFRef;

namespace {
const ComponentDescription kEffect = {kAudioUnitType_Effect, korval_host::MakeFourCharCode("Kor1"),
                                      korval_host::MakeFourCharCode("Brmo"), 0, 0};

void RequireParametersInRange(const korval_host::HostedUnit& unit) {
  for (const korval_host::ParameterDescription& parameter : unit.Parameters()) {
    AudioUnitParameterValue value = 0;
    if (unit.GetParameter(parameter.id, &value) != noErr) __builtin_trap();
    if (!std::isfinite(value) || value < parameter.minValue || value > parameter.maxValue) {
      std::fprintf(stderr, "parameter %s holds %g, outside %g..%g\n", parameter.name.c_str(), value,
                   parameter.minValue, parameter.maxValue);
      std::abort();
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  KorvSetMainBundle("com.korvaline.fuzz", nullptr);
  const std::string error = korval_host::RegisterBundle(KORV_FUZZ_BUNDLE_DIR);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFRef<CFDataRef> bytes(CFDataCreate(nullptr, data, static_cast<CFIndex>(size)));
  CFRef<CFPropertyListRef> state(
      CFPropertyListCreateFromXMLData(nullptr, bytes.Get(), kCFPropertyListImmutable, nullptr));
  if (!state) return 0;

  std::string error;
  std::unique_ptr<korval_host::HostedUnit> unit = korval_host::HostedUnit::Open(kEffect, &error);
  if (!unit) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  unit->RestoreState(state.Get());
  RequireParametersInRange(*unit);
  CFRef<CFPropertyListRef> saved;
  if (unit->SaveState(&saved) != noErr || !saved) __builtin_trap();
  return 0;
}
