#pragma once
// A fixed sequence of work done a piece at a time, so that work too long for one audio call can
// be spread over several: real transforms, cut along the split-radix recursion's own passes and
// sub-transforms and along the independent steps of the real transform's own step (so each gives
// the bits of BRM_real_fft), and ranges of the owner's own items. The pieces are laid out once;
// running them allocates nothing.
#include "base/heap_buf.h"

class BRM_SteppedWork {
 public:
  // Does items begin..end-1 of the owner's piece of work id.
  using OwnStep = void (*)(void* context, int id, int begin, int end);

  void Clear();
  // Appends a real transform of len doubles (64..32768) of buffer slot (0 or 1); sub-transforms of
  // at most leaf complex values are done whole, the real step in ranges of grain. False for other
  // sizes or without memory.
  bool AddRealTransform(int slot, int len, int inverse, int leaf = 1024, int grain = 2048);
  // Appends the owner's work id over items 0..items-1, in ranges of at most grain items, each item
  // costing cost units (one unit: about one complex value touched by a transform pass).
  bool AddOwn(int id, int items, int grain, int cost);
  long long GetCost() const { return m_total; }

  // Begins the sequence on these buffers (kept by the caller until it is finished).
  void Start(double* slot0, double* slot1, OwnStep own, void* context);
  // Does the work up to the share done/whole of the whole (all of it when done >= whole).
  void StepTo(long long done, long long whole);
  void Finish() { StepTo(1, 1); }
  bool Busy() const { return m_running; }

 private:
  enum Kind : int { kPass, kLeaf, kRealStep, kOwn };
  struct Piece {
    Kind kind;
    // The buffer slot (transforms) or the owner's id.
    int which;
    // Transform length (passes, leaves, real steps); the offset in complex values or the first item.
    int size;
    int begin;
    int end;
    int inverse;
    long long cost;
  };
  bool Append(const Piece& piece);
  bool AddComplex(int slot, int size, int offset, int inverse, int leaf);
  void Run(const Piece& piece);

  BRM_TypedBuf<Piece> m_pieces;
  int m_count = 0;
  long long m_total = 0;
  double* m_slots[2] = {nullptr, nullptr};
  OwnStep m_own = nullptr;
  void* m_context = nullptr;
  bool m_running = false;
  int m_next = 0;
  long long m_done = 0;
};
