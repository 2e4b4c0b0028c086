// Our in-place double transforms against FFTW's (FFTW_MEASURE plans), sizes 64..32768: the
// complex forward transform, then the real forward transform. Batches of ours and of FFTW's
// alternate so that a loaded machine slows both alike; median nanoseconds per transform over the
// batches, and their ratio.
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "dsp/fft.h"

namespace {

constexpr int kBatches = 201;

// Enough transforms per batch that one batch lasts about 200 microseconds.
int TransformsPerBatch(int n) { return std::max(4, 400000 / n); }

double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

struct Medians {
  double ours, theirs;
};

template <typename Ours, typename Theirs>
Medians AlternatingMedians(int reps, Ours ours, Theirs theirs) {
  std::vector<double> ours_ns(kBatches), theirs_ns(kBatches);
  auto batch = [reps](auto &transform) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) transform();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / reps;
  };
  batch(ours);
  batch(theirs);
  for (int b = 0; b < kBatches; ++b) {
    ours_ns[b] = batch(ours);
    theirs_ns[b] = batch(theirs);
  }
  return {Median(ours_ns), Median(theirs_ns)};
}

// Repeated unscaled transforms grow the data; it is refilled before it can overflow.
void FillSignal(double *data, int count) {
  for (int i = 0; i < count; ++i) data[i] = ((i * 7919) % 1000) / 1000.0 - 0.5;
}

void Print(int n, Medians m) { std::printf("%8d %14.1f %14.1f %8.2f\n", n, m.ours, m.theirs, m.ours / m.theirs); }

void CompareComplex(int n) {
  fftw_complex *fftw_buf = fftw_alloc_complex(n);
  const fftw_plan plan = fftw_plan_dft_1d(n, fftw_buf, fftw_buf, FFTW_FORWARD, FFTW_MEASURE);
  FillSignal(fftw_buf[0], 2 * n);
  // Same alignment as FFTW's buffer so neither side is favoured by memory placement.
  auto *ours_buf = reinterpret_cast<BRM_FFT_COMPLEX *>(fftw_alloc_complex(n));
  FillSignal(&ours_buf[0].re, 2 * n);
  Print(n, AlternatingMedians(
               TransformsPerBatch(n),
               [&] {
                 BRM_fft(ours_buf, n, 0);
                 if (!(std::abs(ours_buf[0].re) < 1e200)) FillSignal(&ours_buf[0].re, 2 * n);
               },
               [&] {
                 fftw_execute(plan);
                 if (!(std::abs(fftw_buf[0][0]) < 1e200)) FillSignal(fftw_buf[0], 2 * n);
               }));
  fftw_free(ours_buf);
  fftw_destroy_plan(plan);
  fftw_free(fftw_buf);
}

// FFTW's in-place real transform needs two more doubles for the bin at n/2.
void CompareReal(int n) {
  double *fftw_buf = fftw_alloc_real(n + 2);
  const fftw_plan plan = fftw_plan_dft_r2c_1d(n, fftw_buf, reinterpret_cast<fftw_complex *>(fftw_buf), FFTW_MEASURE);
  FillSignal(fftw_buf, n);
  double *ours_buf = fftw_alloc_real(n);
  FillSignal(ours_buf, n);
  Print(n, AlternatingMedians(
               TransformsPerBatch(n),
               [&] {
                 BRM_real_fft(ours_buf, n, 0);
                 if (!(std::abs(ours_buf[0]) < 1e200)) FillSignal(ours_buf, n);
               },
               [&] {
                 fftw_execute(plan);
                 if (!(std::abs(fftw_buf[0]) < 1e200)) FillSignal(fftw_buf, n);
               }));
  fftw_free(ours_buf);
  fftw_destroy_plan(plan);
  fftw_free(fftw_buf);
}

}  // namespace

int main() {
  BRM_fft_init();
  const char *header = "%8s %14s %14s %8s\n";
  std::printf("complex forward\n");
  std::printf(header, "size", "ours ns", "fftw ns", "ratio");
  for (int n = 64; n <= 32768; n *= 2) CompareComplex(n);
  std::printf("\nreal forward\n");
  std::printf(header, "size", "ours ns", "fftw ns", "ratio");
  for (int n = 64; n <= 32768; n *= 2) CompareReal(n);
  std::fflush(stdout);
  return 0;
}
