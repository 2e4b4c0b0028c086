#include "effect/irgen/ir_design.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "effect/impulse_response.h"

namespace {

// The design runs at half the stored rate; every value is then held for two stored samples.
constexpr double kDesignRate = kKorvalineIRSampleRate / 2.0;
constexpr int kDesignLength = kKorvalineIRLength / 2;
constexpr int kLastDesignSample = ImpulseTargets::kLastNonZero / 2;
constexpr int kHeadLength = 3;
constexpr double kSpeedOfSound = 343.0;
constexpr double kPi = 3.141592653589793;

struct Vec3 {
  double x, y, z;
};

double Distance(Vec3 a, Vec3 b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Position along one axis of the image of coordinate s after n reflections off the walls at 0 and
// length; odd n mirror the source.
double ImageCoordinate(int n, double length, double s) {
  return (n % 2 == 0) ? n * length + s : (n + 1) * length - s;
}

// Deterministic Gaussian noise (splitmix64 driving Box-Muller).
class GaussianNoise {
 public:
  explicit GaussianNoise(uint64_t seed) : mState(seed) {}
  double Next() {
    const double u1 = Uniform();
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
  }

 private:
  double Uniform() {  // in (0, 1]
    mState += 0x9E3779B97F4A7C15ull;
    uint64_t z = mState;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return (static_cast<double>(z >> 11) + 1.0) / 9007199254740992.0;
  }
  uint64_t mState;
};

double Energy(const std::vector<double>& v) {
  double e = 0.0;
  for (double x : v) e += x * x;
  return e;
}

void Scale(std::vector<double>& v, double gain) {
  for (double& x : v) x *= gain;
}

// Three-tap binomial smoothing in place: each wall bounce takes some of the highs.
void Smooth(std::vector<double>& v) {
  double previous = 0.0;
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    const double current = v[i];
    v[i] = 0.25 * previous + 0.5 * current + 0.25 * v[i + 1];
    previous = current;
  }
}

// Slow negative lobe after the direct pulse, the high-pass undershoot of a small driver: a gamma
// shape x * exp(-x) starting from zero just after the head.
std::vector<double> Undershoot() {
  const double timeConstant = 0.0027 * kDesignRate;
  std::vector<double> lobe(kDesignLength, 0.0);
  for (int k = kHeadLength; k <= kLastDesignSample; ++k) {
    const double x = (k - kHeadLength + 1) / timeConstant;
    lobe[k] = -x * std::exp(-x);
  }
  return lobe;
}

// Image-source early reflections of a 6.3 x 4.6 x 3.0 m room up to third order, arrival times
// relative to the direct sound, amplitude falling with distance and with each bounce.
std::vector<double> EarlyReflections() {
  const Vec3 room = {6.3, 4.6, 3.0};
  const Vec3 source = {2.1, 1.7, 1.2};
  const Vec3 mic = {2.8, 2.3, 1.3};
  const double reflectance = 0.78;
  const int maxOrder = 3;
  const double directDistance = Distance(source, mic);

  std::vector<std::vector<double>> byOrder(maxOrder + 1, std::vector<double>(kDesignLength, 0.0));
  for (int nx = -maxOrder; nx <= maxOrder; ++nx) {
    for (int ny = -maxOrder; ny <= maxOrder; ++ny) {
      for (int nz = -maxOrder; nz <= maxOrder; ++nz) {
        const int order = std::abs(nx) + std::abs(ny) + std::abs(nz);
        if (order == 0 || order > maxOrder) continue;
        const Vec3 image = {ImageCoordinate(nx, room.x, source.x), ImageCoordinate(ny, room.y, source.y),
                            ImageCoordinate(nz, room.z, source.z)};
        const double distance = Distance(image, mic);
        const double amplitude = directDistance / distance * std::pow(reflectance, order);
        // Aligned with the direct pulse's peak at design sample 1; split between two samples.
        const double position = 1.0 + (distance - directDistance) / kSpeedOfSound * kDesignRate;
        const int at = static_cast<int>(position);
        const double fraction = position - at;
        byOrder[order][at] += (1.0 - fraction) * amplitude;
        byOrder[order][at + 1] += fraction * amplitude;
      }
    }
  }
  std::vector<double> reflections(kDesignLength, 0.0);
  for (int order = 1; order <= maxOrder; ++order) {
    for (int pass = 0; pass < order; ++pass) Smooth(byOrder[order]);
    for (int k = 0; k < kDesignLength; ++k) reflections[k] += byOrder[order][k];
  }
  return reflections;
}

// Roughly pink noise (equal energy per octave) from white noise through three leaky integrators.
class PinkNoise {
 public:
  explicit PinkNoise(uint64_t seed) : mWhite(seed) {}
  double Next() {
    const double white = mWhite.Next();
    mSlow = 0.99765 * mSlow + 0.0990460 * white;
    mMid = 0.96300 * mMid + 0.2965164 * white;
    mFast = 0.57000 * mFast + 1.0526913 * white;
    return mSlow + mMid + mFast + 0.1848 * white;
  }

