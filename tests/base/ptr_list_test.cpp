#include <gtest/gtest.h>

#include "base/ptr_list.h"

TEST(PtrList, InsertDeleteFindAndOwnership) {
  struct Item {
    int* deleted;
    ~Item() { ++*deleted; }
  };
  int deleted = 0;
  BRM_PtrList<Item> list;
  Item* a = list.Add(new Item{&deleted});
  Item* b = list.Add(new Item{&deleted});
  Item* c = list.Insert(0, new Item{&deleted});
  EXPECT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(0), c);
  EXPECT_EQ(list.Find(b), 2);
  EXPECT_EQ(list.Get(3), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  list.Delete(1);  // not owned: a survives
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(list.Find(a), -1);
  delete a;
  list.Delete(7, true);
  EXPECT_EQ(deleted, 1);
  list.Empty(true);
  EXPECT_EQ(deleted, 3);
  EXPECT_EQ(list.GetSize(), 0);
}
