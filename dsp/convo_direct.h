#pragma once
// Time-domain convolution kernel of the engine's direct mode:
//   out[j] = sum over k < count of taps[k] * history[j + k]
// with the taps stored reversed, summed in double four taps per step and the rest after. The
// AVX2 version computes four outputs side by side with exactly the scalar operations per output,
// so both give identical bits.
namespace brm_convo {

using DirectFn = void (*)(const float* taps, int count, const double* history, double* out, int len);

void DirectConvolveScalar(const float* taps, int count, const double* history, double* out, int len);
void DirectConvolveAvx2(const float* taps, int count, const double* history, double* out, int len);

// The version for this processor, chosen once at load time.
DirectFn ActiveDirectConvolve();

}  // namespace brm_convo
