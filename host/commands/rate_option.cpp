// The "--rate" option of the commands that compute at a sample rate of their own choosing.
#include "host/commands/commands.h"
#include "host/commands/parameter_assignment.h"

namespace korval_host {

int ParseRateOption(const std::string& text, int* rate) {
  long value = 0;
  if (!ParseCount(text, kLowestUnitRate, kHighestUnitRate, &value))
    return Fail(kExitBadInput, "--rate takes a whole number of Hz from " + std::to_string(kLowestUnitRate) + " to " +
                                   std::to_string(kHighestUnitRate) + ", got \"" + text + "\"");
  *rate = static_cast<int>(value);
  return kExitOk;
}

}  // namespace korval_host
