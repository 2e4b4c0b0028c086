#pragma once
// Ordered list of pointers. The owner decides whether the list owns its items: deleting an
// entry or emptying the list deletes the items only when asked to.
#include "base/heap_buf.h"

template <class T>
class BRM_PtrList {
 public:
  BRM_PtrList() : mBuf(64) {}
  BRM_PtrList(const BRM_PtrList&) = delete;
  BRM_PtrList& operator=(const BRM_PtrList&) = delete;

  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T*)); }
  T** GetList() const { return static_cast<T**>(mBuf.Get()); }
  // Null when idx is out of range.
  T* Get(int idx) const { return idx >= 0 && idx < GetSize() ? GetList()[idx] : nullptr; }

  // Returns item, or null if the list could not grow.
  T* Add(T* item) { return Insert(GetSize(), item); }
  // Positions outside 0..size append.
  T* Insert(int idx, T* item) {
    int n = GetSize();
    if (idx < 0 || idx > n) idx = n;
    if (!mBuf.Resize((n + 1) * static_cast<int>(sizeof(T*)))) return nullptr;
    T** list = GetList();
    for (int i = n; i > idx; --i) list[i] = list[i - 1];
    list[idx] = item;
    return item;
  }
  void Delete(int idx, bool wantDelete = false) {
    int n = GetSize();
    if (idx < 0 || idx >= n) return;
    T** list = GetList();
    T* item = list[idx];
    for (int i = idx; i < n - 1; ++i) list[i] = list[i + 1];
    mBuf.Resize((n - 1) * static_cast<int>(sizeof(T*)));
    if (wantDelete) delete item;
  }
  // Index of item, or -1.
  int Find(const T* item) const {
    for (int i = 0; i < GetSize(); ++i)
      if (GetList()[i] == item) return i;
    return -1;
  }
  void Empty(bool wantDelete = false) {
    if (wantDelete)
      while (GetSize()) Delete(GetSize() - 1, true);
    mBuf.Resize(0);
  }

 private:
  BRM_HeapBuf mBuf;
};
