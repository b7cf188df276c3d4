#pragma once
// An ordered collection of owned items, reached by 1-based position or by a
// text key. Items live at stable addresses for as long as they are in the
// collection, because elements hold references to their nodes.
#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/RuntimeError.h"

namespace platform {

template <typename T>
class KeyedCollection {
 public:
  KeyedCollection() = default;
  KeyedCollection(const KeyedCollection&) = delete;
  KeyedCollection& operator=(const KeyedCollection&) = delete;
  KeyedCollection(KeyedCollection&&) noexcept = default;
  KeyedCollection& operator=(KeyedCollection&&) noexcept = default;

  // Appends the item under the key, or without a key when it is empty;
  // raises 457 when the key is taken.
  T& Add(std::unique_ptr<T> item, const std::string& key = {}) {
    if (!item) Raise(kErrInvalidCall);
    RequireFreeKey(key);
    T& ref = *item;
    items_.push_back(Entry{std::move(item), key});
    if (!key.empty()) byKey_.emplace(key, &ref);
    return ref;
  }

  long Count() const { return static_cast<long>(items_.size()); }
  bool empty() const { return items_.empty(); }

  // By 1-based position; raises 9 outside 1..Count.
  T& Item(long position) const {
    if (position < 1 || position > Count()) Raise(kErrSubscript);
    return *items_[static_cast<std::size_t>(position - 1)].item;
  }
  // By key; raises 5 when no item has the key.
  T& Item(const std::string& key) const {
    auto it = byKey_.find(key);
    if (it == byKey_.end()) Raise(kErrInvalidCall);
    return *it->second;
  }
  T* Find(const std::string& key) const {
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : it->second;
  }
  bool Contains(const std::string& key) const { return byKey_.count(key) != 0; }
  // Raises 457, the duplicate-key error, when an item has the key.
  void RequireFreeKey(const std::string& key) const {
    if (Contains(key)) Raise(kErrDuplicateKey);
  }
  // Raises 457 when any of the keys "1" to "count" is taken: a generator that
  // adds under those keys checks them all first, so that a refusal adds nothing.
  void RequireFreeNumberKeys(std::size_t count) const {
    for (std::size_t n = 1; n <= count; ++n) RequireFreeKey(std::to_string(n));
  }

  void Remove(long position) {
    if (position < 1 || position > Count()) Raise(kErrSubscript);
    auto at = items_.begin() + (position - 1);
    if (!at->key.empty()) byKey_.erase(at->key);
    items_.erase(at);
  }
  void Remove(const std::string& key) {
    if (key.empty()) Raise(kErrInvalidCall);
    for (long i = 0; i < Count(); ++i)
      if (items_[static_cast<std::size_t>(i)].key == key) return Remove(i + 1);
    Raise(kErrInvalidCall);
  }
  void Clear() {
    byKey_.clear();
    items_.clear();
  }

  // Iteration in collection order, yielding T&.
  template <typename Ref, typename It>
  class Iterator {
   public:
    explicit Iterator(It it) : it_(it) {}
    Ref operator*() const { return *it_->item; }
    auto* operator->() const { return it_->item.get(); }
    Iterator& operator++() {
      ++it_;
      return *this;
    }
    bool operator==(const Iterator& o) const { return it_ == o.it_; }
    bool operator!=(const Iterator& o) const { return it_ != o.it_; }

   private:
    It it_;
  };

 private:
  struct Entry {
    std::unique_ptr<T> item;
    std::string key;
  };
  std::vector<Entry> items_;
  std::unordered_map<std::string, T*> byKey_;

 public:
  using iterator = Iterator<T&, typename std::vector<Entry>::const_iterator>;
  iterator begin() const { return iterator(items_.begin()); }
  iterator end() const { return iterator(items_.end()); }
};

}  // namespace platform
