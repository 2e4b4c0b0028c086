#include "dsp/convo_direct.h"

#include "dsp/convo_cplxmul.h"

namespace brm_convo {

void DirectConvolveScalar(const float* taps, int count, const double* history, double* out, int len) {
  const int steps = count / 4 * 4;
  for (int j = 0; j < len; ++j) {
    const double* x = history + j;
    double sum = 0.0;
    int k = 0;
    for (; k < steps; k += 4) sum += taps[k] * x[k] + taps[k + 1] * x[k + 1] + taps[k + 2] * x[k + 2] + taps[k + 3] * x[k + 3];
    for (; k < count; ++k) sum += taps[k] * x[k];
    out[j] = sum;
  }
}

namespace {
// Starts on the scalar version (valid even during static initialisation) and is upgraded once
// at load time, so the audio path never tests the processor.
DirectFn g_direct = DirectConvolveScalar;
const bool g_chosen = (g_direct = CpuHasAvx2() ? DirectConvolveAvx2 : DirectConvolveScalar, true);
}  // namespace

DirectFn ActiveDirectConvolve() { return g_direct; }

}  // namespace brm_convo
