#include "effect/resample.h"

#include <climits>
#include <cmath>

int ResampleLength(int sourceLength, double sourceRate, double destinationRate) {
  const double length = (destinationRate / sourceRate) * static_cast<double>(sourceLength) + 0.5;
  // Out-of-range values would make the conversion to int undefined.
  if (!(length >= 0.0) || length >= static_cast<double>(INT_MAX)) return 0;
  return static_cast<int>(length);
}

void Resample(const float* source, int sourceLength, double sourceRate, double* destination,
              int destinationLength, double destinationRate) {
  if (!destination || destinationLength <= 0) return;
  if (!source || sourceLength <= 0) sourceLength = 0;

  if (destinationLength == sourceLength) {
    for (int i = 0; i < destinationLength; ++i) destination[i] = source[i];
    return;
  }

  const double step = sourceRate / destinationRate;
  const bool usableStep = step > 0.0 && std::isfinite(step);
  double p = 0.0;
  int i = 0;
  // Comparing p before truncating keeps the conversion defined however far p has run.
  for (; usableStep && i < destinationLength && p < sourceLength; ++i) {
    const int j = static_cast<int>(p);
    const double f = p - std::floor(p);
    double s = (1.0 - f) * source[j];
    if (j + 1 < sourceLength) s = f * source[j + 1] + s;
    destination[i] = step * s;
    p = p + step;
  }
  for (; i < destinationLength; ++i) destination[i] = 0.0;
}
