#pragma once
// "--param NAME=VALUE" options: a parameter by name (any case) or index, a value in plain units or,
// for a list of choices, the text of one (any case).
#include <string>
#include <vector>

#include "host/unit/hosted_unit.h"

namespace korval_host {

struct ParameterAssignment {
  AudioUnitParameterID id;
  AudioUnitParameterValue value;
};

// Empty on success; otherwise a message naming the parameter and, for a value out of range, its range.
std::string ResolveParameterAssignment(const std::vector<ParameterDescription>& parameters, const std::string& text,
                                       ParameterAssignment* assignment);

// Whole-text decimal number; false for trailing characters, an empty text, a non-finite value or one
// beyond a double's range. One too small for a double is taken as what strtod makes of it.
bool ParseNumber(const std::string& text, double* value);
// Whole-text unsigned integer within [minimum, maximum].
bool ParseCount(const std::string& text, long minimum, long maximum, long* value);

}  // namespace korval_host
