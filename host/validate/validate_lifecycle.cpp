// Opening, closing, initialising and the component calls every host makes first.
#include <chrono>

#include "host/unit/bundle_version.h"
#include "host/validate/validator.h"

namespace korval_host {

namespace {

std::string Milliseconds(std::chrono::steady_clock::time_point start) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  return std::to_string(static_cast<int>(ms + 0.5)) + " ms";
}

void CountCalls(void* calls, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
  ++*static_cast<int*>(calls);
}

}  // namespace

void ValidateLifecycle(Validator& validator) {
  auto start = std::chrono::steady_clock::now();
  bool opened = validator.Open() != nullptr;
  validator.Check("open and close (cold)", opened, Milliseconds(start));
  if (!opened) return;

  start = std::chrono::steady_clock::now();
  for (int i = 0; i < 3 && opened; ++i) opened = validator.Open() != nullptr;
  validator.Check("open and close three times (warm)", opened, Milliseconds(start));

  std::unique_ptr<HostedUnit> first = validator.Open();
  std::unique_ptr<HostedUnit> second = validator.Open();
  if (!first || !second) return;
  validator.Check("two instances have their own storage", first->Storage() != second->Storage());

  const AudioUnit unit = first->Unit();
  const auto reported = static_cast<UInt32>(GetComponentVersion(unit));
  UInt32 listed = 0;
  const std::string unlisted = ReadListedVersion(validator.Context().bundleDir, first->Description(), &listed);
  validator.Check("version is the one the bundle's Info.plist lists", unlisted.empty() && reported == listed,
                  "reported " + VersionText(reported) +
                      (unlisted.empty() ? ", listed " + VersionText(listed) : "; " + unlisted));
  validator.Check("can-do answers for render and initialize, not for unknown selectors",
                  CallComponentCanDo(unit, kAudioUnitRenderSelect) == 1 &&
                      CallComponentCanDo(unit, kAudioUnitInitializeSelect) == 1 && CallComponentCanDo(unit, 999) == 0);
  validator.Check("fast-dispatch procedures are offered",
                  first->HasFastRender() && first->FastSetParameterProc() != nullptr);
  void* procedure = nullptr;
  UInt32 size = sizeof procedure;
  validator.Check("fast dispatch for an unknown selector is refused",
                  AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, 999, &procedure,
                                       &size) != noErr);

  const OSStatus initialized = AudioUnitInitialize(unit);
  const OSStatus uninitialized = AudioUnitUninitialize(unit);
  const OSStatus again = AudioUnitInitialize(unit);
  validator.Check("initialize, uninitialize and initialize again",
                  initialized == noErr && uninitialized == noErr && again == noErr,
                  StatusText(initialized) + ", " + StatusText(uninitialized) + ", " + StatusText(again));

  int calls = 0;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, CountCalls, &calls);
  first->SetBypass(true);
  const int whileListening = calls;
  AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_BypassEffect, CountCalls, &calls);
  first->SetBypass(false);
  validator.Check("property listeners are called while registered and not after removal",
                  whileListening == 1 && calls == 1, std::to_string(calls) + " calls");
}

}  // namespace korval_host
