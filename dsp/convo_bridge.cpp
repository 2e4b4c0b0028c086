#include "dsp/convo_bridge.h"

#include <cstring>

#include "dsp/fft.h"

namespace {

// acc += a * b in the real transform's layout: element 0 holds two real bins, the others one
// complex bin each.
void MultiplyAddHalf(double* acc, const double* a, const double* b, int len) {
  acc[0] += a[0] * b[0];
  acc[1] += a[1] * b[1];
  for (int i = 2; i < len; i += 2) {
    acc[i] += a[i] * b[i] - a[i + 1] * b[i + 1];
    acc[i + 1] += a[i] * b[i + 1] + a[i + 1] * b[i];
  }
}

}  // namespace

bool BRM_CONVO_Bridge::Build(const double* kernel, int block, int head) {
  m_block = m_head = 0;
  if (!kernel || head < 32 || block < head || block % head != 0 || (head & (head - 1)) != 0 || 2 * head > 32768)
    return false;
  const int len = 2 * head, chunks = block / head, n = 2 * block;
  if (!m_pieces.Resize(chunks * len) || !m_sum[0].Resize(len) || !m_sum[1].Resize(len) || !m_scratch.Resize(len))
    return false;
  // Output t of the block (t < head) takes input m through kernel[(t - m) mod n]; chunk c holds
  // m = c*head + i, so its piece is the kernel window ending just above -c*head, laid out for a
  // circular convolution of 2*head whose outputs head..2*head-1 are the wanted ones.
  const double scale = 1.0 / (4.0 * len);
  for (int c = 0; c < chunks; ++c) {
    double* piece = m_pieces.Get() + c * len;
    for (int j = 0; j < len; ++j) {
      const long long at = ((static_cast<long long>(j) - c * head - head) % n + n) % n;
      piece[j] = kernel[at] * scale;
    }
    BRM_real_fft(piece, len, 0);
  }
  m_block = block;
  m_head = head;
  m_added[0] = m_added[1] = 0;
  return true;
}

void BRM_CONVO_Bridge::AddChunk(int lane, const double* samples) {
  const int len = 2 * m_head;
  if (m_head == 0 || m_added[lane] >= GetChunks()) return;
  double* x = m_scratch.Get();
  std::memcpy(x, samples, sizeof(double) * m_head);
  std::memset(x + m_head, 0, sizeof(double) * m_head);
  BRM_real_fft(x, len, 0);
  double* sum = m_sum[lane].Get();
  if (m_added[lane] == 0) std::memset(sum, 0, sizeof(double) * len);
  MultiplyAddHalf(sum, x, m_pieces.Get() + m_added[lane] * len, len);
  ++m_added[lane];
}

void BRM_CONVO_Bridge::Output(int lane, double* out) {
  const int len = 2 * m_head;
  if (m_head == 0) return;
  if (m_added[lane] == 0) {
    std::memset(out, 0, sizeof(double) * m_head);
    return;
  }
  double* x = m_scratch.Get();
  std::memcpy(x, m_sum[lane].Get(), sizeof(double) * len);
  BRM_real_fft(x, len, 1);
  std::memcpy(out, x + m_head, sizeof(double) * m_head);
}
