#include "host/commands/parameter_assignment.h"

#include <strings.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace korval_host {

bool ParseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  // strtod flags underflow too (1e-320 gives a denormal or 0), which is still the number meant.
  const bool overflowed = errno == ERANGE && std::fabs(parsed) > DBL_MIN;
  if (overflowed || *end != '\0' || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

bool ParseCount(const std::string& text, long minimum, long maximum, long* value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
  const long parsed = std::strtol(text.c_str(), nullptr, 10);
  if (parsed < minimum || parsed > maximum) return false;
  *value = parsed;
  return true;
}

namespace {

const ParameterDescription* FindParameter(const std::vector<ParameterDescription>& parameters,
                                          const std::string& key) {
  for (const ParameterDescription& parameter : parameters) {
    if (strcasecmp(parameter.name.c_str(), key.c_str()) == 0) return &parameter;
  }
  long index = 0;
  if (ParseCount(key, 0, static_cast<long>(parameters.size()) - 1, &index)) return &parameters[index];
  return nullptr;
}

// The texts of a parameter's values from its minimum up: a list's choices, or a switch's "off" and
// "on" (what the unit shows for them); none for other parameters.
std::vector<std::string> ValueNames(const ParameterDescription& parameter) {
  if (parameter.valueNames.empty() && parameter.unit == kAudioUnitParameterUnit_Boolean) return {"off", "on"};
  return parameter.valueNames;
}

// A value's text (any case) as its value.
bool FindValueName(const std::vector<std::string>& names, const ParameterDescription& parameter,
                   const std::string& text, double* value) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (strcasecmp(names[i].c_str(), text.c_str()) == 0) {
      *value = parameter.minValue + static_cast<double>(i);
      return true;
    }
  }
  return false;
}

std::string Names(const std::vector<std::string>& names) {
  std::string list;
  for (size_t i = 0; i < names.size(); ++i) list += (i ? ", " : "") + names[i];
  return list;
}

std::string Names(const std::vector<ParameterDescription>& parameters) {
  std::string names;
  for (size_t i = 0; i < parameters.size(); ++i) names += (i ? ", " : "") + parameters[i].name;
  return names;
}

}  // namespace

std::string ResolveParameterAssignment(const std::vector<ParameterDescription>& parameters, const std::string& text,
                                       ParameterAssignment* assignment) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return "--param needs NAME=VALUE, got \"" + text + "\"";
  const std::string key = text.substr(0, equals);
  const ParameterDescription* parameter = FindParameter(parameters, key);
  if (!parameter) return "no parameter \"" + key + "\"; the parameters are " + Names(parameters) + " (or their index)";
  const std::string valueText = text.substr(equals + 1);
  const std::vector<std::string> names = ValueNames(*parameter);
  double value = 0;
  if (!FindValueName(names, *parameter, valueText, &value) && !ParseNumber(valueText, &value)) {
    if (!names.empty())
      return "\"" + valueText + "\" is not one of " + parameter->name + "'s choices: " + Names(names) +
             " (or its number)";
    return "\"" + valueText + "\" is not a number (parameter " + parameter->name + ")";
  }
  // The unit takes single precision; a value too small for it is zero rather than a denormal.
  if (std::fabs(value) < FLT_MIN) value = 0;
  if (value < parameter->minValue || value > parameter->maxValue) {
    std::ostringstream message;
    message << parameter->name << " = " << value << " is out of range: " << parameter->name << " takes "
            << parameter->minValue << " to " << parameter->maxValue;
    if (!parameter->unitName.empty()) message << " " << parameter->unitName;
    return message.str();
  }
  *assignment = {parameter->id, static_cast<AudioUnitParameterValue>(value)};
  return {};
}

}  // namespace korval_host
