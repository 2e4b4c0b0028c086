#include "dsp/stepped_work.h"

#include "dsp/fft.h"

namespace {

int Log2(int n) {
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  return bits;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

void BRM_SteppedWork::Clear() {
  m_count = 0;
  m_total = 0;
  m_running = false;
}

bool BRM_SteppedWork::Append(const Piece& piece) {
  if (m_count >= m_pieces.GetSize() && !m_pieces.Resize(m_count * 2 + 16)) return false;
  m_pieces.Get()[m_count++] = piece;
  m_total += piece.cost;
  return true;
}

bool BRM_SteppedWork::AddComplex(int slot, int size, int offset, int inverse, int leaf) {
  if (size <= leaf) return Append({kLeaf, slot, size, offset, 0, inverse, static_cast<long long>(size) * Log2(size)});
  // A pass sweeps the whole stretch at once, out of cache for the large ones.
  const Piece pass = {kPass, slot, size, offset, 0, inverse, 2LL * size};
  return (inverse || Append(pass)) && AddComplex(slot, size / 2, offset, inverse, leaf) &&
         AddComplex(slot, size / 4, offset + size / 2, inverse, leaf) &&
         AddComplex(slot, size / 4, offset + 3 * size / 4, inverse, leaf) && (!inverse || Append(pass));
}

bool BRM_SteppedWork::AddRealTransform(int slot, int len, int inverse, int leaf, int grain) {
  if (len < 64 || len > 32768 || !IsPowerOfTwo(len) || leaf < 32 || grain < 1 || slot < 0 || slot > 1) return false;
  const int steps = len / 4 + 1;
  auto addSteps = [&] {
    for (int first = 0; first < steps; first += grain) {
      const int end = first + grain < steps ? first + grain : steps;
      // Each step reaches two scattered positions of the spectrum.
      if (!Append({kRealStep, slot, len, first, end, inverse, 16LL * (end - first)})) return false;
    }
    return true;
  };
  return inverse ? addSteps() && AddComplex(slot, len / 2, 0, 1, leaf) : AddComplex(slot, len / 2, 0, 0, leaf) && addSteps();
}

bool BRM_SteppedWork::AddOwn(int id, int items, int grain, int cost) {
  if (items < 0 || grain < 1) return false;
  for (int first = 0; first < items; first += grain) {
    const int end = first + grain < items ? first + grain : items;
    if (!Append({kOwn, id, 0, first, end, 0, static_cast<long long>(cost) * (end - first)})) return false;
  }
  return true;
}

void BRM_SteppedWork::Start(double* slot0, double* slot1, OwnStep own, void* context) {
  m_slots[0] = slot0;
  m_slots[1] = slot1;
  m_own = own;
  m_context = context;
  m_next = 0;
  m_done = 0;
  m_running = m_count > 0;
}

void BRM_SteppedWork::Run(const Piece& piece) {
  double* buf = piece.kind == kOwn ? nullptr : m_slots[piece.which];
  auto* z = reinterpret_cast<BRM_FFT_COMPLEX*>(buf);
  switch (piece.kind) {
    case kPass: BRM_fft_pass(z + piece.begin, piece.size, piece.inverse); break;
    case kLeaf: BRM_fft(z + piece.begin, piece.size, piece.inverse); break;
    case kRealStep: BRM_real_fft_combine(buf, piece.size, piece.inverse, piece.begin, piece.end); break;
    case kOwn:
      if (m_own) m_own(m_context, piece.which, piece.begin, piece.end);
      break;
  }
}

void BRM_SteppedWork::StepTo(long long done, long long whole) {
  if (!m_running || whole <= 0) return;
  const long long target = done >= whole ? m_total : m_total * (done < 0 ? 0 : done) / whole;
  const Piece* pieces = m_pieces.Get();
  while (m_next < m_count && m_done < target) {
    const Piece& piece = pieces[m_next++];
    Run(piece);
    m_done += piece.cost;
  }
  if (m_next >= m_count) m_running = false;
}
