#include "dsp/biquad.h"

#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;
}

Biquad::Biquad(int type, double frequency, double q, double peakGainDb) {
  setBiquad(type, frequency, q, peakGainDb);
}

void Biquad::setType(int type) {
  mType = type;
  calcBiquad();
}

void Biquad::setQ(double q) {
  mQ = q;
  calcBiquad();
}

void Biquad::setFc(double frequency) {
  mFc = frequency;
  calcBiquad();
}

void Biquad::setPeakGain(double peakGainDb) {
  mPeakGain = peakGainDb;
  calcBiquad();
}

void Biquad::setBiquad(int type, double frequency, double q, double peakGainDb) {
  mType = type;
  mQ = q;
  mFc = frequency;
  setPeakGain(peakGainDb);
}

// The expressions keep a fixed evaluation order (K*K as one factor, norm applied last) so that
// results are reproducible bit for bit across builds.
void Biquad::calcBiquad() {
  const double V = std::pow(10.0, std::fabs(mPeakGain) / 20.0);
  const double K = std::tan(kPi * mFc);
  const double KK = K * K;
  const double sqrt2 = std::sqrt(2.0);
  const double sqrt2V = std::sqrt(2.0 * V);
  const bool boost = mPeakGain >= 0.0;
  double norm;

  switch (mType) {
    case kBiquadLowPass:
      norm = 1.0 / (1.0 + K / mQ + KK);
      mB0 = KK * norm;
      mB1 = 2.0 * mB0;
      mB2 = mB0;
      mA1 = 2.0 * (KK - 1.0) * norm;
      mA2 = (1.0 - K / mQ + KK) * norm;
      break;
    case kBiquadHighPass:
      norm = 1.0 / (1.0 + K / mQ + KK);
      mB0 = 1.0 * norm;
      mB1 = -2.0 * mB0;
      mB2 = mB0;
      mA1 = 2.0 * (KK - 1.0) * norm;
      mA2 = (1.0 - K / mQ + KK) * norm;
      break;
    case kBiquadBandPass:
      norm = 1.0 / (1.0 + K / mQ + KK);
      mB0 = K / mQ * norm;
      mB1 = 0.0;
      mB2 = -mB0;
      mA1 = 2.0 * (KK - 1.0) * norm;
      mA2 = (1.0 - K / mQ + KK) * norm;
      break;
    case kBiquadNotch:
      norm = 1.0 / (1.0 + K / mQ + KK);
      mB0 = (1.0 + KK) * norm;
      mB1 = 2.0 * (KK - 1.0) * norm;
      mB2 = mB0;
      mA1 = mB1;
      mA2 = (1.0 - K / mQ + KK) * norm;
      break;
    case kBiquadPeak: {
      const double KoverQ = 1.0 / mQ * K;
      const double VKoverQ = V / mQ * K;
      if (boost) {
        norm = 1.0 / (1.0 + KoverQ + KK);
        mB0 = (1.0 + VKoverQ + KK) * norm;
        mB1 = 2.0 * (KK - 1.0) * norm;
        mB2 = (1.0 - VKoverQ + KK) * norm;
        mA1 = mB1;
        mA2 = (1.0 - KoverQ + KK) * norm;
      } else {
        norm = 1.0 / (1.0 + VKoverQ + KK);
        mB0 = (1.0 + KoverQ + KK) * norm;
        mB1 = 2.0 * (KK - 1.0) * norm;
        mB2 = (1.0 - KoverQ + KK) * norm;
        mA1 = mB1;
        mA2 = (1.0 - VKoverQ + KK) * norm;
      }
      break;
    }
    case kBiquadLowShelf:
      if (boost) {
        norm = 1.0 / (1.0 + sqrt2 * K + KK);
        mB0 = (1.0 + sqrt2V * K + V * KK) * norm;
        mB1 = 2.0 * (V * KK - 1.0) * norm;
        mB2 = (1.0 - sqrt2V * K + V * KK) * norm;
        mA1 = 2.0 * (KK - 1.0) * norm;
        mA2 = (1.0 - sqrt2 * K + KK) * norm;
      } else {
        norm = 1.0 / (1.0 + sqrt2V * K + V * KK);
        mB0 = (1.0 + sqrt2 * K + KK) * norm;
        mB1 = 2.0 * (KK - 1.0) * norm;
        mB2 = (1.0 - sqrt2 * K + KK) * norm;
        mA1 = 2.0 * (V * KK - 1.0) * norm;
        mA2 = (1.0 - sqrt2V * K + V * KK) * norm;
      }
      break;
    case kBiquadHighShelf:
      if (boost) {
        norm = 1.0 / (1.0 + sqrt2 * K + KK);
        mB0 = (V + sqrt2V * K + KK) * norm;
        mB1 = 2.0 * (KK - V) * norm;
        mB2 = (V - sqrt2V * K + KK) * norm;
        mA1 = 2.0 * (KK - 1.0) * norm;
        mA2 = (1.0 - sqrt2 * K + KK) * norm;
      } else {
        norm = 1.0 / (V + sqrt2V * K + KK);
        mB0 = (1.0 + sqrt2 * K + KK) * norm;
        mB1 = 2.0 * (KK - 1.0) * norm;
        mB2 = (1.0 - sqrt2 * K + KK) * norm;
        mA1 = 2.0 * (KK - V) * norm;
        mA2 = (V - sqrt2V * K + KK) * norm;
      }
      break;
    default:
      break;
  }
}
