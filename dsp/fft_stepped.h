#pragma once
// A real transform done a piece at a time, so that a long one can be spread over several audio
// calls. The pieces are the split-radix recursion's own passes and sub-transforms, in its order,
// so the result is bit for bit that of BRM_real_fft.
#include "base/heap_buf.h"

class BRM_SteppedRealFFT {
 public:
  // Prepares both directions for len doubles (64..32768), sub-transforms of at most leaf complex
  // values being done whole. False for another length or without memory.
  bool Build(int len, int leaf = 1024);
  int GetLength() const { return m_len; }
  // Begins a transform of buf (len doubles, kept by the caller until it is finished).
  void Start(double* buf, int inverse);
  // Does the work up to the share done/whole of the whole transform (all of it when done >= whole).
  void StepTo(long long done, long long whole);
  void Finish() { StepTo(1, 1); }
  bool Busy() const { return m_buf != nullptr; }

 private:
  enum Kind : int { kPass, kLeaf, kCombine };
  struct Piece {
    Kind kind;
    int size;
    int offset;
    long long cost;
  };
  void AddPieces(BRM_TypedBuf<Piece>& list, int& count, int size, int offset, bool inverse) const;

  BRM_TypedBuf<Piece> m_pieces[2];
  int m_count[2] = {0, 0};
  long long m_total[2] = {0, 0};
  int m_len = 0;
  int m_leaf = 0;
  double* m_buf = nullptr;
  int m_dir = 0;
  int m_next = 0;
  long long m_done = 0;
};
