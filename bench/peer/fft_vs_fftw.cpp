// Our in-place complex double forward transform against FFTW's (FFTW_MEASURE plans), sizes
// 64..32768: median nanoseconds per transform over many timed batches, and their ratio.
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <vector>

#include "dsp/fft.h"

namespace {

constexpr int kBatches = 201;

// Enough transforms per batch that one batch lasts about 200 microseconds.
int TransformsPerBatch(int n) { return std::max(4, 400000 / n); }

template <typename Transform>
double MedianNanoseconds(int n, Transform transform) {
  const int reps = TransformsPerBatch(n);
  for (int i = 0; i < reps; ++i) transform();
  std::vector<double> per_transform(kBatches);
  for (double &t : per_transform) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) transform();
    const auto stop = std::chrono::steady_clock::now();
    t = std::chrono::duration<double, std::nano>(stop - start).count() / reps;
  }
  std::nth_element(per_transform.begin(), per_transform.begin() + kBatches / 2, per_transform.end());
  return per_transform[kBatches / 2];
}


// Repeated unscaled transforms grow the data; it is refilled before it can overflow.
void FillSignal(double *data, int n) {
  for (int i = 0; i < 2 * n; ++i) data[i] = ((i * 7919) % 1000) / 1000.0 - 0.5;
}

}  // namespace

int main() {
  BRM_fft_init();
  std::printf("%8s %14s %14s %8s\n", "size", "ours ns", "fftw ns", "ratio");
  for (int n = 64; n <= 32768; n *= 2) {
    fftw_complex *fftw_buf = fftw_alloc_complex(n);
    const fftw_plan plan = fftw_plan_dft_1d(n, fftw_buf, fftw_buf, FFTW_FORWARD, FFTW_MEASURE);
    FillSignal(reinterpret_cast<double *>(fftw_buf), n);
    const double theirs = MedianNanoseconds(n, [&] {
      fftw_execute(plan);
      if (!(std::abs(fftw_buf[0][0]) < 1e200)) FillSignal(reinterpret_cast<double *>(fftw_buf), n);
    });

    // Same alignment as FFTW's buffer so neither side is favoured by memory placement.
    auto *ours_buf = reinterpret_cast<BRM_FFT_COMPLEX *>(fftw_alloc_complex(n));
    FillSignal(&ours_buf[0].re, n);
    const double ours = MedianNanoseconds(n, [&] {
      BRM_fft(ours_buf, n, 0);
      if (!(std::abs(ours_buf[0].re) < 1e200)) FillSignal(&ours_buf[0].re, n);
    });

    std::printf("%8d %14.1f %14.1f %8.2f\n", n, ours, theirs, ours / theirs);
    std::fflush(stdout);
    fftw_free(ours_buf);
    fftw_destroy_plan(plan);
    fftw_free(fftw_buf);
  }
  return 0;
}
