// Prints figures that tell how the built-in impulse response sounds: level balance, decay times
// (overall and per octave band, from Schroeder backward integration) and the octave-band balance
// of the whole response and of its tail.
#include <cmath>
#include <cstdio>
#include <vector>

#include "dsp/biquad.h"
#include "effect/impulse_response.h"

namespace {

constexpr double kRate = kKorvalineIRSampleRate;

// Seconds at which the backward-integrated energy first falls the given number of dB below its
// start, or -1 if it never does.
double DecayCrossing(const std::vector<double>& edcDb, double dropDb) {
  for (size_t i = 0; i < edcDb.size(); ++i) {
    if (edcDb[i] <= -dropDb) return i / kRate;
  }
  return -1.0;
}

std::vector<double> EnergyDecayCurveDb(const std::vector<double>& h) {
  std::vector<double> edc(h.size());
  double remaining = 0.0;
  for (size_t i = h.size(); i-- > 0;) {
    remaining += h[i] * h[i];
    edc[i] = remaining;
  }
  const double total = edc[0];
  for (double& e : edc) e = 10.0 * std::log10(e / total + 1e-300);
  return edc;
}

// EDT from the whole response; T20 and T30 from the tail alone, since the strong direct sound
// would otherwise take up most of the first decibels.
void PrintDecay(const char* label, const std::vector<double>& h, size_t tailStart) {
  const double edt = 6.0 * DecayCrossing(EnergyDecayCurveDb(h), 10.0);
  const std::vector<double> tail(h.begin() + tailStart, h.end());
  const std::vector<double> edc = EnergyDecayCurveDb(tail);
  const double t20 = 3.0 * (DecayCrossing(edc, 25.0) - DecayCrossing(edc, 5.0));
  const double t30 = 2.0 * (DecayCrossing(edc, 35.0) - DecayCrossing(edc, 5.0));
  std::printf("  %-10s EDT %.2f s   tail T20 %.2f s   tail T30 %.2f s\n", label, edt, t20, t30);
}

double Energy(const std::vector<double>& h, size_t from) {
  double e = 0.0;
  for (size_t n = from; n < h.size(); ++n) e += h[n] * h[n];
  return e;
}

}  // namespace

int main() {
  int last = kKorvalineIRLength - 1;
  while (last > 0 && kKorvalineIR[last] == 0.0f) --last;
  std::vector<double> h(kKorvalineIR, kKorvalineIR + last + 1);

  const size_t directEnd = static_cast<size_t>(0.0025 * kRate);
  double direct = 0.0, rest = 0.0, sum = 0.0;
  for (size_t i = 0; i < h.size(); ++i) {
    (i < directEnd ? direct : rest) += h[i] * h[i];
    sum += h[i];
  }
  std::printf("impulse: %d samples at %.0f Hz, sound until %.3f s\n", kKorvalineIRLength, kRate, last / kRate);
  std::printf("  direct (first 2.5 ms) to reverberant energy: %.1f dB\n", 10.0 * std::log10(direct / rest));
  std::printf("  DC gain %.5f\n", sum);

  const size_t tailStart = static_cast<size_t>(0.05 * kRate);
  std::printf("decay (Schroeder integration) and octave-band energy relative to 1 kHz\n");
  std::printf("(whole response | tail after 50 ms):\n");
  PrintDecay("broadband", h, tailStart);
  const double octaves[] = {63.0, 125.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0, 16000.0};
  std::vector<std::vector<double>> bands;
  for (double centre : octaves) {
    Biquad band(kBiquadBandPass, centre / kRate, std::sqrt(2.0), 0.0);
    std::vector<double>& filtered = bands.emplace_back(h.size());
    for (size_t i = 0; i < h.size(); ++i) filtered[i] = band.process(static_cast<float>(h[i]));
  }
  const size_t reference = 4;  // 1 kHz
  const double refWhole = Energy(bands[reference], 0), refTail = Energy(bands[reference], tailStart);
  for (size_t b = 0; b < bands.size(); ++b) {
    char label[32];
    std::snprintf(label, sizeof label, "%.0f Hz", octaves[b]);
    PrintDecay(label, bands[b], tailStart);
    std::printf("             energy %+6.1f dB | %+6.1f dB\n", 10.0 * std::log10(Energy(bands[b], 0) / refWhole),
                10.0 * std::log10(Energy(bands[b], tailStart) / refTail));
  }
  return 0;
}
