#pragma once
// The part of a block's spectral sum that needs only older input blocks (every product but the
// newest), computed a stretch at a time in the calls before the block is complete. The call that
// completes the block is then left with one forward transform, one product and one inverse
// transform, however many blocks the impulse has. Every bin receives its products in term order
// whatever the stretches, so the result does not depend on how the work was divided.
#include "base/heap_buf.h"
#include "dsp/convo_cplxmul.h"
#include "dsp/convo_mirror.h"

class BRM_CONVO_PendingSum {
 public:
  // Sized for sums of fft_size values of up to max_terms products; false without memory.
  bool Build(int fft_size, int max_terms);
  // Where the caller lists the products before Start.
  const BRM_FFT_COMPLEX** Inputs() { return m_inputs.Get(); }
  const BRM_CONVO_IMPULSEBUFCPLXf** Impulses() { return m_impulses.Get(); }
  // Begins the sum of the first terms products listed, for the block known by key. With mirror,
  // every operand is the spectrum of a real signal: only the source of each conjugate pair is
  // computed (see BRM_CONVO_MirroredSum), and the mirrors are written when the sum is finished.
  void Start(int key, int terms, const BRM_CONVO_MirroredSum* mirror);
  // Does the work up to the share done/whole of the whole sum, in steps of a sixty-fourth at least
  // (smaller ones stream the operands from memory less efficiently) except for the last.
  void StepTo(long long done, long long whole);
  // Completes the sum started for key and hands it over (all fft_size values), or returns null
  // when none was started for key. Either way nothing is pending afterwards.
  BRM_FFT_COMPLEX* Finish(int key);
  // As Finish, but a mirrored sum is handed over with its sources only: the mirror positions are
  // left as they were, for a reader that takes each pair from its source.
  BRM_FFT_COMPLEX* FinishSources(int key);
  void Drop() { m_key = -1; }
  // Products in the sum handed over last.
  int GetTerms() const { return m_terms; }
  // The block the sum in progress is for (-1: none), and whether it is computed mirrored.
  int GetKey() const { return m_key; }
  bool IsMirrored() const { return m_mirror != nullptr; }

 private:
  long long CountUnits() const;
  void Work(long long units);

  BRM_TypedBuf<double> m_sum;
  BRM_TypedBuf<const BRM_FFT_COMPLEX*> m_inputs;
  BRM_TypedBuf<const BRM_CONVO_IMPULSEBUFCPLXf*> m_impulses;
  int m_fft_size = 0;
  int m_key = -1;
  int m_terms = 0;
  // Runs of bins to compute (begin, end pairs), and the mirroring of a real signals' sum.
  const int* m_runs = nullptr;
  int m_run_ints = 0;
  const BRM_CONVO_MirroredSum* m_mirror = nullptr;
  int m_whole_run[2] = {0, 0};
  // Progress: the run and bin reached; units of work done.
  int m_run = 0;
  int m_bin = 0;
  long long m_done = 0;
  long long m_total = 0;
};
