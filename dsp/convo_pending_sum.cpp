#include "dsp/convo_pending_sum.h"

#include <algorithm>
#include <cstring>

bool BRM_CONVO_PendingSum::Build(int fft_size, int max_terms) {
  m_key = -1;
  m_fft_size = 0;
  if (fft_size < 2 || !m_sum.Resize(2 * fft_size) || !m_inputs.Resize(std::max(max_terms, 1)) ||
      !m_impulses.Resize(std::max(max_terms, 1)))
    return false;
  m_fft_size = fft_size;
  return true;
}

void BRM_CONVO_PendingSum::Start(int key, int terms, const BRM_CONVO_MirroredSum* mirror) {
  if (m_fft_size < 2 || terms > m_inputs.GetSize()) {
    m_key = -1;
    return;
  }
  m_key = key;
  m_terms = terms;
  if (mirror && mirror->GetFFTSize() == m_fft_size) {
    m_runs = mirror->Runs(&m_run_ints);
    m_mirror = mirror;
  } else {
    m_whole_run[1] = m_fft_size;
    m_runs = m_whole_run;
    m_run_ints = 2;
    m_mirror = nullptr;
  }
  m_run = m_bin = 0;
  m_done = 0;
  m_total = CountUnits();
}

// A bin costs one unit per product (one to clear it when there are none).
long long BRM_CONVO_PendingSum::CountUnits() const {
  long long bins = 0;
  for (int r = 0; r < m_run_ints; r += 2) bins += m_runs[r + 1] - m_runs[r];
  return bins * std::max(m_terms, 1);
}

void BRM_CONVO_PendingSum::StepTo(long long done, long long whole) {
  if (m_key < 0 || whole <= 0) return;
  constexpr long long kSteps = 64;
  const long long target = done >= whole ? m_total : m_total * std::max(done, 0LL) / whole;
  if (target >= m_total || target - m_done >= m_total / kSteps) Work(target - m_done);
}

void BRM_CONVO_PendingSum::Work(long long units) {
  BRM_FFT_COMPLEX* sum = reinterpret_cast<BRM_FFT_COMPLEX*>(m_sum.Get());
  const long long perBin = std::max(m_terms, 1);
  while (units > 0 && m_run < m_run_ints) {
    const int begin = std::max(m_bin, m_runs[m_run]), end = m_runs[m_run + 1];
    // Whole pairs of bins keep every stretch even, as the vector kernels want.
    long long bins = std::min<long long>(end - begin, (units + perBin - 1) / perBin);
    bins += bins & 1;
    const int to = begin + static_cast<int>(std::min<long long>(bins, end - begin));
    if (m_terms > 0)
      BRM_CONVO_CplxMulSum(sum, m_inputs.Get(), m_impulses.Get(), m_terms, begin, to);
    else
      std::memset(static_cast<void*>(sum + begin), 0, sizeof(BRM_FFT_COMPLEX) * (to - begin));
    units -= (to - begin) * perBin;
    m_done += (to - begin) * perBin;
    m_bin = to;
    if (to == end) m_run += 2;
  }
}

BRM_FFT_COMPLEX* BRM_CONVO_PendingSum::FinishSources(int key) {
  if (m_key < 0 || m_key != key) {
    m_key = -1;
    return nullptr;
  }
  Work(m_total - m_done);
  m_key = -1;
  return reinterpret_cast<BRM_FFT_COMPLEX*>(m_sum.Get());
}

BRM_FFT_COMPLEX* BRM_CONVO_PendingSum::Finish(int key) {
  const BRM_CONVO_MirroredSum* mirror = m_mirror;
  BRM_FFT_COMPLEX* sum = FinishSources(key);
  if (sum && mirror) mirror->Complete(sum);
  return sum;
}
