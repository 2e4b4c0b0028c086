#include "fuzz/param_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void RequireSaneState(const IFxBase& plug) {
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParam* param = plug.GetParam(i);
    double min = 0.0, max = 0.0;
    param->GetBounds(&min, &max);
    const double value = param->Value();
    if (!std::isfinite(value) || value < min || value > max) {
      std::fprintf(stderr, "parameter %d (%s) holds %g, outside %g..%g\n", i, param->GetNameForHost(), value, min, max);
      std::abort();
    }
  }
  // strlen runs off the end of an unterminated name, which AddressSanitizer reports.
  for (int i = 0; i < plug.NPresets(); ++i) {
    if (std::strlen(plug.GetPresetName(i)) > 255) {
      std::fprintf(stderr, "preset %d has a name of more than 255 characters\n", i);
      std::abort();
    }
  }
}
