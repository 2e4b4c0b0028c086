#include "dsp/brm_queue.h"

#include <algorithm>
#include <cstring>

void* BRM_Queue::Add(const void* data, int len) {
  if (len < 0) return nullptr;
  if (m_pos >= m_hb.GetSize()) {
    m_pos = 0;
    m_hb.Resize(0);
  }
  const int oldSize = m_hb.GetSize();
  if (static_cast<long long>(oldSize) + len > 0x7fffffffLL) return nullptr;
  if (!m_hb.Resize(oldSize + len) && oldSize + len > 0) return nullptr;
  char* region = static_cast<char*>(m_hb.Get()) + oldSize;
  if (data && len) std::memcpy(region, data, len);
  return len ? region : nullptr;
}

void* BRM_Queue::Get() const {
  if (m_pos < 0 || m_pos >= m_hb.GetSize()) return nullptr;
  return static_cast<char*>(m_hb.Get()) + m_pos;
}

void BRM_Queue::Advance(int bytes) {
  long long pos = static_cast<long long>(m_pos) + bytes;
  if (pos < 0) pos = 0;
  if (pos > m_hb.GetSize()) pos = m_hb.GetSize();
  m_pos = static_cast<int>(pos);
}

void BRM_Queue::Compact(bool allocdown, bool force) {
  if (m_pos < 1) return;
  if (!force && m_pos <= m_hb.GetSize() / 2) return;
  const int remaining = m_hb.GetSize() - m_pos;
  if (remaining > 0) {
    char* buf = static_cast<char*>(m_hb.Get());
    std::memmove(buf, buf + m_pos, remaining);
  }
  m_pos = 0;
  m_hb.Resize(remaining, allocdown);
}

void BRM_Queue::CompactWhenCheap(int append) {
  if (m_pos < 1) return;
  const bool fits = static_cast<long long>(m_hb.GetSize()) + std::max(append, 0) <= m_hb.GetAllocated();
  if (Available() <= m_pos / 8 || !fits) Compact(false, true);
}

void BRM_Queue::Clear() {
  m_pos = 0;
  m_hb.Resize(0);
}

bool BRM_Queue::Reserve(int bytes) {
  if (bytes < 0) return false;
  return m_hb.Reserve(bytes);
}