 private:
  GaussianNoise mWhite;
  double mSlow = 0.0, mMid = 0.0, mFast = 0.0;
};

// Splits a signal into the part below a corner (two cascaded one-pole low-passes, steep enough to
// keep the slowly decaying lows out of the upper bands) and the rest.
class BandSplit {
 public:
  explicit BandSplit(double cornerHz) : mPole(std::exp(-2.0 * kPi * cornerHz / kDesignRate)) {}
  double Low(double x) {
    mFirst = (1.0 - mPole) * x + mPole * mFirst;
    mSecond = (1.0 - mPole) * mFirst + mPole * mSecond;
    return mSecond;
  }

 private:
  double mPole;
  double mFirst = 0.0, mSecond = 0.0;
};

// Amplitude envelope that falls 60 dB over rt60 seconds.
double Decay(double t, double rt60) { return std::pow(10.0, -3.0 * t / rt60); }

// Diffuse tail: pink noise in three bands that die away at different rates, as air and soft
// surfaces absorb the highs sooner, fading in from 6 ms as the reflections grow dense.
std::vector<double> DiffuseTail() {
  const double onset = 0.006;
  const double buildUp = 0.015;
  const double lowRT60 = 2.2, midRT60 = 1.5, highRT60 = 0.7;
  const double highWeight = 0.7;

  PinkNoise noise(0x4B6F72316272ull);
  BandSplit rumble(40.0), lowSplit(500.0), midSplit(3000.0);
  std::vector<double> tail(kDesignLength, 0.0);
  for (int k = 0; k <= kLastDesignSample; ++k) {
    const double pink = noise.Next();
    const double x = pink - rumble.Low(pink);  // no room sustains infrasound
    const double low = lowSplit.Low(x);
    const double mid = midSplit.Low(x - low);
    const double high = x - low - mid;
    const double t = k / kDesignRate;
    if (t < onset) continue;
    const double fadeIn = 1.0 - std::exp(-(t - onset) / buildUp);
    tail[k] = fadeIn * (low * Decay(t, lowRT60) + mid * Decay(t, midRT60) + highWeight * high * Decay(t, highRT60));
  }
  return tail;
}

// Scales the undershoot by a and the room by b so that the whole response meets the target sum
// and energy: the sum fixes a for a given b, and the energy is then a quadratic in b.
void SolveGains(double targetSum, double targetEnergy, const std::vector<double>& lobe,
                const std::vector<double>& roomSound, double& a, double& b) {
  double sumL = 0.0, sumR = 0.0, LL = 0.0, LR = 0.0, RR = 0.0;
  for (int k = 0; k < kDesignLength; ++k) {
    sumL += lobe[k];
    sumR += roomSound[k];
    LL += lobe[k] * lobe[k];
    LR += lobe[k] * roomSound[k];
    RR += roomSound[k] * roomSound[k];
  }
  // a = c0 + c1 * b
  const double c0 = targetSum / sumL;
  const double c1 = -sumR / sumL;
  const double qa = c1 * c1 * LL + 2.0 * c1 * LR + RR;
  const double qb = 2.0 * c0 * c1 * LL + 2.0 * c0 * LR;
  const double qc = c0 * c0 * LL - targetEnergy;
  b = (-qb + std::sqrt(qb * qb - 4.0 * qa * qc)) / (2.0 * qa);
  a = c0 + c1 * b;
}

}  // namespace

std::vector<float> DesignKorvalineImpulse() {
  std::vector<double> reflections = EarlyReflections();
  std::vector<double> tail = DiffuseTail();
  // The diffuse tail carries twice the energy of the discrete reflections.
  Scale(reflections, 1.0 / std::sqrt(Energy(reflections)));
  Scale(tail, std::sqrt(2.0 / Energy(tail)));
  std::vector<double> roomSound(kDesignLength, 0.0);
  for (int k = kHeadLength; k <= kLastDesignSample; ++k) roomSound[k] = reflections[k] + tail[k];

  // Targets are for the stored table, where every design value appears twice.
  double headSum = 0.0, headEnergy = 0.0;
  for (float h : ImpulseTargets::kHead) {
    headSum += h;
    headEnergy += static_cast<double>(h) * h;
  }
  const std::vector<double> lobe = Undershoot();
  double a = 0.0, b = 0.0;
  SolveGains(ImpulseTargets::kSum / 2.0 - headSum, ImpulseTargets::kSumOfSquares / 2.0 - headEnergy,
             lobe, roomSound, a, b);

  std::vector<float> table(kKorvalineIRLength, 0.0f);
  for (int k = 0; k <= kLastDesignSample; ++k) {
    const double value = k < kHeadLength ? ImpulseTargets::kHead[k] : a * lobe[k] + b * roomSound[k];
    table[2 * k] = table[2 * k + 1] = static_cast<float>(value);
  }
  return table;
}
