#pragma once
// Second-order recursive filter section designed by the bilinear transform. Coefficients and
// state are double precision; samples enter and leave as floats, so every section boundary in a
// chain rounds the signal to float.

enum BiquadType : int {
  kBiquadLowPass = 0,
  kBiquadHighPass = 1,
  kBiquadBandPass = 2,
  kBiquadNotch = 3,
  kBiquadPeak = 4,
  kBiquadLowShelf = 5,
  kBiquadHighShelf = 6,
};

struct BiquadCoefficients {
  double b0, b1, b2;  // feed-forward
  double a1, a2;      // feedback; a0 is 1
};

class Biquad {
 public:
  // A pass-through until a setter runs: the stored settings are not applied yet.
  Biquad() = default;
  // frequency is a fraction of the sample rate (0.5 is Nyquist); it is not clamped.
  Biquad(int type, double frequency, double q, double peakGainDb);

  void setType(int type);
  void setQ(double q);
  void setFc(double frequency);
  void setPeakGain(double peakGainDb);
  // Changes the design but keeps the state, so re-applying the same settings is seamless.
  void setBiquad(int type, double frequency, double q, double peakGainDb);
  // A type outside the known range leaves the coefficients as they are.
  void calcBiquad();
  // Forgets the signal heard so far; the design stays.
  void clearState() { mS1 = mS2 = 0.0; }

  // Transposed direct form II.
  float process(float input) {
    const double x = input;
    const double y = x * mB0 + mS1;
    mS1 = x * mB1 + mS2 - mA1 * y;
    mS2 = x * mB2 - mA2 * y;
    return static_cast<float>(y);
  }

  int type() const { return mType; }
  double frequency() const { return mFc; }
  double q() const { return mQ; }
  double peakGain() const { return mPeakGain; }
  BiquadCoefficients coefficients() const { return {mB0, mB1, mB2, mA1, mA2}; }

 private:
  int mType = kBiquadLowPass;
  double mB0 = 1.0, mB1 = 0.0, mB2 = 0.0, mA1 = 0.0, mA2 = 0.0;
  double mFc = 0.5;
  double mQ = 0.707;
  double mPeakGain = 0.0;
  double mS1 = 0.0, mS2 = 0.0;
};
