#pragma once
// A growable byte FIFO in one contiguous block: readers get a plain pointer to everything queued.
// Consumed bytes stay in front until Compact moves the rest down, so appends rarely copy.
#include "base/heap_buf.h"

class BRM_Queue {
 public:
  BRM_Queue() : m_hb(4096) {}
  BRM_Queue(const BRM_Queue&) = delete;
  BRM_Queue& operator=(const BRM_Queue&) = delete;

  // Appends len bytes (copied from data, or left for the caller to fill when data is null).
  // Returns the new region, or null when len is negative or the buffer cannot grow.
  void* Add(const void* data, int len);
  // The first unread byte, or null when nothing is queued.
  void* Get() const;
  int Available() const { return m_hb.GetSize() - m_pos; }
  int GetSize() const { return Available(); }
  // Moves the read position; it never leaves the queued bytes.
  void Advance(int bytes);
  // Moves the unread bytes to the front once more than half the buffer is consumed (or always
  // when forced); shrinks the allocation only when asked.
  void Compact(bool allocdown = false, bool force = false);
  // Compact for a queue read in small steps and refilled in large ones: the unread bytes move
  // down only when they are few (an eighth of the consumed ones at most), or when the next
  // `append` bytes would not fit the allocation. So no large move is made halfway through a
  // refill, where it would fetch and write most of the buffer; a queue read to its end starts
  // again at the front on its next Add anyway.
  void CompactWhenCheap(int append);
  void Clear();
  // Ensures the buffer (consumed bytes included) can reach this size without another allocation.
  bool Reserve(int bytes);

 private:
  BRM_HeapBuf m_hb;
  int m_pos = 0;
};
