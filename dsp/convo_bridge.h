#pragma once
// The first outputs of a block's newest product, ready in the call that completes the block.
// An engine whose block output is due as soon as the block is complete would otherwise have to
// do a whole forward and inverse transform in that one call. Here the product's circular kernel
// (its inverse-transformed impulse spectrum) is cut into short pieces, each input chunk is
// transformed and multiplied as soon as it is queued, and the call completing the block is left
// with the last chunk's small transforms. The large transforms then follow over later calls, in
// time for the outputs after the bridged ones.
#include "base/heap_buf.h"

class BRM_CONVO_Bridge {
 public:
  // kernel: the 2*block values that one block's product goes through circularly; head: the
  // outputs bridged at the start of each block (a power of two of at least 32 dividing block).
  // False for other sizes or without memory.
  bool Build(const double* kernel, int block, int head);
  int GetHead() const { return m_head; }
  int GetChunks() const { return m_head > 0 ? m_block / m_head : 0; }

  // Lane 0 or 1 (a channel): starts a new block.
  void Begin(int lane) { m_added[lane] = 0; }
  int ChunksAdded(int lane) const { return m_added[lane]; }
  // Adds the next head input samples of the lane's block.
  void AddChunk(int lane, const double* samples);
  // out[0..head) = the first head outputs of the lane's block through the kernel, once every
  // chunk is added.
  void Output(int lane, double* out);

 private:
  // Chunk c's kernel piece as a real transform, scaled so that a product with a chunk's
  // transform inverse-transforms to the circular convolution.
  BRM_TypedBuf<double> m_pieces;
  BRM_TypedBuf<double> m_sum[2];
  BRM_TypedBuf<double> m_scratch;
  int m_added[2] = {0, 0};
  int m_block = 0;
  int m_head = 0;
};
