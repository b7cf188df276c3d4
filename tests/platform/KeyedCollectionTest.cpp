#include "platform/KeyedCollection.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using platform::KeyedCollection;
using platform::RuntimeError;

namespace {

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace

TEST(KeyedCollection, PositionsKeysAndRemoval) {
  KeyedCollection<int> c;
  for (int i = 1; i <= 5; ++i) c.Add(std::make_unique<int>(i * 10), std::to_string(i));
  EXPECT_EQ(c.Count(), 5);
  EXPECT_EQ(c.Item(1), 10);
  EXPECT_EQ(c.Item(5), 50);
  EXPECT_EQ(c.Item("3"), 30);
  EXPECT_EQ(ErrorOf([&] { c.Item(0); }), 9);
  EXPECT_EQ(ErrorOf([&] { c.Item(6); }), 9);
  EXPECT_EQ(ErrorOf([&] { c.Item("6"); }), 5);
  EXPECT_NE(ErrorOf([&] { c.Add(std::make_unique<int>(0), "2"); }), 0);
  EXPECT_EQ(c.Count(), 5);  // a duplicate key adds nothing

  c.Remove(2);
  EXPECT_EQ(c.Count(), 4);
  EXPECT_EQ(c.Item(2), 30);  // later items move up
  EXPECT_FALSE(c.Contains("2"));
  c.Remove("5");
  EXPECT_EQ(c.Count(), 3);
  EXPECT_NE(ErrorOf([&] { c.Remove("5"); }), 0);
  c.Add(std::make_unique<int>(99), "2");  // a removed key can be used again
  std::vector<int> seen;
  for (int v : c) seen.push_back(v);
  EXPECT_EQ(seen, (std::vector<int>{10, 30, 40, 99}));
}

TEST(KeyedCollection, ItemsWithoutKeyAreReachedByPosition) {
  KeyedCollection<int> c;
  c.Add(std::make_unique<int>(1));
  c.Add(std::make_unique<int>(2), "");
  c.Add(std::make_unique<int>(3), "k");
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(c.Item(2), 2);
  EXPECT_EQ(c.Item("k"), 3);
  EXPECT_FALSE(c.Contains(""));
  c.Remove(1);
  EXPECT_EQ(c.Item(1), 2);
  EXPECT_EQ(c.Item("k"), 3);
}

TEST(KeyedCollection, ItemsKeepTheirAddressesAsTheCollectionGrowsAndShrinks) {
  KeyedCollection<std::string> c;
  std::string& first = c.Add(std::make_unique<std::string>("first"), "1");
  std::string* third = nullptr;
  for (int i = 2; i <= 1000; ++i) {
    std::string& s = c.Add(std::make_unique<std::string>("item"), std::to_string(i));
    if (i == 3) third = &s;
  }
  EXPECT_EQ(&c.Item(1), &first);
  EXPECT_EQ(&c.Item("3"), third);
  c.Remove(2);
  EXPECT_EQ(&c.Item("3"), third);
  EXPECT_EQ(&c.Item(2), third);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
  EXPECT_TRUE(c.begin() == c.end());
}
