#include "dsp/fft_stepped.h"

#include "dsp/fft.h"

namespace {

int Log2(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

// Pieces a transform of size complex values splits into down to leaves of at most leaf.
int CountPieces(int size, int leaf) {
  if (size <= leaf) return 1;
  return 1 + CountPieces(size / 2, leaf) + 2 * CountPieces(size / 4, leaf);
}

}  // namespace

bool BRM_SteppedRealFFT::Build(int len, int leaf) {
  m_len = 0;
  m_buf = nullptr;
  if (len < 64 || len > 32768 || (len & (len - 1)) != 0 || leaf < 32) return false;
  m_leaf = leaf;
  const int pieces = CountPieces(len / 2, leaf) + 1;
  for (int dir = 0; dir < 2; ++dir) {
    if (!m_pieces[dir].Resize(pieces)) return false;
    int count = 0;
    if (dir == 1) m_pieces[dir].Get()[count++] = {kCombine, len, 0, len / 2};
    AddPieces(m_pieces[dir], count, len / 2, 0, dir == 1);
    if (dir == 0) m_pieces[dir].Get()[count++] = {kCombine, len, 0, len / 2};
    m_count[dir] = count;
    m_total[dir] = 0;
    for (int i = 0; i < count; ++i) m_total[dir] += m_pieces[dir].Get()[i].cost;
  }
  m_len = len;
  return true;
}

void BRM_SteppedRealFFT::AddPieces(BRM_TypedBuf<Piece>& list, int& count, int size, int offset, bool inverse) const {
  Piece* p = list.Get();
  if (size <= m_leaf) {
    p[count++] = {kLeaf, size, offset, static_cast<long long>(size) * Log2(size)};
    return;
  }
  const Piece pass = {kPass, size, offset, size};
  if (!inverse) p[count++] = pass;
  AddPieces(list, count, size / 2, offset, inverse);
  AddPieces(list, count, size / 4, offset + size / 2, inverse);
  AddPieces(list, count, size / 4, offset + 3 * size / 4, inverse);
  if (inverse) p[count++] = pass;
}

void BRM_SteppedRealFFT::Start(double* buf, int inverse) {
  if (m_len == 0) return;
  m_buf = buf;
  m_dir = inverse ? 1 : 0;
  m_next = 0;
  m_done = 0;
}

void BRM_SteppedRealFFT::StepTo(long long done, long long whole) {
  if (!m_buf || whole <= 0) return;
  const long long total = m_total[m_dir];
  const long long target = done >= whole ? total : total * (done < 0 ? 0 : done) / whole;
  auto* z = reinterpret_cast<BRM_FFT_COMPLEX*>(m_buf);
  const Piece* pieces = m_pieces[m_dir].Get();
  while (m_next < m_count[m_dir] && m_done < target) {
    const Piece& piece = pieces[m_next++];
    switch (piece.kind) {
      case kPass: BRM_fft_pass(z + piece.offset, piece.size, m_dir); break;
      case kLeaf: BRM_fft(z + piece.offset, piece.size, m_dir); break;
      case kCombine: BRM_real_fft_combine(m_buf, piece.size, m_dir); break;
    }
    m_done += piece.cost;
  }
  if (m_next >= m_count[m_dir]) m_buf = nullptr;
}
