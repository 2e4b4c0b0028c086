#include "dsp/fast_queue.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

bool BRM_FastQueue::BlockList::Push(BRM_FastQueueBlock* block) {
  const int n = Size();
  if (!m_list.Resize(n + 1)) return false;
  m_list.Get()[n] = block;
  return true;
}

BRM_FastQueueBlock* BRM_FastQueue::BlockList::PopBack() {
  const int n = Size();
  if (n == 0) return nullptr;
  BRM_FastQueueBlock* block = m_list.Get()[n - 1];
  m_list.Resize(n - 1);
  return block;
}

BRM_FastQueueBlock* BRM_FastQueue::BlockList::PopFront() {
  const int n = Size();
  if (n == 0) return nullptr;
  BRM_FastQueueBlock** list = m_list.Get();
  BRM_FastQueueBlock* block = list[0];
  std::memmove(list, list + 1, sizeof(*list) * (n - 1));
  m_list.Resize(n - 1);
  return block;
}

void BRM_FastQueue::BlockList::FreeAll() {
  for (int i = 0; i < Size(); ++i) std::free(At(i));
  m_list.Resize(0);
}

BRM_FastQueue::BRM_FastQueue(int blockSize, int maxCachedBlocks)
    : m_block_size(std::max(blockSize, 32)), m_max_cached(maxCachedBlocks) {}

BRM_FastQueue::~BRM_FastQueue() {
  m_blocks.FreeAll();
  m_cache.FreeAll();
}

BRM_FastQueueBlock* BRM_FastQueue::NewBlock(int capacity) {
  void* mem = std::malloc(sizeof(BRM_FastQueueBlock) + static_cast<size_t>(capacity));
  if (!mem) return nullptr;
  BRM_FastQueueBlock* block = static_cast<BRM_FastQueueBlock*>(mem);
  block->capacity = capacity;
  block->used = 0;
  return block;
}

BRM_FastQueueBlock* BRM_FastQueue::TakeBlock(int len) {
  if (BRM_FastQueueBlock* block = m_cache.PopBack()) {
    if (block->capacity >= len) {
      block->used = 0;
      return block;
    }
    std::free(block);
  }
  return NewBlock(std::max(m_block_size, len));
}

void* BRM_FastQueue::Add(const void* data, int len) {
  if (len < 1) return nullptr;
  BRM_FastQueueBlock* last = m_blocks.Size() ? m_blocks.At(m_blocks.Size() - 1) : nullptr;
  if (!last || last->capacity - last->used < len) {
    BRM_FastQueueBlock* block = TakeBlock(len);
    if (!block) return nullptr;
    if (!m_blocks.Push(block)) {
      std::free(block);
      return nullptr;
    }
    last = block;
  }
  unsigned char* dest = last->Data() + last->used;
  if (data)
    std::memcpy(dest, data, len);
  else
    std::memset(dest, 0, len);
  last->used += len;
  m_avail += len;
  return dest;
}

void BRM_FastQueue::Release(BRM_FastQueueBlock* block, int keep) {
  if ((keep < 0 || m_cache.Size() < keep) && m_cache.Push(block)) return;
  std::free(block);
}

void BRM_FastQueue::Advance(int len) {
  // Moving back or past the end would let readers see bytes that are not queued.
  len = std::min(len, m_avail);
  if (len <= 0) return;
  m_offset += len;
  m_avail -= len;
  while (m_blocks.Size() > 0 && m_offset >= m_blocks.At(0)->used) {
    BRM_FastQueueBlock* first = m_blocks.PopFront();
    m_offset -= first->used;
    Release(first, m_max_cached);
  }
  if (m_blocks.Size() == 0 || m_offset < 0) m_offset = 0;
}

int BRM_FastQueue::GetPtr(int offset, void** ptr) const {
  *ptr = nullptr;
  if (offset < 0 || offset >= m_avail) return 0;
  long long pos = static_cast<long long>(m_offset) + offset;
  for (int i = 0; i < m_blocks.Size(); ++i) {
    BRM_FastQueueBlock* block = m_blocks.At(i);
    if (pos < block->used) {
      *ptr = block->Data() + pos;
      return block->used - static_cast<int>(pos);
    }
    pos -= block->used;
  }
  return 0;
}

int BRM_FastQueue::GetToBuf(int offset, void* dest, int len) const {
  unsigned char* out = static_cast<unsigned char*>(dest);
  int copied = 0;
  while (copied < len) {
    void* src = nullptr;
    const int run = std::min(GetPtr(offset + copied, &src), len - copied);
    if (run <= 0) break;
    std::memcpy(out + copied, src, run);
    copied += run;
  }
  return copied;
}

void BRM_FastQueue::Clear(int keep) {
  if (keep < 0) keep = m_max_cached;
  while (BRM_FastQueueBlock* block = m_blocks.PopFront()) Release(block, keep);
  m_offset = 0;
  m_avail = 0;
}

bool BRM_FastQueue::ReserveBlocks(int count, int capacity) {
  if (m_max_cached >= 0) count = std::min(count, m_max_cached);
  if (!m_blocks.Reserve(m_blocks.Size() + m_cache.Size() + count) || !m_cache.Reserve(m_blocks.Size() + m_cache.Size() + count))
    return false;
  while (m_cache.Size() < count) {
    BRM_FastQueueBlock* block = NewBlock(std::max(m_block_size, capacity));
    if (!block) return false;
    m_cache.Push(block);
  }
  return true;
}
