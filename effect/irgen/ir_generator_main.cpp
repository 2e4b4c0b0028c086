// Build-time generator of the effect's impulse response. Writes the table as raw little-endian
// 32-bit floats to the path given, after checking the design's fixed figures; a design that misses
// any of them fails the build instead of shipping.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "effect/impulse_response.h"
#include "effect/irgen/ir_design.h"

namespace {

bool RoundsTo(double value, double expected, double scale) {
  return std::llround(value * scale) == std::llround(expected * scale);
}

const char* FirstViolation(const std::vector<float>& ir) {
  if (ir.size() != static_cast<size_t>(kKorvalineIRLength)) return "length";
  double sum = 0.0, sumOfSquares = 0.0;
  for (size_t i = 0; i < ir.size(); ++i) {
    if (!std::isfinite(ir[i])) return "finite samples";
    if (i % 2 == 1 && ir[i] != ir[i - 1]) return "equal adjacent pairs";
    sum += ir[i];
    sumOfSquares += static_cast<double>(ir[i]) * ir[i];
  }
  for (int k = 0; k < 3; ++k) {
    if (!RoundsTo(ir[2 * k], ImpulseTargets::kHead[k], 1e4)) return "first values";
  }
  const float peak = std::fabs(ir[2]);
  for (size_t i = 0; i < ir.size(); ++i) {
    if (i != 2 && i != 3 && !(std::fabs(ir[i]) < peak)) return "single largest magnitude";
  }
  if (ir[ImpulseTargets::kLastNonZero] == 0.0f) return "last non-zero sample";
  for (size_t i = ImpulseTargets::kLastNonZero + 1; i < ir.size(); ++i) {
    if (ir[i] != 0.0f || std::signbit(ir[i])) return "silent end";
  }
  if (!RoundsTo(sum, ImpulseTargets::kSum, 1e5)) return "sum";
  if (!RoundsTo(sumOfSquares, ImpulseTargets::kSumOfSquares, 1e5)) return "sum of squares";
  return nullptr;
}

bool WriteLittleEndian(const std::vector<float>& ir, const char* path) {
  std::vector<unsigned char> bytes;
  bytes.reserve(ir.size() * 4);
  for (float sample : ir) {
    const uint32_t bits = std::bit_cast<uint32_t>(sample);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(bits >> shift));
  }
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.bin\n", argv[0]);
    return 2;
  }
  const std::vector<float> ir = DesignKorvalineImpulse();
  if (const char* violation = FirstViolation(ir)) {
    std::fprintf(stderr, "impulse design misses its target: %s\n", violation);
    return 1;
  }
  if (!WriteLittleEndian(ir, argv[1])) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
