// korval-host info: what the unit says about itself.
#include <cstdio>
#include <vector>

#include "host/commands/commands.h"
#include "host/unit/bundle_version.h"

namespace korval_host {

namespace {

const char* UnitText(AudioUnitParameterUnit unit) {
  switch (unit) {
    case kAudioUnitParameterUnit_Generic: return "";
    case kAudioUnitParameterUnit_Indexed: return "index";
    case kAudioUnitParameterUnit_Boolean: return "on/off";
    case kAudioUnitParameterUnit_Percent: return "%";
    case kAudioUnitParameterUnit_Seconds: return "s";
    case kAudioUnitParameterUnit_Hertz: return "Hz";
    case kAudioUnitParameterUnit_Decibels: return "dB";
    case kAudioUnitParameterUnit_Milliseconds: return "ms";
    default: return "?";
  }
}

template <typename Value>
OSStatus Query(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, Value* value) {
  return GetPropertyValue(unit, id, scope, 0, value);
}

void PrintParameters(const HostedUnit& unit) {
  const std::vector<ParameterDescription> parameters = unit.Parameters();
  std::printf("parameters: %zu\n", parameters.size());
  for (const ParameterDescription& parameter : parameters) {
    AudioUnitParameterValue current = 0;
    unit.GetParameter(parameter.id, &current);
    const std::string unitName = parameter.unitName.empty() ? UnitText(parameter.unit) : parameter.unitName;
    std::printf("  %u %-12s unit \"%s\"  range %g to %g  default %g  now %s%s\n", parameter.id, parameter.name.c_str(),
                unitName.c_str(), parameter.minValue, parameter.maxValue, parameter.defaultValue,
                unit.DisplayValue(parameter.id, current).c_str(),
                (parameter.flags & kAudioUnitParameterFlag_IsWritable) ? "" : "  (read only)");
  }
}

void PrintChannelConfigurations(AudioUnit unit) {
  UInt32 size = 0;
  std::printf("channel configurations (in-out):");
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size,
                               nullptr) == noErr) {
    std::vector<AUChannelInfo> configurations(size / sizeof(AUChannelInfo));
    size = static_cast<UInt32>(configurations.size() * sizeof(AUChannelInfo));
    if (!configurations.empty() && AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels,
                                                        kAudioUnitScope_Global, 0, configurations.data(), &size) == noErr)
      for (const AUChannelInfo& io : configurations) std::printf(" %d-%d", io.inChannels, io.outChannels);
  }
  std::printf("\n");
}

void PrintFactoryPresets(AudioUnit unit) {
  CFArrayRef presets = nullptr;
  if (Query(unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, &presets) != noErr || !presets) {
    std::printf("factory presets: none offered\n");
    return;
  }
  CFRef<CFArrayRef> held(presets);
  const CFIndex count = CFArrayGetCount(presets);
  std::printf("factory presets: %ld\n", static_cast<long>(count));
  for (CFIndex i = 0; i < count; ++i) {
    const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    std::printf("  %d %s\n", static_cast<int>(preset->presetNumber), ToUtf8(preset->presetName).c_str());
  }
}

}  // namespace

int RunInfo(const HostContext& context, const Arguments& arguments) {
  if (!arguments.empty()) return Fail(kExitBadInput, "info takes no arguments");
  int failure = kExitFailed;
  std::unique_ptr<HostedUnit> unit = OpenUnit(context, &failure);
  if (!unit) return failure;
  const ComponentDescription& description = unit->Description();
  std::printf("component: type '%s' subtype '%s' manufacturer '%s', version %s\n",
              FourCharCodeText(description.componentType).c_str(), FourCharCodeText(description.componentSubType).c_str(),
              FourCharCodeText(description.componentManufacturer).c_str(),
              VersionText(static_cast<UInt32>(GetComponentVersion(unit->Unit()))).c_str());
  std::printf("kind: %s\n", unit->IsInstrument() ? "instrument, played by MIDI (no sound input)"
                             : unit->TakesMidi()  ? "effect, played by MIDI too"
                                                  : "effect, takes no MIDI");
  PrintParameters(*unit);
  PrintChannelConfigurations(unit->Unit());

  Float64 latency = 0, tail = 0, rate = 0;
  Query(unit->Unit(), kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, &rate);
  Query(unit->Unit(), kAudioUnitProperty_Latency, kAudioUnitScope_Global, &latency);
  Query(unit->Unit(), kAudioUnitProperty_TailTime, kAudioUnitScope_Global, &tail);
  std::printf("sample rate: %g Hz\nlatency: %g s\ntail: %g s\n", rate, latency, tail);

  UInt32 inputs = 0, outputs = 0, globals = 0;
  Query(unit->Unit(), kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, &inputs);
  Query(unit->Unit(), kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, &outputs);
  Query(unit->Unit(), kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, &globals);
  std::printf("elements: input %u, output %u, global %u\n", inputs, outputs, globals);
  PrintFactoryPresets(unit->Unit());
  return kExitOk;
}

}  // namespace korval_host
