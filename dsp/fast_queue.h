#pragma once
// A byte FIFO kept as a list of heap blocks: appending never moves data already queued, and
// blocks emptied by the reader are cached for reuse so that a steady stream stops allocating.
#include "base/heap_buf.h"

struct BRM_FastQueueBlock {
  int capacity;
  int used;
  unsigned char* Data() { return reinterpret_cast<unsigned char*>(this + 1); }
};

class BRM_FastQueue {
 public:
  // maxCachedBlocks < 0 keeps every emptied block.
  explicit BRM_FastQueue(int blockSize = 65536 - 64, int maxCachedBlocks = -1);
  ~BRM_FastQueue();
  BRM_FastQueue(const BRM_FastQueue&) = delete;
  BRM_FastQueue& operator=(const BRM_FastQueue&) = delete;

  // Appends len bytes contiguously (zeros when data is null). Returns where they landed, or null
  // when len < 1 or memory ran out (nothing is added then).
  void* Add(const void* data, int len);
  int Available() const { return m_avail; }
  // Points *ptr at the byte offset bytes past the read position and returns how many bytes are
  // contiguous there; 0 and null past the end.
  int GetPtr(int offset, void** ptr) const;
  // Copies up to len bytes starting offset bytes past the read position; returns the count copied.
  int GetToBuf(int offset, void* dest, int len) const;
  void Advance(int len);
  // Empties the queue; up to keep blocks go to the cache (keep < 0: the queue's own limit).
  void Clear(int keep = -1);
  // Fills the cache with blocks of at least capacity bytes until it holds count of them (and
  // makes room to list them all), so that later appends need no memory.
  bool ReserveBlocks(int count, int capacity);
  int GetBlockSize() const { return m_block_size; }

 private:
  // A list of block pointers whose room, once grown, is kept.
  class BlockList {
   public:
    int Size() const { return m_list.GetSize(); }
    BRM_FastQueueBlock* At(int i) const { return m_list.Get()[i]; }
    bool Reserve(int n) { return m_list.Reserve(n); }
    bool Push(BRM_FastQueueBlock* block);
    BRM_FastQueueBlock* PopBack();
    BRM_FastQueueBlock* PopFront();
    void FreeAll();

   private:
    BRM_TypedBuf<BRM_FastQueueBlock*> m_list{64};
  };

  BRM_FastQueueBlock* NewBlock(int capacity);
  BRM_FastQueueBlock* TakeBlock(int len);
  void Release(BRM_FastQueueBlock* block, int keep);

  BlockList m_blocks;
  BlockList m_cache;
  int m_block_size;
  int m_max_cached;
  int m_offset = 0;
  int m_avail = 0;
};
