// Parameter descriptions, values at their limits, and refusal of parameters that do not exist.
#include <cmath>
#include <set>
#include <vector>

#include "host/validate/validator.h"

namespace korval_host {

namespace {

std::string Describe(const ParameterDescription& parameter) {
  return "parameter " + std::to_string(parameter.id) + " \"" + parameter.name + "\"";
}

std::string CheckDescription(const ParameterDescription& parameter) {
  if (parameter.name.empty()) return "no name";
  if (!(parameter.flags & kAudioUnitParameterFlag_IsReadable)) return "not readable";
  if (!std::isfinite(parameter.minValue) || !std::isfinite(parameter.maxValue) || parameter.minValue > parameter.maxValue)
    return "bad range";
  if (parameter.defaultValue < parameter.minValue || parameter.defaultValue > parameter.maxValue)
    return "default outside the range";
  return {};
}

// Sets each value through the entry and through fast dispatch and reads it back both ways.
std::string CheckKeepsValues(const HostedUnit& unit, const ParameterDescription& parameter) {
  const float values[] = {parameter.minValue, parameter.maxValue, parameter.defaultValue};
  for (float value : values) {
    for (bool fast : {false, true}) {
      const OSStatus status = fast ? unit.SetParameter(parameter.id, value)
                                   : AudioUnitSetParameter(unit.Unit(), parameter.id, kAudioUnitScope_Global, 0, value, 0);
      AudioUnitParameterValue viaEntry = NAN, viaFast = NAN;
      AudioUnitGetParameter(unit.Unit(), parameter.id, kAudioUnitScope_Global, 0, &viaEntry);
      unit.GetParameter(parameter.id, &viaFast);
      if (status != noErr || viaEntry != value || viaFast != value)
        return "set " + std::to_string(value) + (fast ? " by fast dispatch" : " by the entry") + ", read back " +
               std::to_string(viaEntry) + " / " + std::to_string(viaFast);
    }
    if (unit.DisplayValue(parameter.id, value).empty()) return "no display text for " + std::to_string(value);
  }
  return {};
}

}  // namespace

void ValidateParameters(Validator& validator) {
  std::unique_ptr<HostedUnit> unit = validator.Open();
  if (!unit) return;
  const std::vector<ParameterDescription> parameters = unit->Parameters();
  std::set<AudioUnitParameterID> ids;
  for (const ParameterDescription& parameter : parameters) ids.insert(parameter.id);
  validator.Check("parameter list: every listed parameter has a description, IDs are distinct",
                  ids.size() == parameters.size(), std::to_string(parameters.size()) + " parameters");

  for (const ParameterDescription& parameter : parameters) {
    const std::string problem = CheckDescription(parameter);
    validator.Check(Describe(parameter) + " description", problem.empty(), problem);
    const std::string kept = CheckKeepsValues(*unit, parameter);
    validator.Check(Describe(parameter) + " keeps its minimum, maximum and default", kept.empty(), kept);
  }

  const AudioUnitParameterID missing = ids.empty() ? 0 : *ids.rbegin() + 1;
  AudioUnitParameterValue value = 0;
  AudioUnitParameterInfo info{};
  UInt32 size = sizeof info;
  validator.Check("a parameter that does not exist is refused by get, set and info",
                  AudioUnitGetParameter(unit->Unit(), missing, kAudioUnitScope_Global, 0, &value) != noErr &&
                      AudioUnitSetParameter(unit->Unit(), missing, kAudioUnitScope_Global, 0, 1.0f, 0) != noErr &&
                      unit->SetParameter(missing, 1.0f) != noErr &&
                      AudioUnitGetProperty(unit->Unit(), kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global,
                                           missing, &info, &size) != noErr);
  if (!parameters.empty())
    validator.Check("a parameter in the wrong scope is refused",
                    AudioUnitGetParameter(unit->Unit(), parameters[0].id, kAudioUnitScope_Output, 0, &value) != noErr &&
                        AudioUnitSetParameter(unit->Unit(), parameters[0].id, kAudioUnitScope_Input, 0, 0.0f, 0) !=
                            noErr);
}

}  // namespace korval_host
